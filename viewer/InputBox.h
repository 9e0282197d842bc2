// A modal input box: a title, a prompt, an edit field prefilled with a text, "OK" and "Отмена".
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace kw {

// The text entered, or nothing when the user cancelled.
std::optional<std::string> askString(HWND owner, const std::string& title, const std::string& prompt,
                                     const std::string& initial);

} // namespace kw
