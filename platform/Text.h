// Text conversions at the OS boundary: UTF-8 inside the program, UTF-16 for Win32 calls,
// the ANSI and OEM code pages for files that must be written in them.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kw {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

std::string utf8ToAnsi(std::string_view utf8); // unmappable characters become '?'
std::string ansiToUtf8(std::string_view ansi);
std::string oemToUtf8(std::string_view oem);

// The ANSI bytes of one character, or nothing when the code page has no such character.
std::optional<std::string> ansiBytesOf(char32_t ch);
unsigned ansiCodePage();
unsigned oemCodePage();

// Equal without regard to letter case, Cyrillic included (the way Windows compares names).
bool sameTextIgnoringCase(std::string_view a, std::string_view b);
// A key under which names that sameTextIgnoringCase finds equal are equal: many names are compared by it
// in a set instead of each with each.
std::wstring caseKey(std::string_view text);
// The system's message for an error code (GetLastError), without its trailing line break.
std::string systemErrorText(unsigned code);

// Decodes UTF-8 into code points; invalid bytes come out as U+FFFD.
std::u32string decodeUtf8(std::string_view utf8);

} // namespace kw
