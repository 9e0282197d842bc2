// What is left of each side of a differing topic once the comparison has taken away what the sides
// share: the first lines or rows as text, for the report, and how many more there are.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "results/TableModel.h"

namespace kw {

// A report shows this many leftovers of each side of a topic, and counts the rest.
inline constexpr size_t kLeftoversShown = 500;

struct LeftoverLines {
    std::vector<std::string> lines; // UTF-8; a table row's cells apart by tabs
    size_t more = 0;                // leftovers beyond those
};

// The lines (rows) at `indexes`, the first kLeftoversShown of them.
LeftoverLines leftoverLines(std::span<const size_t> indexes, std::span<const std::wstring_view> lines);
LeftoverLines leftoverRows(std::span<const size_t> indexes, std::span<const TableRow> rows);

// Every line (row), for a topic that only one side has.
LeftoverLines allLines(std::span<const std::wstring_view> lines);
LeftoverLines allRows(std::span<const TableRow> rows);

// A row's cells apart by tabs, without the empty cells a short line leaves at its end.
std::string rowText(const TableRow& row);

} // namespace kw
