// The content of a table view: six columns, one header row (row 0) and the data rows, with the
// loading, sorting, searching and copying the views offer. Cells are kept in UTF-16: they are drawn
// and compared by the system. A large inventory has hundreds of thousands of them, so a cell is a
// view into the decoded file the table holds, not a string of its own.
#pragma once
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

inline constexpr int kTableColumns = 6;
using TableRow = std::array<std::wstring_view, kTableColumns>;

struct CellPos {
    int col = 0, row = 0;
    bool operator==(const CellPos&) const = default;
};

class TableModel {
  public:
    TableModel() { ClearTable(); }
    // The rows point into the texts the model holds: a copy would point into the original's.
    TableModel(const TableModel&) = delete;
    TableModel& operator=(const TableModel&) = delete;
    TableModel(TableModel&&) = default;
    TableModel& operator=(TableModel&&) = default;

    // Every data row is emptied; one header row and one empty row remain.
    void ClearTable();
    // LoadTableFile from the decoded text: the first line is the header, each further line a row; lines
    // are cut at tabs, an empty field becomes " ", fields beyond the sixth are dropped.
    void LoadTableFile(std::wstring text);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Rows 1.. as a comparison sees them. The lone empty row that ClearTable leaves (also left by a
    // file with a header only) is a placeholder for the grid, not data.
    std::span<const TableRow> dataRows() const;
    // Keeps the data rows at these indexes into dataRows(), in this order. With none kept only the header
    // row remains.
    void keepDataRows(const std::vector<size_t>& kept);
    const TableRow& row(int r) const { return rows_[static_cast<size_t>(r)]; }
    std::wstring_view cell(int col, int row) const {
        return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    }

    // "Сортировать первый столбец": first cell, "@", then every cell with CR LF, in locale order
    // without regard to case; the header stays.
    void SortByFirstColumn() { applyOrder(firstColumnOrder()); }
    // The same sort in two steps, so that a view can compute the order on another thread while it
    // only reads the table: the data rows (1..) in their new order, or nothing where they are in it.
    std::vector<size_t> firstColumnOrder() const;
    void applyOrder(const std::vector<size_t>& order); // a permutation of 1..rowCount()-1, or nothing
    // Header-click sort: ascending, whole numbers by value, anything else as lower-case text by
    // character codes; the numbers take the places a text order gives them, so that the order is the
    // same whatever the rows' order before (O(n log n)).
    void SortByColumn(int col);

    // The first cell holding `text` (without regard to case): a new search from `current` along its
    // row and then the following rows, a continued one from the row after it. The header is never
    // searched and there is no wrap-around.
    std::optional<CellPos> FindInTable(std::wstring_view text, CellPos current, bool continueSearch) const;

    // The rows from..to (inclusive), each line its cells joined by tabs and ended by CR LF.
    std::wstring copyRows(int from, int to) const;

    // The fitted widths of the first `columns` columns, in one pass over the rows: a cell is as wide as
    // its characters' advances together, a column as its widest cell, header included, + grid line + 3.
    // `advances` holds the advance of each UTF-16 unit, -1 until `measure` has been asked for it.
    std::array<int, kTableColumns> autoSizeWidths(int columns, std::vector<int>& advances,
                                                  const std::function<int(wchar_t)>& measure) const;

  private:
    std::vector<TableRow> rows_;
    // The texts the cells point into; a deque never moves what it holds.
    std::deque<std::wstring> texts_;
};

// Whole number as the header-click sort reads it: optional blanks, an optional sign, decimal digits.
std::optional<long long> readWholeNumber(std::wstring_view text);

struct Rgb24 {
    int r, g, b;
    bool operator==(const Rgb24&) const = default;
};

// Each channel moved towards 255 by p percent, rounded half away from zero.
Rgb24 LightenColor(Rgb24 c, int percent);

struct CellStyle {
    enum class Background { Default, Zebra, Selection } background = Background::Default;
    Rgb24 zebra{0, 0, 0};       // the tint when background is Zebra
    std::optional<Rgb24> text;  // an extension colour; nothing: the default text colour
    bool selectionText = false; // the system selection text colour
};

struct DrawOptions {
    bool zebra = true;
    int zebraBrightness = 75;
    bool highlight = true;
};

// How a cell is drawn: the current (selected) row in selection colours, even rows (the header
// included) tinted, and ".dll", ".exe", ".ocx", ".ini" cells coloured by extension.
CellStyle cellStyle(int row, std::wstring_view text, bool selectedRow, const DrawOptions& options);
std::optional<Rgb24> extensionColor(std::wstring_view text);

} // namespace kw
