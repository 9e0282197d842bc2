// The commands of the results area's menus and shortcut keys: the searches of the tree, the tables and
// the text views, copying rows, sorting and fitting the tables, and opening a file from a table.
#include <cstring>

#include "platform/Text.h"
#include "results/Findings.h"
#include "results/ResultTree.h"
#include "viewer/ViewableFile.h"
#include "viewer/ViewerPane.h"

namespace kw {

void ViewerPane::wireCommands() {
    tree_.onSearchKey = [this](UINT key) { treeSearch(key == VK_F3); };
    for (int n : {1, 2}) {
        side(n).text.onSearchKey = [this, n](UINT key) { FindInText(n, key == VK_F3); };
        TableGrid& g = side(n).grid;
        g.onMouseDown = [this, n](CellPos p) { headerPress(n, p); };
        g.onContextMenu = [this, n](int x, int y) { contextMenu(side(n).grid.hwnd(), x, y); };
        g.onKey = [this, n](UINT key, bool) {
            if (key == 'C')
                CopySelectedRows(n);
            else
                tableSearch(n, key == VK_F3);
        };
    }
    side1_.grid.onDoubleClick = [this] { tableDoubleClick(); };
    reportGrid_.onDoubleClick = [this] { reportDoubleClick(); };
    reportGrid_.onContextMenu = [this](int x, int y) { reportContextMenu(x, y); };
    reportGrid_.onKey = [this](UINT key, bool) {
        if (key == 'C')
            CopyRows(reportGrid_);
    };
}

void ViewerPane::notFound(const std::string& text) {
    desktop_.showMessage(hwnd(), "\"" + text + "\" не найдено", MessageKind::Info);
}

void ViewerPane::treeSearch(bool continueSearch) {
    if (!continueSearch) {
        auto answer = ask("Поиск в дереве", "Задайте строку поиска", sharedSearch);
        if (!answer)
            return;
        sharedSearch = *answer;
    }
    bool found = FindTreeNode(sharedSearch, continueSearch);
    if (found && !sharedSearch.empty())
        SetFocus(tree_.hwnd());
    else
        notFound(sharedSearch);
}

void ViewerPane::tableSearch(int n, bool continueSearch) {
    if (!continueSearch) {
        auto answer =
            ask(n == 1 ? "Поиск в таблице" : "Поиск в таблице #2", "Задайте строку поиска", sharedSearch);
        if (!answer)
            return;
        sharedSearch = *answer;
    }
    TableGrid& g = side(n).grid;
    // An empty string finds nothing, as in the tree and the texts.
    auto found = sharedSearch.empty()
                     ? std::nullopt
                     : g.model().FindInTable(toWide(sharedSearch), g.current(), continueSearch);
    if (found) {
        g.setCurrent(*found);
        SetFocus(g.hwnd());
    } else {
        notFound(sharedSearch);
    }
}

// The hidden search bar's "Поиск": side 1's table from its current row.
void ViewerPane::searchBarFind() {
    wchar_t buf[512] = {};
    GetDlgItemTextW(hwnd(), viewer_id::kSearchBar + 1, buf, 512);
    if (auto p = side1_.grid.model().FindInTable(buf, side1_.grid.current(), false))
        side1_.grid.setCurrent(*p);
}

void ViewerPane::FindInText(int n, bool continueSearch) {
    std::string& remembered = textSearch_[n - 1];
    if (!continueSearch || remembered.empty()) {
        auto answer = ask("Поиск", "Задайте искомую строку", remembered);
        if (!answer)
            return;
        remembered = *answer;
    }
    if (!side(n).text.findNext(toWide(remembered)))
        notFound(remembered);
}

void ViewerPane::CopySelectedRows(int n) {
    CopyRows(side(n).grid);
}

void ViewerPane::CopyRows(TableGrid& g) {
    std::wstring text = g.model().copyRows(g.selectionTop(), g.selectionBottom());
    if (!OpenClipboard(hwnd()))
        return;
    EmptyClipboard();
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem))
            GlobalFree(mem);
    }
    // The Russian locale goes with the text, so that programs reading it as ANSI get Cyrillic.
    if (HGLOBAL loc = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID))) {
        *static_cast<LCID*>(GlobalLock(loc)) = 1049;
        GlobalUnlock(loc);
        if (!SetClipboardData(CF_LOCALE, loc))
            GlobalFree(loc);
    }
    CloseClipboard();
}

void ViewerPane::SortByFirstColumn(int n) {
    side(n).grid.model().SortByFirstColumn();
    InvalidateRect(side(n).grid.hwnd(), nullptr, FALSE);
}

void ViewerPane::autoFit(int n, bool firstColumnOnly) {
    side(n).grid.AutoSizeColumns(firstColumnOnly ? 1 : kTableColumns);
}

void ViewerPane::headerPress(int n, CellPos cell) {
    if (cell.row > 0 || cell.col < 0)
        return;
    // Side 1 sorts by a header click only while "Не сортировать по столбцу" is off.
    if (n == 1 && options_.get(Option::NotSort))
        return;
    side(n).grid.model().SortByColumn(cell.col);
    InvalidateRect(side(n).grid.hwnd(), nullptr, FALSE);
}

void ViewerPane::tableDoubleClick() {
    TableGrid& g = side1_.grid;
    if (g.current().row >= g.model().rowCount())
        return; // a comparison left the header alone
    int selected = selectedNode();
    if (selected >= 0 && resultTree()[static_cast<size_t>(selected)].file == kFindingsFile) {
        // A finding leads to the topic of its source file, in the column "Источник:".
        int node = findingSourceNode(toUtf8(g.model().cell(4, g.current().row)));
        if (node >= 0)
            selectNode(node);
        return;
    }
    std::string name = toUtf8(g.model().cell(g.current().col, g.current().row));
    if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos || !isViewableFile(name))
        return;
    std::string path = workFolder_ + "\\" + name;
    if (files_.plainFileExists(path))
        desktop_.shellOpen(path);
}

} // namespace kw
