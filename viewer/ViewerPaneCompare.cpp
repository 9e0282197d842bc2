// "Построчное сравнение" on the two sides of the open node: the engine finds what the sides have in
// common, and the views lose those lines or rows. The files are not touched.
#include <richedit.h>

#include "results/Comparison.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

// The text view's text as it holds it: paragraphs end in CR.
std::wstring textOf(HWND edit) {
    GETTEXTLENGTHEX len{GTL_DEFAULT | GTL_NUMCHARS, 1200};
    LRESULT n = SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>((n + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT got = SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

// Removes from the view every line that is not kept. Lines are cut out from the bottom up, so that the
// rest keep their formatting (a rich-text report stays coloured) and their positions stay valid.
void keepLines(HWND edit, const std::wstring& text, const std::vector<std::wstring_view>& lines,
               const std::vector<size_t>& kept) {
    std::vector<bool> keep(lines.size(), false);
    for (size_t k : kept)
        keep[k] = true;
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
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
        CHARRANGE range{static_cast<LONG>(from), static_cast<LONG>(to)};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
}

} // namespace

void ViewerPane::compareVisiblePair() {
    if (!side2Visible_)
        return;
    if (side1_.textShown && side2_.textShown) {
        std::wstring t1 = textOf(side1_.text), t2 = textOf(side2_.text);
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
        SetFocus(side1_.grid.hwnd());
    }
}

} // namespace kw
