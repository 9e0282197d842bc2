// The tables compiled into the program (the result tree, the findings' rules, the noise rules, the
// edition table): tab-separated text, one row a line, LF or CR LF, "#" at the start of a comment line.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

namespace kw {

struct DataLine {
    std::string_view text; // without its line break
    std::size_t number;    // from 1, counting comments and blank lines, for the table's error messages
};

// The rows of a table: every line that is neither blank nor a comment. An editor's UTF-8 mark is skipped.
std::vector<DataLine> dataLines(std::string_view text);
// The columns of a row as they stand (a row without a tab is one column).
std::vector<std::string_view> tabColumns(std::string_view row);

} // namespace kw
