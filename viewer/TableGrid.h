// The table view control: a grid drawn by the program over a TableModel, painting only the rows in
// sight, so that a table of 100,000 rows opens and scrolls at once. Header row 0 stays at the top;
// whole rows are selected; events go out through std::function members.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <vector>

#include "platform/Window.h"
#include "results/TableModel.h"

namespace kw {

class TableGrid : public Window {
  public:
    TableGrid() { widths_.fill(115); }

    bool create(HWND parent, int id);

    TableModel& model() { return model_; }
    void modelChanged(); // after loading or sorting: the first data row becomes current
    void setDrawOptions(const DrawOptions& o);
    const DrawOptions& drawOptions() const { return options_; }

    void setColumnWidth(int col, int width);
    int columnWidth(int col) const { return widths_[static_cast<size_t>(col)]; }
    void AutoSizeColumns(int count); // "Автоподбор" of the first `count` columns

    CellPos current() const { return current_; }
    void setCurrent(CellPos p); // selects its row and scrolls it into view
    int selectionTop() const { return std::min(anchor_, current_.row); }
    int selectionBottom() const { return std::max(anchor_, current_.row); }
    void selectRows(int from, int to); // a range, the current row at its end

    // Column and row under a client point; -1 where there is none.
    CellPos cellAt(int x, int y) const;

    std::function<void(CellPos)> onMouseDown; // any button, with the cell under the pointer
    std::function<void()> onDoubleClick;
    std::function<void(int x, int y)> onContextMenu; // screen coordinates
    std::function<void(UINT key, bool ctrl)> onKey;  // Ctrl+C, Ctrl+F, F3

  private:
    LRESULT handle(UINT, WPARAM, LPARAM) override;
    void paint(HDC dc, const RECT& client);
    void updateScroll();
    int visibleRows() const;
    int totalWidth() const;
    void scrollTo(int topRow, int left);
    void ensureVisible(int row);

    HFONT font_ = nullptr; // the parent's
    TableModel model_;
    DrawOptions options_;
    std::array<int, kTableColumns> widths_;
    int rowHeight_ = 15;
    int top_ = 1;  // first data row in sight
    int left_ = 0; // horizontal scroll in pixels
    CellPos current_{0, 1};
    int anchor_ = 1;
    std::vector<int> charWidths_; // advance of each UTF-16 unit in the grid's font, -1 until measured
    int resizing_ = -1, resizeStart_ = 0, resizeWidth_ = 0;
    int selectingFrom_ = -1; // the anchor row while rows are selected by dragging
};

} // namespace kw
