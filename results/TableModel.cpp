// Loading, searching, copying and colour rules of the table views (the sorts: FirstColumnSort.cpp and
// ColumnSort.cpp).
#include "results/TableModel.h"

#include <algorithm>

#include "results/InTwo.h"
#include "results/LocaleText.h"

namespace kw {

void TableModel::ClearTable() {
    // The header stays as it is; it moves into a text of its own so that the files' texts can go.
    TableRow header = rows_.empty() ? TableRow{} : rows_[0];
    std::wstring kept;
    for (std::wstring_view c : header)
        kept += c;
    texts_.clear();
    const std::wstring& owned = texts_.emplace_back(std::move(kept));
    size_t at = 0;
    for (std::wstring_view& c : header) {
        c = std::wstring_view(owned).substr(at, c.size());
        at += c.size();
    }
    rows_.assign(2, TableRow{});
    rows_[0] = header;
}

namespace {

bool endsLine(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// Past the line end at `eol`: CR LF, CR or LF.
const wchar_t* pastLineEnd(const wchar_t* eol, const wchar_t* end) {
    return eol == end ? end : eol + (*eol == L'\r' && eol + 1 < end && eol[1] == L'\n' ? 2 : 1);
}

// The lines of a text as the rows are cut from it: a last line without its end counts too.
size_t lineCount(std::wstring_view text) {
    size_t n = 0;
    const wchar_t* const end = text.data() + text.size();
    for (const wchar_t* p = text.data(); p < end; ++n)
        p = pastLineEnd(std::find_if(p, end, endsLine), end);
    return n;
}

// Cuts each line of `text` into the next row from `row` on. A line replaces its whole row, so that no
// cell of an earlier, wider table stays behind. Plain loops over the text: the library's searches call
// into the C runtime once per character.
void cutRows(std::wstring_view text, TableRow* row) {
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    while (p < end) {
        const wchar_t* eol = std::find_if(p, end, endsLine);
        const wchar_t* from = p;
        p = pastLineEnd(eol, end);
        *row = TableRow{};
        for (int k = 0; k < kTableColumns && from < eol; ++k) {
            const wchar_t* tab = std::find(from, eol, L'\t');
            (*row)[static_cast<size_t>(k)] = tab == from
                                                 ? std::wstring_view(L" ")
                                                 : std::wstring_view(from, static_cast<size_t>(tab - from));
            if (tab == eol)
                break;
            from = tab + 1; // a trailing tab adds no cell
        }
        ++row;
    }
}

} // namespace

void TableModel::LoadTableFile(std::wstring decoded) {
    const std::wstring_view text = texts_.emplace_back(std::move(decoded));
    // A large table is counted and cut in two halves at once, the second from the first line that starts
    // past the middle; each half goes into rows of its own.
    constexpr size_t kHalvesFrom = 1 << 16;
    size_t middle = text.size();
    if (text.size() >= kHalvesFrom) {
        const wchar_t* const end = text.data() + text.size();
        middle = static_cast<size_t>(
            pastLineEnd(std::find_if(text.data() + text.size() / 2, end, endsLine), end) - text.data());
    }
    const std::wstring_view first = text.substr(0, middle), second = text.substr(middle);
    size_t firstLines = 0, secondLines = 0;
    if (second.empty()) {
        firstLines = lineCount(first);
    } else {
        inTwo([&] { secondLines = lineCount(second); }, [&] { firstLines = lineCount(first); });
    }
    if (rows_.size() < firstLines + secondLines)
        rows_.resize(firstLines + secondLines);
    if (second.empty()) {
        cutRows(first, rows_.data());
    } else {
        inTwo([&] { cutRows(second, rows_.data() + firstLines); }, [&] { cutRows(first, rows_.data()); });
    }
}

std::span<const TableRow> TableModel::dataRows() const {
    if (rows_.size() < 2)
        return {};
    std::span<const TableRow> data = std::span<const TableRow>(rows_).subspan(1);
    if (data.size() == 1 &&
        std::all_of(data[0].begin(), data[0].end(), [](std::wstring_view c) { return c.empty(); }))
        return {};
    return data;
}

void TableModel::keepDataRows(const std::vector<size_t>& kept) {
    if (kept.empty()) {
        ClearTable();
        rows_.resize(1); // the header alone: nothing differs
        return;
    }
    std::vector<TableRow> rows;
    rows.reserve(kept.size() + 1);
    rows.push_back(rows_[0]);
    for (size_t k : kept)
        rows.push_back(rows_[k + 1]);
    rows_ = std::move(rows);
}

void TableModel::applyOrder(const std::vector<size_t>& order) {
    if (order.empty())
        return;
    // The rows move in place, cycle by cycle, instead of into a second table as large as the first:
    // at a million rows the fresh memory alone costs more than the moves.
    std::vector<bool> placed(order.size());
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        const TableRow held = rows_[start + 1];
        size_t at = start;
        for (;;) {
            placed[at] = true;
            const size_t from = order[at] - 1;
            if (from == start) {
                rows_[at + 1] = held;
                break;
            }
            rows_[at + 1] = rows_[from + 1];
            at = from;
        }
    }
}

std::optional<CellPos> TableModel::FindInTable(std::wstring_view text, CellPos current,
                                               bool continueSearch) const {
    std::wstring needle = lowerText(text);
    int row = continueSearch ? current.row + 1 : current.row;
    int col = continueSearch ? 0 : current.col;
    if (row < 1) {
        row = 1;
        col = 0;
    }
    for (; row < rowCount(); ++row, col = 0) {
        for (; col < kTableColumns; ++col) {
            std::wstring_view c = cell(col, row);
            if (c.size() >= needle.size() && lowerText(c).find(needle) != std::wstring::npos)
                return CellPos{col, row};
        }
    }
    return std::nullopt;
}

std::wstring TableModel::copyRows(int from, int to) const {
    std::wstring out;
    for (int r = std::max(from, 0); r <= to && r < rowCount(); ++r) {
        for (int c = 0; c < kTableColumns; ++c) {
            if (c)
                out += L'\t';
            out += cell(c, r);
        }
        out += L"\r\n";
    }
    return out;
}

std::array<int, kTableColumns> TableModel::autoSizeWidths(int columns, std::vector<int>& advances,
                                                          const std::function<int(wchar_t)>& measure) const {
    advances.resize(65536, -1);
    const size_t count = static_cast<size_t>(std::clamp(columns, 0, kTableColumns));
    std::array<int, kTableColumns> widest{};
    for (const TableRow& r : rows_) {
        for (size_t c = 0; c < count; ++c) {
            int width = 0;
            for (wchar_t ch : r[c]) {
                int& a = advances[static_cast<unsigned short>(ch)];
                if (a < 0)
                    a = measure(ch);
                width += a;
            }
            widest[c] = std::max(widest[c], width);
        }
    }
    std::array<int, kTableColumns> fitted{};
    for (size_t c = 0; c < count; ++c)
        fitted[c] = widest[c] + 1 + 3;
    return fitted;
}

Rgb24 LightenColor(Rgb24 c, int p) {
    // (255 - channel) * p / 100 is never negative, so adding 50 before the division rounds halves up.
    auto ch = [p](int v) { return v + ((255 - v) * p + 50) / 100; };
    return {ch(c.r), ch(c.g), ch(c.b)};
}

std::optional<Rgb24> extensionColor(std::wstring_view text) {
    size_t dot = text.rfind(L'.');
    std::wstring ext = lowerText(dot == std::wstring_view::npos ? text : text.substr(dot));
    if (ext == L".dll")
        return Rgb24{0, 128, 0};
    if (ext == L".exe")
        return Rgb24{255, 0, 0};
    if (ext == L".ocx")
        return Rgb24{128, 0, 0};
    if (ext == L".ini")
        return Rgb24{0, 0, 255};
    return std::nullopt;
}

CellStyle cellStyle(int row, std::wstring_view text, bool selectedRow, const DrawOptions& o) {
    CellStyle s;
    if (selectedRow) {
        s.background = CellStyle::Background::Selection;
        s.selectionText = true;
        return s;
    }
    if (o.zebra && row % 2 == 0) {
        s.background = CellStyle::Background::Zebra;
        s.zebra = LightenColor({192, 192, 192}, o.zebraBrightness);
    }
    if (o.highlight)
        s.text = extensionColor(text);
    return s;
}

} // namespace kw
