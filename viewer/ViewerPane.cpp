// The results area: builds its components, lays them out and wires the tree, the views and the strip.
#include "viewer/ViewerPane.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/Text.h"
#include "viewer/InputBox.h"

namespace kw {
namespace {

namespace id = viewer_id;

enum SearchBarCommand { kSearchFind = 2130, kSearchNext, kExportTree };

void place(HWND w, int x, int y, int cx, int cy, bool visible) {
    if (!w)
        return;
    if (visible)
        SetWindowPos(w, nullptr, x, y, std::max(cx, 0), std::max(cy, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE);
}

void place(HWND w, const RECT& r, bool visible) {
    place(w, r.left, r.top, r.right - r.left, r.bottom - r.top, visible);
}

} // namespace

ViewerPane::ViewerPane(FileSystem& files, Desktop& desktop, OptionSet& options, Settings& settings,
                       std::string workFolder, std::string compareFolder)
    : files_(files), desktop_(desktop), options_(options), settings_(settings),
      workFolder_(std::move(workFolder)), compareFolder_(std::move(compareFolder)), tree_(files),
      compareJob_(files) {
    viewer_ = std::make_unique<ResultViewer>(files_, options_, side1_, side2_, workFolder_, compareFolder_);
    ask = [this](const std::string& title, const std::string& prompt, const std::string& initial) {
        return askString(hwnd(), title, prompt, initial);
    };
}

ViewerPane::~ViewerPane() {
    // The comparing thread ends first; the window goes while the pane can still answer its messages.
    compareJob_.stop();
    destroyWindow();
}

// SideViews of one side: the rich-edit box and the grid.

void ViewerPane::Side::showText(bool v) {
    textShown = v;
    if (relayout)
        relayout();
}
void ViewerPane::Side::showTable(bool v) {
    tableShown = v;
    if (relayout)
        relayout();
}
void ViewerPane::Side::setPlainText(const std::wstring& t) {
    richShown = false;
    text.setPlainText(t);
}
void ViewerPane::Side::setRichText(const std::string& rtf) {
    richShown = true;
    text.setRichText(rtf);
}

bool ViewerPane::create(HWND parent, HFONT font) {
    font_ = font;
    if (!createWindow({.name = L"KwViewerPane", .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
                      {.exStyle = WS_EX_CONTROLPARENT,
                       .style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                       .parent = parent,
                       .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::kPane))}))
        return false;
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int ctl) {
        HWND w = CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 10, 10, hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(ctl)),
                                 GetModuleHandleW(nullptr), nullptr);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return w;
    };

    tree_.create(hwnd(), id::kTree, font_);
    tree_.onSelectionChanged = [this](int node) { nodeSelected(node); };

    strip_.create(hwnd(), id::kToolStrip, font_,
                  {.wordWrap = options_.get(Option::WordWrap),
                   .consoleConversion = viewer_->consoleConversion(),
                   .sideBySide = sidesSplitter_.direction == Splitter::Direction::SideBySide});
    strip_.onWordWrap = [this](bool on) { setWordWrap(on); };
    strip_.onConsoleConversion = [this](bool on) { setConsoleConversion(on); };
    strip_.onSideBySide = [this](bool on) { setSideBySide(on); };
    strip_.onCompareLines = [this] { compareVisiblePair(); };
    strip_.onCompareAll = [this] { compareAll(); };
    strip_.onShowReport = [this](bool on) { showReport(on); };

    caption1_ = make(L"STATIC", L"Информация", SS_CENTER | SS_CENTERIMAGE, id::kCaption1);
    caption2_ = make(L"STATIC", L"(2) Информация для сравнения", SS_CENTER | SS_CENTERIMAGE, id::kCaption2);
    createSides();
    setWordWrap(options_.get(Option::WordWrap)); // the stored state, before any text node is shown
    wireCommands();

    // The search bar: built as the form has it, never shown.
    make(L"STATIC", L"", SS_LEFT, id::kSearchBar);
    make(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, id::kSearchBar + 1);
    make(L"BUTTON", L"Поиск", BS_PUSHBUTTON, kSearchFind);
    make(L"BUTTON", L"Дальше", BS_PUSHBUTTON, kSearchNext);
    make(L"BUTTON", L"Выгрузить дерево", BS_PUSHBUTTON, kExportTree);

    compareJob_.create();
    compareJob_.onProgress = [this](int done, int total) { compareProgress(done, total); };
    compareJob_.onFinished = [this](FolderComparison result) { compareAllDone(std::move(result)); };

    applyTreeWidth();
    treeSplitter_.onMoved = [this] {
        settings_.geometry.treeWidth = treeSplitter_.extent;
        layout();
    };
    sidesSplitter_.onMoved = [this] { layout(); };
    applyDrawOptions();
    activated();
    layout();
    return true;
}

void ViewerPane::createSides() {
    const DWORD textStyle = WS_VSCROLL | ES_MULTILINE | ES_NOHIDESEL | ES_AUTOVSCROLL | ES_SAVESEL;
    side1_.text.create(hwnd(), id::kText1, textStyle, WS_EX_CLIENTEDGE, font_);
    side2_.text.create(hwnd(), id::kText2, textStyle, WS_EX_CLIENTEDGE, font_);
    for (Side* s : {&side1_, &side2_}) {
        s->text.setLimit(256 * 1024 * 1024);
        s->relayout = [this] { layout(); };
    }
    side1_.grid.create(hwnd(), id::kTable1);
    side2_.grid.create(hwnd(), id::kTable2);
    reportGrid_.create(hwnd(), id::kReport);
    reportBar_.create(hwnd(), font_, id::kReportBar);
    // A switched option compares again at once, so that the report always says what it was made with.
    reportBar_.onNoiseChanged = [this] {
        if (side2Visible_ && !compareJob_.running())
            compareAll();
    };
    reportBar_.onSave = [this] { saveReportHtml(); };
}

void ViewerPane::applyTreeWidth() {
    treeSplitter_.extent = settings_.geometry.treeWidth > 0 ? settings_.geometry.treeWidth : 312;
    layout();
}

void ViewerPane::move(int x, int y, int width, int height) {
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    layout();
}

void ViewerPane::layout() {
    if (!hwnd())
        return;
    RECT rc;
    GetClientRect(hwnd(), &rc);
    const int gap = scaled(4);
    // The tree keeps its width; the views keep at least 120 pixels.
    Splitter::Parts parts = treeSplitter_.split(rc, gap, scaled(60), scaled(120));
    place(tree_.hwnd(), parts.first, true);

    RECT views = parts.second;
    const int stripH = strip_.height(scaled(22));
    place(strip_.hwnd(), views.left, 0, views.right - views.left, stripH, true);
    views.top = stripH + scaled(2);
    placeSides(views);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void ViewerPane::placeSides(const RECT& room) {
    RECT s1 = room, s2{};
    if (side2Visible_) {
        // Splitter6: side 1 keeps its share of the width (side by side) or of the height (one below the
        // other).
        const int gap = scaled(4), minSide = scaled(40);
        Splitter::Parts parts = sidesSplitter_.split(room, gap, minSide, minSide + gap);
        s1 = parts.first;
        s2 = parts.second;
    } else {
        sidesSplitter_.clear();
    }
    const int capH = scaled(20);
    auto placeSide = [&](Side& s, HWND caption, bool captionShown, RECT r, bool visible) {
        place(caption, r.left, r.top, r.right - r.left, capH, visible && captionShown);
        if (visible && captionShown)
            r.top += capH;
        place(s.text.hwnd(), r, visible && s.textShown);
        place(s.grid.hwnd(), r, visible && s.tableShown);
    };
    // The report of a whole comparison stands in place of both sides while it is shown.
    placeSide(side1_, caption1_, caption1Visible_, s1, !reportShown_);
    placeSide(side2_, caption2_, true, s2, side2Visible_ && !reportShown_);
    RECT report = room;
    reportBar_.place(report, reportShown_, scaled(24));
    place(reportGrid_.hwnd(), report, reportShown_);
}

LRESULT ViewerPane::handle(UINT msg, WPARAM wp, LPARAM lp) {
    const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_NOTIFY:
        tree_.notify(*reinterpret_cast<NMHDR*>(lp));
        return 0;
    case WM_COMMAND:
        if (strip_.command(LOWORD(wp)) || reportBar_.command(LOWORD(wp)))
            return 0;
        if (LOWORD(wp) == kSearchFind)
            searchBarFind();
        else if (LOWORD(wp) == kSearchNext)
            tableSearch(1, true);
        else if (LOWORD(wp) == kExportTree)
            tree_.exportChosen();
        return 0;
    case WM_CONTEXTMENU:
        contextMenu(reinterpret_cast<HWND>(wp), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) == caption1_ || reinterpret_cast<HWND>(lp) == caption2_) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetBkColor(dc, GetSysColor(COLOR_ACTIVECAPTION));
            SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_ACTIVECAPTION));
        }
        break;
    // The splitters: between the tree and the views, and between the two sides.
    case WM_LBUTTONDOWN:
        if (treeSplitter_.press(pt) || sidesSplitter_.press(pt))
            SetCapture(hwnd());
        return 0;
    case WM_MOUSEMOVE:
        if (sidesSplitter_.dragging()) {
            sidesSplitter_.dragTo(pt);
            return 0;
        }
        if (treeSplitter_.dragging() || treeSplitter_.over(pt))
            treeSplitter_.showCursor();
        if (sidesSplitter_.over(pt))
            sidesSplitter_.showCursor();
        if (treeSplitter_.dragging())
            treeSplitter_.dragTo(pt);
        return 0;
    case WM_LBUTTONUP:
        treeSplitter_.release();
        sidesSplitter_.release();
        ReleaseCapture();
        return 0;
    }
    return defaultHandling(msg, wp, lp);
}

void ViewerPane::nodeSelected(int node) {
    if (reportShown_)
        showReport(false);
    applyDrawOptions();
    if (node >= 0)
        viewer_->TreeView1Change(&resultTree()[static_cast<size_t>(node)]);
}

void ViewerPane::applyDrawOptions() {
    DrawOptions o{options_.get(Option::Zebra), options_.zebraBrightness(), options_.get(Option::Highlight)};
    side1_.grid.setDrawOptions(o);
    side2_.grid.setDrawOptions(o);
}

void ViewerPane::activated(bool resetWidths) {
    static constexpr int kWidths[kTableColumns] = {150, 65, 110, 65, 65, 220};
    for (int c = 0; resetWidths && c < kTableColumns; ++c)
        side1_.grid.setColumnWidth(c, scaled(kWidths[c]));
    applyDrawOptions();
}

void ViewerPane::RefreshCurrentNode() {
    int i = selectedNode();
    if (i < 0) {
        selectNode(0);
        return;
    }
    applyDrawOptions();
    viewer_->TreeView1Change(&resultTree()[static_cast<size_t>(i)]);
    if (IsWindowVisible(hwnd()))
        SetFocus(tree_.hwnd());
}

void ViewerPane::setStripButtonText(int command, const wchar_t* text) {
    strip_.setText(command, text);
    layout();
}

void ViewerPane::showSide2(bool visible) {
    side2Visible_ = visible;
    // The placement and the comparison come and go with side 2.
    for (int button : {id::kPlacement, id::kCompareLines, id::kCompareAll})
        strip_.show(button, visible);
    if (!visible) {
        strip_.show(id::kShowReport, false);
        reportShown_ = false;
    }
    layout();
}

void ViewerPane::setSide1Caption(const std::string& text, bool visible) {
    SetWindowTextW(caption1_, toWide(text).c_str());
    caption1Visible_ = visible;
    layout();
}

void ViewerPane::showSide1Caption(bool visible) {
    caption1Visible_ = visible;
    layout();
}

void ViewerPane::setSide2Caption(const std::string& text) {
    SetWindowTextW(caption2_, toWide(text).c_str());
}

void ViewerPane::setSideBySide(bool sideBySide) {
    sidesSplitter_.direction =
        sideBySide ? Splitter::Direction::SideBySide : Splitter::Direction::OneBelowTheOther;
    strip_.check(id::kPlacement, sideBySide);
    if (side2Visible_)
        layout();
}

void ViewerPane::setConsoleConversion(bool on) {
    viewer_->setConsoleConversion(on);
    strip_.check(id::kOemToAnsi, on);
    RefreshCurrentNode();
}

void ViewerPane::setWordWrap(bool on) {
    options_.set(Option::WordWrap, on);
    strip_.check(id::kWordWrap, on);
    side1_.setWordWrap(on);
    side2_.setWordWrap(on);
}

} // namespace kw
