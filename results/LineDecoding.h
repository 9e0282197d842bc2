// Lines of a text file in its own encoding as UTF-16 code units, each with the byte offset where it
// starts, so that what is found in the text can be changed in the file's bytes.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

enum class TextEncoding { Ansi, Oem, Utf8, Utf16Le, Utf16Be };

bool isUtf16(TextEncoding e);
// The byte-order mark of the encoding, empty for the code pages.
std::string_view bomOf(TextEncoding e);
// A line (without its line break) as code units, and the byte offset of each unit (and of the line's end).
// A line of a code page that is valid UTF-8 with non-ASCII letters is read as UTF-8.
void decodeLine(std::string_view raw, TextEncoding encoding, std::wstring& text,
                std::vector<std::size_t>& at);

} // namespace kw
