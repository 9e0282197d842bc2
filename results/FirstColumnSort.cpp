// "Сортировать первый столбец": the rows in the locale's order of their first cell, then the whole row.
// A million rows must sort in well under a second, so the sort orders small packed keys held beside the
// row numbers and asks the locale only where the keys tie.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "results/LocaleText.h"
#include "results/SortAndEmit.h"
#include "results/TableModel.h"

namespace kw {

namespace {

// The sort key of a row: its first cell, "@", then every cell followed by CR LF.
std::wstring firstColumnKey(const TableRow& row) {
    std::wstring k(row[0]);
    k += L"@";
    for (const auto& c : row)
        (k += c) += L"\r\n";
    return k;
}

// Walks a row's sort key code unit by code unit without building it.
class KeyCursor {
  public:
    // From `skip` units into the first cell on (no more than it holds).
    explicit KeyCursor(const TableRow& row, size_t skip = 0) : row_(row), part_(row[0]), at_(skip) {}
    // The next code unit, or -1 after the last.
    int next() {
        while (at_ == part_.size()) {
            if (++segment_ >= kSegments)
                return -1;
            part_ = segment();
            at_ = 0;
        }
        return part_[at_++];
    }

  private:
    static constexpr size_t kSegments = 2 + 2 * kTableColumns;
    std::wstring_view segment() const {
        if (segment_ == 0)
            return row_[0];
        if (segment_ == 1)
            return L"@";
        size_t k = segment_ - 2;
        return k % 2 == 0 ? row_[k / 2] : std::wstring_view(L"\r\n");
    }
    const TableRow& row_;
    std::wstring_view part_;
    size_t segment_ = 0, at_ = 0;
};

// The order of two rows' sort keys (<0, 0, >0): the quick order where it decides, the locale's otherwise.
// The first `shared` units of both first cells are the same.
int firstColumnCompare(const TableRow& a, const TableRow& b, size_t shared) {
    KeyCursor x(a, shared), y(b, shared);
    for (;;) {
        int p = x.next(), q = y.next();
        if (p < 0 || q < 0)
            break; // one key is a prefix of the other
        if (p == q)
            continue;
        int order = quickOrderOf(static_cast<wchar_t>(p), static_cast<wchar_t>(q));
        if (order == 2)
            break;
        if (order != 0)
            return order;
    }
    return compareNoCase(firstColumnKey(a), firstColumnKey(b));
}

bool foldedAlnum(unsigned c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z');
}

// Eight code units of a row's sort key, from where the rows' first cells stop sharing their start, ASCII
// capitals lowered, the first unit in the highest bits. Held beside the row's number, so that most
// comparisons of a sort read neither the table nor its text.
struct FirstColumnKey {
    std::uint64_t high = 0, low = 0;
    size_t row = 0;
};

FirstColumnKey firstColumnKeyOf(const TableRow& row, size_t skip, size_t index) {
    // The key's units from `skip` on: the rest of the first cell, "@", the first cell again, ...
    std::uint64_t units[8] = {};
    size_t got = 0;
    auto take = [&](std::wstring_view part) {
        for (size_t i = 0; i < part.size() && got < 8; ++i) {
            unsigned c = part[i];
            units[got++] = c >= L'A' && c <= L'Z' ? c + 32 : c;
        }
    };
    take(row[0].substr(skip));
    take(L"@");
    for (size_t c = 0; c < kTableColumns && got < 8; ++c) {
        take(row[c]);
        take(L"\r\n");
    }
    return {.high = units[0] << 48 | units[1] << 32 | units[2] << 16 | units[3],
            .low = units[4] << 48 | units[5] << 32 | units[6] << 16 | units[7],
            .row = index};
}

} // namespace

std::vector<size_t> TableModel::firstColumnOrder() const {
    if (rows_.size() < 3)
        return {};
    const std::span<const TableRow> data = std::span<const TableRow>(rows_).subspan(1);
    // Units the first cells all share in the same place decide nothing.
    size_t shared = data[0][0].size();
    for (const TableRow& r : data) {
        const std::wstring_view first = r[0];
        shared = std::min(shared, first.size());
        size_t i = 0;
        while (i < shared && first[i] == data[0][0][i])
            ++i;
        shared = i;
    }
    std::vector<FirstColumnKey> keys;
    keys.reserve(data.size());
    for (size_t i = 0; i < data.size(); ++i)
        keys.push_back(firstColumnKeyOf(data[i], shared, i));
    const bool quick = quickOrderHolds();
    auto compare = [&](const FirstColumnKey& a, const FirstColumnKey& b) {
        std::uint64_t differ = a.high ^ b.high, p = a.high, q = b.high;
        if (!differ) {
            differ = a.low ^ b.low;
            p = a.low;
            q = b.low;
        }
        if (differ && quick) {
            // The first differing unit decides where both are Latin letters or digits, as in the quick order.
            const int shift = (63 - std::countl_zero(differ)) / 16 * 16;
            const auto x = static_cast<unsigned>(p >> shift & 0xFFFF),
                       y = static_cast<unsigned>(q >> shift & 0xFFFF);
            if (foldedAlnum(x) && foldedAlnum(y))
                return x < y ? -1 : 1;
        }
        return firstColumnCompare(data[a.row], data[b.row], shared);
    };
    // Equal keys keep their rows' order, as a stable sort leaves them.
    auto less = [&](const FirstColumnKey& a, const FirstColumnKey& b) {
        int c = compare(a, b);
        return c != 0 ? c < 0 : a.row < b.row;
    };
    // A table sorted already (by "Автосортировка" when it opened) is checked in one pass.
    if (std::is_sorted(keys.begin(), keys.end(), less))
        return {};
    // The rows themselves are moved, not rebuilt from their keys, so a first cell holding "@" stays intact.
    std::vector<size_t> order;
    order.reserve(data.size());
    sortAndEmit(keys, less, [&](const FirstColumnKey& k) { order.push_back(k.row + 1); });
    return order;
}

} // namespace kw
