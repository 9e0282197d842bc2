// The text a window or control holds, in this process or another (WM_GETTEXT crosses the boundary,
// where GetWindowText would give another process's window only its caption).
#pragma once
#include <windows.h>

#include <string>

#include "platform/Text.h"

namespace kw::test {

inline std::string windowText(HWND w) {
    auto n = static_cast<size_t>(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(n + 1, L'\0');
    n = static_cast<size_t>(SendMessageW(w, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text.data())));
    text.resize(n);
    return toUtf8(text);
}

} // namespace kw::test
