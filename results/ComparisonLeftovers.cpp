// The leftovers of a topic as the report shows them.
#include "results/ComparisonLeftovers.h"

#include <algorithm>
#include <numeric>

#include "platform/Text.h"

namespace kw {
namespace {

template <class TextOf> LeftoverLines firstOf(std::span<const size_t> indexes, TextOf&& textOf) {
    LeftoverLines left;
    const size_t shown = std::min(indexes.size(), kLeftoversShown);
    left.lines.reserve(shown);
    for (size_t k = 0; k < shown; ++k)
        left.lines.push_back(textOf(indexes[k]));
    left.more = indexes.size() - shown;
    return left;
}

std::vector<size_t> everyIndex(size_t count) {
    std::vector<size_t> all(std::min(count, kLeftoversShown));
    std::iota(all.begin(), all.end(), size_t{0});
    return all;
}

} // namespace

std::string rowText(const TableRow& row) {
    size_t used = row.size();
    while (used > 0 && row[used - 1].empty())
        --used;
    std::string text;
    for (size_t c = 0; c < used; ++c) {
        if (c > 0)
            text += '\t';
        text += toUtf8(row[c]);
    }
    return text;
}

LeftoverLines leftoverLines(std::span<const size_t> indexes, std::span<const std::wstring_view> lines) {
    return firstOf(indexes, [&](size_t i) { return toUtf8(lines[i]); });
}

LeftoverLines leftoverRows(std::span<const size_t> indexes, std::span<const TableRow> rows) {
    return firstOf(indexes, [&](size_t i) { return rowText(rows[i]); });
}

LeftoverLines allLines(std::span<const std::wstring_view> lines) {
    LeftoverLines left = leftoverLines(everyIndex(lines.size()), lines);
    left.more = lines.size() - left.lines.size();
    return left;
}

LeftoverLines allRows(std::span<const TableRow> rows) {
    LeftoverLines left = leftoverRows(everyIndex(rows.size()), rows);
    left.more = rows.size() - left.lines.size();
    return left;
}

} // namespace kw
