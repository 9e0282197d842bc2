// A secret kept for the current user by the system's data protection: only this user on this computer
// can read it back, so a stored server password is never in clear in a settings file.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// The protected bytes as base64 text; nothing when the system refuses.
std::optional<std::string> protectForUser(std::string_view secret);
// The secret again; nothing when the text is not such protected bytes or was made by another user.
std::optional<std::string> unprotectForUser(std::string_view base64);

} // namespace kw
