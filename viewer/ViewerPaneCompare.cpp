// "Построчное сравнение" on the two sides of the open node: the engine finds what the sides have in
// common, and the views lose those lines or rows. The files are not touched.
#include <algorithm>

#include "results/Comparison.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

// Removes from the view every line that is not kept. Lines are cut out from the bottom up, so that the
// rest keep their formatting (a rich-text report stays coloured) and their positions stay valid.
void keepLines(TextView& view, const std::wstring& text, const std::vector<std::wstring_view>& lines,
               const std::vector<size_t>& kept) {
    std::vector<bool> keep(lines.size(), false);
    for (size_t k : kept)
        keep[k] = true;
    view.setRedraw(false);
    for (size_t i = lines.size(); i-- > 0;) {
        if (keep[i])
            continue;
        size_t last = i;
        while (i > 0 && !keep[i - 1])
            --i;
        // The run of lines i..last with the break after it (or, at the end, the break before it).
        size_t from = static_cast<size_t>(lines[i].data() - text.data());
        size_t to = static_cast<size_t>(lines[last].data() - text.data()) + lines[last].size();
        if (to < text.size()) {
            ++to;
        } else if (from > 0) {
            --from;
        }
        view.removeRange(static_cast<long>(from), static_cast<long>(to));
    }
    view.setSelection(0, 0);
    view.setRedraw(true);
}

} // namespace

void ViewerPane::compareVisiblePair() {
    if (!side2Visible_)
        return;
    if (side1_.textShown && side2_.textShown) {
        std::wstring t1 = side1_.text.text(), t2 = side2_.text.text();
        auto l1 = splitLines(t1), l2 = splitLines(t2);
        Leftovers left = CompareLines(l1, l2);
        keepLines(side1_.text, t1, l1, left.side1);
        keepLines(side2_.text, t2, l2, left.side2);
    }
    if (side1_.tableShown && side2_.tableShown) {
        TableModel& m1 = side1_.grid.model();
        TableModel& m2 = side2_.grid.model();
        Leftovers left = CompareTables(m1.dataRows(), m2.dataRows(), compareOptionsOf(options_));
        m1.keepDataRows(left.side1);
        m2.keepDataRows(left.side2);
        side1_.grid.modelChanged();
        side2_.grid.modelChanged();
        // The walk ends on side 1's last row, which is where its current cell is left; side 2's stays on
        // the last row a side-1 row was tried against (where that place still exists).
        if (left.lastTried2 != static_cast<size_t>(-1) && m2.rowCount() > 1)
            side2_.grid.setCurrent({0, static_cast<int>(std::min<size_t>(
                                           left.lastTried2 + 1, static_cast<size_t>(m2.rowCount() - 1)))});
        side1_.grid.setCurrent({0, m1.rowCount() - 1});
        SetFocus(side1_.grid.hwnd());
    }
}

} // namespace kw
