// The header-click sort: text by its lowered ANSI bytes, whole numbers by value in the places the text
// order gives them, equal cells (equal numbers written otherwise too) as they stood. A million rows must sort
// in well under a second, so the sort orders small packed keys held beside the row numbers and compares whole
// cells only where the keys tie.
#include <algorithm>
#include <cstdint>
#include <numeric>

#include "results/LocaleText.h"
#include "results/SortAndEmit.h"
#include "results/TableModel.h"

namespace kw {

std::optional<long long> readWholeNumber(std::wstring_view t) {
    size_t i = 0;
    while (i < t.size() && t[i] == L' ')
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-'))
        negative = t[i++] == L'-';
    if (i == t.size())
        return std::nullopt;
    unsigned long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < L'0' || t[i] > L'9')
            return std::nullopt;
        if (v > (9223372036854775807ULL - (t[i] - L'0')) / 10)
            return std::nullopt; // too large: text
        v = v * 10 + static_cast<unsigned>(t[i] - L'0');
    }
    return negative ? -static_cast<long long>(v) : static_cast<long long>(v);
}

namespace {

// Every data cell of a column, lowered and in the ANSI code page, as the header-click sort compares them.
// Lowering and conversion go character by character, so the column is converted in one piece and cut
// back into its cells where each character gave one byte; otherwise cell by cell.
class LowerAnsiColumn {
  public:
    LowerAnsiColumn(std::span<const TableRow> rows, size_t col) {
        // In pieces, so that the wide copies stay small beside the table.
        constexpr size_t kPiece = 65536;
        std::vector<size_t> ends; // of each cell's key in text_, or npos: in cells_
        ends.reserve(rows.size());
        size_t total = 0;
        for (const TableRow& r : rows)
            total += r[col].size();
        text_.reserve(total);
        for (size_t from = 0; from < rows.size(); from += kPiece) {
            const std::span<const TableRow> piece = rows.subspan(from, std::min(kPiece, rows.size() - from));
            std::wstring all;
            for (const TableRow& r : piece)
                all += r[col];
            const bool surrogates =
                std::any_of(all.begin(), all.end(), [](wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; });
            std::string keys = surrogates ? std::string() : lowerAnsiText(all);
            if (!surrogates && keys.size() == all.size()) {
                const size_t base = text_.size();
                text_ += keys;
                size_t at = base;
                for (const TableRow& r : piece)
                    ends.push_back(at += r[col].size());
                continue;
            }
            for (const TableRow& r : piece) {
                cells_.emplace_back(lowerAnsiText(r[col]));
                ends.push_back(std::string::npos);
            }
        }
        views_.reserve(rows.size());
        size_t at = 0, cell = 0;
        for (size_t end : ends) {
            if (end == std::string::npos) {
                views_.push_back(cells_[cell++]);
                continue;
            }
            views_.push_back(std::string_view(text_).substr(at, end - at));
            at = end;
        }
    }
    std::string_view operator[](size_t i) const { return views_[i]; }

  private:
    std::string text_;
    std::deque<std::string> cells_;
    std::vector<std::string_view> views_;
};

// The lowered ANSI byte of every UTF-16 unit outside the surrogates, where the code page gives each
// exactly one byte (a column's keys are then read through it as they are compared, never stored).
bool lowerAnsiByteTable(std::vector<unsigned char>& table) {
    std::wstring units;
    units.reserve(65536);
    for (unsigned u = 0; u < 65536; ++u)
        if (u < 0xD800 || u > 0xDFFF)
            units.push_back(static_cast<wchar_t>(u));
    const std::string bytes = lowerAnsiText(units);
    if (bytes.size() != units.size())
        return false;
    table.assign(65536, 0);
    for (size_t i = 0; i < units.size(); ++i)
        table[static_cast<unsigned short>(units[i])] = static_cast<unsigned char>(bytes[i]);
    return true;
}

// The sort key of a cell: sixteen bytes of its lowered text from where all cells stop sharing their start
// (zeros past its end), the first in the highest bits, and its length; held beside the row's number, so
// that most comparisons read neither the table nor its text.
struct TextKey {
    std::uint64_t high = 0, low = 0;
    std::uint32_t size = 0, row = 0;
};
constexpr size_t kTextKeyBytes = 16;

// A column's cells as the header-click sort compares them: lowered, in the ANSI code page, by bytes.
class LoweredColumn {
  public:
    // `eachCell(i, cell)` sees every cell on the way: one pass over a large column costs more than the work
    // done on each cell (its text is rarely in the cache).
    template <class EachCell>
    LoweredColumn(std::span<const TableRow> rows, size_t col, EachCell eachCell) : rows_(rows), col_(col) {
        const bool table = lowerAnsiByteTable(table_);
        // Where the cells likely stop sharing their start, from a sample, so that the keys can be packed
        // in the same pass; again after it only where a cell shares less. A column whose sample is all
        // numbers is likely sorted by value alone and gets no keys on the way.
        const std::wstring_view first = rows[0][col];
        size_t guess = first.size();
        bool numbers = true;
        for (size_t k = 1; k <= 64; ++k) {
            const std::wstring_view c = rows[(rows.size() - 1) * k / 64][col];
            guess = sharedWithFirst(c, guess);
            numbers = numbers && readWholeNumber(c).has_value();
        }
        const bool keysOnTheWay = table && !numbers;
        if (keysOnTheWay)
            keys_.reserve(rows.size());
        // The start all cells share, and any character outside the BMP.
        bool surrogates = false;
        shared_ = first.size();
        for (size_t i = 0; i < rows.size(); ++i) {
            const std::wstring_view c = rows[i][col];
            eachCell(i, c);
            surrogates = surrogates || std::any_of(c.begin(), c.end(),
                                                   [](wchar_t u) { return u >= 0xD800 && u <= 0xDFFF; });
            shared_ = sharedWithFirst(c, shared_);
            if (keysOnTheWay)
                keys_.push_back(keyAt(i, guess));
        }
        if (surrogates || !table) {
            stored_.emplace(rows, col);
            shared_ = 0;
            keys_ = {};
        } else if (keysOnTheWay && shared_ >= guess) {
            shared_ = guess; // the keys start there, and every cell shares that much
        } else {
            keys_ = {};
        }
    }
    // The keys of all cells in row order (taken once).
    std::vector<TextKey> takeKeys() {
        if (keys_.empty()) {
            keys_.reserve(rows_.size());
            for (size_t i = 0; i < rows_.size(); ++i)
                keys_.push_back(keyAt(i, shared_));
        }
        return std::move(keys_);
    }
    size_t shared() const { return shared_; }
    size_t size(size_t i) const { return stored_ ? (*stored_)[i].size() : rows_[i][col_].size(); }
    // The bytes, from `from` on, compared as strings compare them (a shorter start first).
    int compare(size_t a, size_t b, size_t from) const {
        const size_t na = size(a), nb = size(b);
        if (stored_) {
            const std::string_view x = (*stored_)[a], y = (*stored_)[b];
            return x.substr(std::min(from, na)).compare(y.substr(std::min(from, nb)));
        }
        const std::wstring_view x = rows_[a][col_], y = rows_[b][col_];
        for (size_t k = from, n = std::min(na, nb); k < n; ++k) {
            const unsigned char p = table_[static_cast<unsigned short>(x[k])];
            const unsigned char q = table_[static_cast<unsigned short>(y[k])];
            if (p != q)
                return p < q ? -1 : 1;
        }
        return na < nb ? -1 : na > nb ? 1 : 0;
    }
    // The order of two cells' texts, equal texts as they stood.
    bool less(const TextKey& a, const TextKey& b) const {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        const size_t seen = shared_ + kTextKeyBytes;
        if (a.size == b.size && a.size <= seen)
            return a.row < b.row; // every byte of both was in the keys: the same text
        // Past the keys' bytes where both reach beyond them; from the shared start where a zero byte of a
        // cell could stand for a key's padding.
        int c = compare(a.row, b.row, std::min(a.size, b.size) >= seen ? seen : shared_);
        return c != 0 ? c < 0 : a.row < b.row;
    }

  private:
    size_t sharedWithFirst(std::wstring_view c, size_t most) const {
        const std::wstring_view first = rows_[0][col_];
        const auto n = static_cast<std::ptrdiff_t>(std::min({most, c.size(), first.size()}));
        return static_cast<size_t>(std::mismatch(c.begin(), c.begin() + n, first.begin()).first - c.begin());
    }
    TextKey keyAt(size_t i, size_t from) const {
        TextKey k{.size = static_cast<std::uint32_t>(size(i)), .row = static_cast<std::uint32_t>(i)};
        const std::wstring_view cell = rows_[i][col_];
        for (size_t at = from; at < from + kTextKeyBytes; ++at) {
            std::uint64_t& half = at < from + 8 ? k.high : k.low;
            unsigned b = 0;
            if (at < k.size)
                b = stored_ ? static_cast<unsigned char>((*stored_)[i][at])
                            : table_[static_cast<unsigned short>(cell[at])];
            half = half << 8 | b;
        }
        return k;
    }
    std::span<const TableRow> rows_;
    size_t col_;
    size_t shared_ = 0;
    std::vector<TextKey> keys_;
    std::vector<unsigned char> table_;
    std::optional<LowerAnsiColumn> stored_;
};

struct NumberKey {
    long long value;
    size_t row; // or its place in the text order
};

} // namespace

void TableModel::SortByColumn(int col) {
    if (col < 0 || col >= kTableColumns || rows_.size() < 3)
        return;
    const size_t n = rows_.size() - 1;
    const std::span<const TableRow> data = std::span<const TableRow>(rows_).subspan(1);
    const auto column = static_cast<size_t>(col);
    std::vector<NumberKey> numbers;
    numbers.reserve(n); // pages that no number reaches are never touched
    LoweredColumn lower(data, column, [&](size_t i, std::wstring_view cell) {
        if (std::optional<long long> v = readWholeNumber(cell))
            numbers.push_back({*v, i});
    });
    std::vector<size_t> order;
    order.reserve(n);
    if (numbers.size() == n) {
        // Numbers only: by value, and equal values written otherwise ("7", "007", "+7") as they stood,
        // since the passes never swap two equal numbers.
        sortAndEmit(
            numbers,
            [&](const NumberKey& a, const NumberKey& b) {
                return a.value != b.value ? a.value < b.value : a.row < b.row;
            },
            [&](const NumberKey& k) { order.push_back(k.row + 1); });
        applyOrder(order);
        return;
    }
    // Neighbour-swap passes compare two numbers by value and anything else as text. Where numbers mix
    // with texts that order them otherwise ("10" and "9" beside "9a") that relation is no order at all,
    // and the passes would give an order that depends on the input order. One consistent order that
    // keeps every pair the relation decides alike wherever it can: all rows by text (equal texts as
    // they stood), and then the numbers, among themselves by value, into the places the text order gave
    // the numbers.
    std::vector<TextKey> keys = lower.takeKeys();
    sortAndEmit(
        keys, [&](const TextKey& a, const TextKey& b) { return lower.less(a, b); },
        [&](const TextKey& k) { order.push_back(k.row); });
    keys = {};
    if (!numbers.empty()) {
        // The values by row, read in the first pass: far fewer memory misses than reading the cells again.
        std::vector<bool> isNumber(n);
        std::vector<long long> valueOf(n);
        for (const NumberKey& k : numbers) {
            isNumber[k.row] = true;
            valueOf[k.row] = k.value;
        }
        std::vector<size_t> places;
        places.reserve(numbers.size());
        numbers.clear();
        for (size_t k = 0; k < n; ++k)
            if (isNumber[order[k]]) {
                places.push_back(k);
                numbers.push_back({valueOf[order[k]], k});
            }
        valueOf = {};
        std::vector<size_t> rows;
        rows.reserve(numbers.size());
        // Equal values as they stood in the table, not as their texts order them.
        sortAndEmit(
            numbers,
            [&](const NumberKey& a, const NumberKey& b) {
                return a.value != b.value ? a.value < b.value : order[a.row] < order[b.row];
            },
            [&](const NumberKey& k) { rows.push_back(order[k.row]); });
        for (size_t k = 0; k < places.size(); ++k)
            order[places[k]] = rows[k];
    }
    for (size_t& i : order)
        ++i; // data rows start at 1
    applyOrder(order);
}

} // namespace kw
