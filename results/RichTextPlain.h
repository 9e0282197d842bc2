// The text of a rich-text file without its formatting, as a comparison reads it.
#pragma once
#include <string>
#include <string_view>

namespace kw {

// Paragraph and line breaks become CR LF, tabs and table cells a tab; \'hh bytes are read in the ANSI
// code page, \uN as UTF-16; font and colour tables, pictures, {\*...} groups and other destinations
// that are not text are left out.
std::wstring richTextToPlain(std::string_view rtf);

} // namespace kw
