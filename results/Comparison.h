// The line-by-line comparison of two texts and of two inventory tables: which lines (rows) are left
// once everything the two sides have in common is taken away. No windows: the views apply the result.
#pragma once
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "results/TableModel.h"
#include "settings/OptionSet.h"

namespace kw {

enum class Md5Rule {
    Include, // "Учитывать md5": name, path, size, date, version and md5 decide
    Only,    // "Только по md5": name, path and md5 decide
    Ignore,  // "Не учитывать md5": name, path, size, date and version decide
};

struct CompareOptions {
    bool ignoreDate = true; // "Не учитывать дату"
    Md5Rule md5 = Md5Rule::Only;
};

// The "Сравнение" group of the option set as it stands now.
CompareOptions compareOptionsOf(const OptionSet& options);

// Polled now and then while a comparison runs; true stops it.
using StopPoll = std::function<bool()>;

// The indexes (ascending) of the lines or rows that found no partner. After a stop, everything not
// matched yet is left.
struct Leftovers {
    std::vector<size_t> side1, side2;
    bool stopped = false;
    // Where, among the side-2 entries left at that moment, the last one a side-1 entry was tried against
    // stood (a table: the last row whose name test passed); SIZE_MAX when none was.
    size_t lastTried2 = static_cast<size_t>(-1);
};

// Each side-1 line takes the first equal side-2 line (letter case counts). Side 2 is searched from its
// top, except that after a match the next side-1 line is searched for only below the matched line, and
// stays when it is not found there.
Leftovers CompareLines(std::span<const std::wstring_view> side1, std::span<const std::wstring_view> side2,
                       const StopPoll& stop = {});

// The same walk over inventory rows: a side-1 row matches a side-2 row whose name and path contain its
// own (without regard to case, the path from its maker's folder on) and whose cells pass the options'
// tests.
Leftovers CompareTables(std::span<const TableRow> side1, std::span<const TableRow> side2,
                        const CompareOptions& options, const StopPoll& stop = {});

// The lines of a text, cut at CR LF, CR or LF; a final line break adds no empty line.
std::vector<std::wstring_view> splitLines(std::wstring_view text);

} // namespace kw
