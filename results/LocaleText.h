// Text operations of the views that follow the user's locale: letter case, comparison, and the
// decoding of a shown file by its byte-order mark or code page.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

class FileReader;

std::wstring lowerText(std::wstring_view text); // by the user's locale
// The lower-case text in the ANSI code page, whose character codes order the header-click sort.
std::string lowerAnsiText(std::wstring_view text);
// True when `hay` holds `needle`, without regard to letter case.
bool containsNoCase(std::wstring_view hay, std::wstring_view needle);
bool containsNoCaseUtf8(std::string_view hay, std::string_view needle);
// <0, 0, >0 like the user's locale orders the texts, ignoring letter case.
int compareNoCase(std::wstring_view a, std::wstring_view b);
// The same order, faster for keys that differ early in a Latin letter or digit (the sort of large tables).
int compareSortKeys(std::wstring_view a, std::wstring_view b);
// The step of that quick order for the first differing code units x != y: -1 or 1 when the locale's order is
// decided by them, 0 when they are the same letter in another case, 2 when only the locale can tell.
int quickOrderOf(wchar_t x, wchar_t y);
// False where the locale orders even Latin letters and digits its own way: quickOrderOf then always gives 2.
bool quickOrderHolds();

enum class Encoding { Ansi, Oem };
// A file's bytes as text: by its byte-order mark (UTF-8, UTF-16 LE/BE), else in the given code page.
std::wstring decodeText(std::string_view bytes, Encoding fallback);
// A file's text as decodeText gives it, read to its end or to `limit` bytes (then cut after its last whole
// line, and *cut set); nothing when a read fails. A file of a code page of one byte per character is
// decoded in the text's own memory, so its bytes are never held apart.
std::optional<std::wstring> readDecodedFile(FileReader& file, Encoding fallback,
                                            std::int64_t limit = INT64_MAX, bool* cut = nullptr);
// True when the bytes are rich text (they start with "{\rtf").
bool isRichText(std::string_view bytes);

} // namespace kw
