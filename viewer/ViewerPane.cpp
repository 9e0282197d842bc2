// The results area: builds its controls, lays them out, and wires the tree, the views and the menus.
#include "viewer/ViewerPane.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/Text.h"
#include "results/LocaleText.h"
#include "viewer/InputBox.h"
#include "viewer/TreeImages.h"

namespace kw {
namespace {

constexpr wchar_t kClass[] = L"KwViewerPane";
namespace id = viewer_id;

enum MenuCommand {
    kExpand = 1,
    kCollapse,
    kTreeFind,
    kTreeFindNext,
    kCopy,
    kSelectAll,
    kTextFind,
    kTextFindNext,
    kCopyRow,
    kSortFirst,
    kFitFirst,
    kFitAll,
    kTableFind,
    kTableFindNext,
    kSearchFind = 2130,
    kSearchNext,
    kExportTree,
};

int scaled(HWND w, int px) {
    HDC dc = GetDC(w);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(w, dc);
    return MulDiv(px, dpi, 96);
}

void place(HWND w, int x, int y, int cx, int cy, bool visible) {
    if (!w)
        return;
    if (visible)
        SetWindowPos(w, nullptr, x, y, std::max(cx, 0), std::max(cy, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE);
}

} // namespace

ViewerPane::ViewerPane(FileSystem& files, Desktop& desktop, OptionSet& options, Settings& settings,
                       std::string workFolder, std::string compareFolder)
    : files_(files), desktop_(desktop), options_(options), settings_(settings),
      workFolder_(std::move(workFolder)), compareFolder_(std::move(compareFolder)) {
    viewer_ = std::make_unique<ResultViewer>(files_, options_, side1_, side2_, workFolder_, compareFolder_);
    ask = [this](const std::string& title, const std::string& prompt, const std::string& initial) {
        return askString(hwnd_, title, prompt, initial);
    };
}

ViewerPane::~ViewerPane() {
    stopAll_.store(true);
    if (allWorker_.joinable())
        allWorker_.join();
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
    // Plain text: no formatting carried over from a rich file shown before.
    SETTEXTEX st{ST_DEFAULT, 1200};
    SendMessageW(text, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(L""));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    cf.dwEffects = CFE_AUTOCOLOR;
    SendMessageW(text, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(text, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageW(text, EM_SETSEL, 0, 0); // a loaded file is shown from its top
}
void ViewerPane::Side::setRichText(const std::string& rtf) {
    richShown = true;
    struct Source {
        const std::string* bytes;
        size_t pos;
    } src{&rtf, 0};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* got) WINAPI -> DWORD {
        auto* s = reinterpret_cast<Source*>(cookie);
        size_t n = std::min(static_cast<size_t>(cb), s->bytes->size() - s->pos);
        memcpy(buf, s->bytes->data() + s->pos, n);
        s->pos += n;
        *got = static_cast<LONG>(n);
        return 0;
    };
    SendMessageW(text, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    SendMessageW(text, EM_SETSEL, 0, 0);
}
void ViewerPane::Side::setWordWrap(bool on) {
    SendMessageW(text, EM_SETTARGETDEVICE, 0, on ? 0 : 1);
}

bool ViewerPane::create(HWND parent, HFONT font) {
    static const bool registered = [] {
        LoadLibraryW(L"Msftedit.dll");
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered)
        return false;
    font_ = font;
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::kPane)),
                            GetModuleHandleW(nullptr), this);
    if (!hwnd_)
        return false;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int ctl, DWORD ex = 0) {
        HWND w = CreateWindowExW(ex, cls, text, WS_CHILD | style, 0, 0, 10, 10, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(ctl)), inst, nullptr);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return w;
    };

    createTree();

    // The viewer's tool strip: word wrap, console encoding, panel placement.
    strip_ = make(TOOLBARCLASSNAMEW, nullptr,
                  WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                  id::kToolStrip);
    SendMessageW(strip_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(strip_, TB_SETIMAGELIST, 0, 0);
    struct Btn {
        int ctl;
        const wchar_t* text;
    };
    for (Btn b : {Btn{id::kWordWrap, L"Перенос по словам"},
                  Btn{id::kOemToAnsi, L"Кодировка Dos -> Win (для cmd-файлов)"},
                  Btn{id::kPlacement, L"Размещение панелей"}, Btn{id::kCompareLines, L"Построчное сравнение"},
                  Btn{id::kCompareAll, L"Сравнить все разделы"}, Btn{id::kShowReport, L"Отчёт сравнения"}}) {
        TBBUTTON t{};
        t.iBitmap = I_IMAGENONE;
        t.idCommand = b.ctl;
        t.fsState = TBSTATE_ENABLED;
        bool push = b.ctl == id::kCompareLines || b.ctl == id::kCompareAll;
        t.fsStyle = static_cast<BYTE>((push ? BTNS_BUTTON : BTNS_CHECK) | BTNS_AUTOSIZE | BTNS_SHOWTEXT);
        t.iString = reinterpret_cast<INT_PTR>(b.text);
        SendMessageW(strip_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&t));
    }
    SendMessageW(strip_, TB_CHECKBUTTON, id::kWordWrap, options_.get(Option::WordWrap));
    SendMessageW(strip_, TB_CHECKBUTTON, id::kOemToAnsi, viewer_->consoleConversion());
    SendMessageW(strip_, TB_CHECKBUTTON, id::kPlacement, sideBySide_);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kPlacement, TRUE);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kCompareLines, TRUE);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kCompareAll, TRUE);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kShowReport, TRUE);

    caption1_ = make(L"STATIC", L"Информация", SS_CENTER | SS_CENTERIMAGE, id::kCaption1);
    caption2_ = make(L"STATIC", L"(2) Информация для сравнения", SS_CENTER | SS_CENTERIMAGE, id::kCaption2);
    const DWORD textStyle = WS_VSCROLL | ES_MULTILINE | ES_NOHIDESEL | ES_AUTOVSCROLL | ES_SAVESEL;
    side1_.text = make(MSFTEDIT_CLASS, L"", textStyle, id::kText1, WS_EX_CLIENTEDGE);
    side2_.text = make(MSFTEDIT_CLASS, L"", textStyle, id::kText2, WS_EX_CLIENTEDGE);
    for (Side* s : {&side1_, &side2_}) {
        SendMessageW(s->text, EM_EXLIMITTEXT, 0, 256 * 1024 * 1024);
        SetWindowSubclass(s->text, keyProc, 1, reinterpret_cast<DWORD_PTR>(this));
        s->relayout = [this] { layout(); };
    }
    side1_.grid.create(hwnd_, id::kTable1);
    side2_.grid.create(hwnd_, id::kTable2);
    for (int n : {1, 2}) {
        TableGrid& g = side(n).grid;
        g.onMouseDown = [this, n](CellPos p) { headerPress(n, p); };
        g.onContextMenu = [this, n](int x, int y) { contextMenu(side(n).grid.hwnd(), x, y); };
        g.onKey = [this, n](UINT key, bool) { onKey(side(n).grid.hwnd(), key); };
    }
    side1_.grid.onDoubleClick = [this] { tableDoubleClick(); };
    reportGrid_.create(hwnd_, id::kReport);
    reportGrid_.onDoubleClick = [this] { reportDoubleClick(); };
    reportGrid_.onContextMenu = [this](int x, int y) { reportContextMenu(x, y); };
    reportGrid_.onKey = [this](UINT key, bool) {
        if (key == 'C')
            CopyRows(reportGrid_);
    };

    // The search bar: built as the form has it, never shown.
    searchBar_ = make(L"STATIC", L"", SS_LEFT, id::kSearchBar);
    make(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, id::kSearchBar + 1);
    make(L"BUTTON", L"Поиск", BS_PUSHBUTTON, kSearchFind);
    make(L"BUTTON", L"Дальше", BS_PUSHBUTTON, kSearchNext);
    make(L"BUTTON", L"Выгрузить дерево", BS_PUSHBUTTON, kExportTree);

    treeWidth_ = settings_.geometry.treeWidth > 0 ? settings_.geometry.treeWidth : 312;
    applyDrawOptions();
    activated();
    layout();
    return true;
}

void ViewerPane::createTree() {
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                            0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::kTree)),
                            GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(tree_, TVM_SETINDENT, static_cast<WPARAM>(scaled(hwnd_, 19)), 0);
    images_ = makeTreeImages(scaled(hwnd_, 16));
    SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));
    SetWindowSubclass(tree_, keyProc, 1, reinterpret_cast<DWORD_PTR>(this));

    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    std::vector<HTREEITEM> parents;
    auto nodes = resultTree();
    items_.reserve(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ResultNode& n = nodes[i];
        parents.resize(static_cast<size_t>(n.depth));
        std::wstring text = toWide(n.text);
        TVINSERTSTRUCTW ins{};
        ins.hParent = parents.empty() ? TVI_ROOT : parents.back();
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        ins.item.pszText = text.data();
        ins.item.iImage = ins.item.iSelectedImage = n.image;
        ins.item.lParam = static_cast<LPARAM>(i);
        HTREEITEM item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
        items_.push_back(item);
        parents.push_back(item);
    }
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
}

void ViewerPane::move(int x, int y, int width, int height) {
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    layout();
}

void ViewerPane::layout() {
    if (!hwnd_)
        return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int w = rc.right, h = rc.bottom, gap = scaled(hwnd_, 4);
    int tw = std::clamp(treeWidth_, scaled(hwnd_, 60), std::max(scaled(hwnd_, 60), w - scaled(hwnd_, 120)));
    place(tree_, 0, 0, tw, h, true);

    int vx = tw + gap, vw = w - vx;
    SIZE strip{};
    SendMessageW(strip_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&strip));
    int stripH = std::max(static_cast<int>(strip.cy), scaled(hwnd_, 22));
    place(strip_, vx, 0, vw, stripH, true);
    int sy = stripH + scaled(hwnd_, 2), sh = h - sy;

    RECT s1{vx, sy, vx + vw, sy + sh}, s2{};
    const int minSide = scaled(hwnd_, 40);
    if (side2Visible_) {
        // Splitter6: side 1 keeps its share of the width (side by side) or of the height (one below the
        // other).
        if (sideBySide_) {
            int first = std::clamp(static_cast<int>((vw - gap) * side1Share_), minSide,
                                   std::max(minSide, vw - gap - minSide));
            s1.right = vx + first;
            s2 = {s1.right + gap, sy, vx + vw, sy + sh};
        } else {
            int first = std::clamp(static_cast<int>((sh - gap) * side1Share_), minSide,
                                   std::max(minSide, sh - gap - minSide));
            s1.bottom = sy + first;
            s2 = {vx, s1.bottom + gap, vx + vw, sy + sh};
        }
    }
    sidesSplitter_ = side2Visible_ ? (sideBySide_ ? RECT{s1.right, sy, s2.left, sy + sh}
                                                  : RECT{vx, s1.bottom, vx + vw, s2.top})
                                   : RECT{};
    sidesArea_ = {vx, sy, vx + vw, sy + sh};
    const int capH = scaled(hwnd_, 20);
    auto placeSide = [&](Side& s, HWND caption, bool captionShown, const RECT& r, bool visible) {
        int top = r.top;
        place(caption, r.left, top, r.right - r.left, capH, visible && captionShown);
        if (visible && captionShown)
            top += capH;
        place(s.text, r.left, top, r.right - r.left, r.bottom - top, visible && s.textShown);
        place(s.grid.hwnd(), r.left, top, r.right - r.left, r.bottom - top, visible && s.tableShown);
    };
    // The report of a whole comparison stands in place of both sides while it is shown.
    placeSide(side1_, caption1_, caption1Visible_, s1, !reportShown_);
    placeSide(side2_, caption2_, true, s2, side2Visible_ && !reportShown_);
    place(reportGrid_.hwnd(), vx, sy, vw, sh, reportShown_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK ViewerPane::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<ViewerPane*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = h;
    }
    auto* self = reinterpret_cast<ViewerPane*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    return self ? self->handle(msg, wp, lp) : DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK ViewerPane::keyProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<ViewerPane*>(data);
    if (msg == WM_KEYDOWN && ((GetKeyState(VK_CONTROL) < 0 && wp == 'F') || wp == VK_F3) &&
        self->onKey(w, static_cast<UINT>(wp)))
        return 0;
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(w, keyProc, 1);
    return DefSubclassProc(w, msg, wp, lp);
}

bool ViewerPane::onKey(HWND control, UINT key) {
    bool next = key == VK_F3;
    if (control == tree_) {
        treeSearch(next);
    } else if (control == side1_.text || control == side2_.text) {
        FindInText(control == side1_.text ? 1 : 2, next);
    } else {
        int n = control == side1_.grid.hwnd() ? 1 : 2;
        if (key == 'C')
            CopySelectedRows(n);
        else
            tableSearch(n, next);
    }
    return true;
}

LRESULT ViewerPane::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        layout();
        return 0;
    case kProgressMessage:
        compareProgress(static_cast<int>(wp), static_cast<int>(lp));
        return 0;
    case kCompareDoneMessage:
        compareAllDone();
        return 0;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->hwndFrom == tree_ && hdr->code == TVN_SELCHANGEDW && reportShown_)
            showReport(false);
        if (hdr->hwndFrom == tree_ && hdr->code == TVN_SELCHANGEDW) {
            auto* nm = reinterpret_cast<NMTREEVIEWW*>(lp);
            auto nodes = resultTree();
            size_t i = static_cast<size_t>(nm->itemNew.lParam);
            applyDrawOptions();
            if (nm->itemNew.hItem && i < nodes.size())
                viewer_->TreeView1Change(&nodes[i]);
        }
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case id::kWordWrap:
            setWordWrap(SendMessageW(strip_, TB_ISBUTTONCHECKED, id::kWordWrap, 0) != 0);
            break;
        case id::kOemToAnsi:
            setConsoleConversion(SendMessageW(strip_, TB_ISBUTTONCHECKED, id::kOemToAnsi, 0) != 0);
            break;
        case id::kPlacement:
            setSideBySide(SendMessageW(strip_, TB_ISBUTTONCHECKED, id::kPlacement, 0) != 0);
            break;
        case id::kCompareLines:
            compareVisiblePair();
            break;
        case id::kCompareAll:
            compareAll();
            break;
        case id::kShowReport:
            showReport(SendMessageW(strip_, TB_ISBUTTONCHECKED, id::kShowReport, 0) != 0);
            break;
        case kSearchFind: {
            wchar_t buf[512] = {};
            GetDlgItemTextW(hwnd_, id::kSearchBar + 1, buf, 512);
            if (auto p = side1_.grid.model().FindInTable(buf, side1_.grid.current(), false))
                side1_.grid.setCurrent(*p);
            break;
        }
        case kSearchNext:
            tableSearch(1, true);
            break;
        case kExportTree: {
            wchar_t file[MAX_PATH] = {};
            OPENFILENAMEW ofn{};
            ofn.lStructSize = sizeof ofn;
            ofn.hwndOwner = hwnd_;
            ofn.lpstrFilter = L"*.tree\0*.tree\0";
            ofn.lpstrDefExt = L"tree";
            ofn.lpstrFile = file;
            ofn.nMaxFile = MAX_PATH;
            ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
            if (GetSaveFileNameW(&ofn))
                exportTree(toUtf8(file));
            break;
        }
        }
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
    // The splitter between the tree and the views.
    case WM_LBUTTONDOWN: {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (overSplitter(pt.x)) {
            draggingSplitter_ = true;
            SetCapture(hwnd_);
        } else if (PtInRect(&sidesSplitter_, pt)) {
            draggingSides_ = true;
            SetCapture(hwnd_);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (draggingSides_) {
            const RECT& a = sidesArea_;
            double share = sideBySide_ ? double(GET_X_LPARAM(lp) - a.left) / std::max(1L, a.right - a.left)
                                       : double(GET_Y_LPARAM(lp) - a.top) / std::max(1L, a.bottom - a.top);
            side1Share_ = std::clamp(share, 0.05, 0.95);
            layout();
            return 0;
        }
        if (draggingSplitter_ || overSplitter(GET_X_LPARAM(lp)))
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        {
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (PtInRect(&sidesSplitter_, pt))
                SetCursor(LoadCursorW(nullptr, sideBySide_ ? IDC_SIZEWE : IDC_SIZENS));
        }
        if (draggingSplitter_) {
            treeWidth_ = std::max(scaled(hwnd_, 60), static_cast<int>(GET_X_LPARAM(lp)));
            settings_.geometry.treeWidth = treeWidth_;
            layout();
        }
        return 0;
    case WM_LBUTTONUP:
        draggingSplitter_ = draggingSides_ = false;
        ReleaseCapture();
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool ViewerPane::overSplitter(int x) const {
    RECT r{};
    GetWindowRect(tree_, &r);
    int edge = r.right - r.left;
    return x >= edge && x < edge + scaled(hwnd_, 4);
}

void ViewerPane::contextMenu(HWND control, int x, int y) {
    HMENU m = CreatePopupMenu();
    auto add = [m](int cmd, const wchar_t* text) {
        AppendMenuW(m, cmd ? MF_STRING : MF_SEPARATOR, cmd, text);
    };
    int n = control == side1_.text || control == side1_.grid.hwnd() ? 1 : 2;
    if (control == tree_) {
        add(kExpand, L"Развернуть");
        add(kCollapse, L"Свернуть");
        add(0, nullptr);
        add(kTreeFind, L"Поиск по дереву\tCtrl+F");
        add(kTreeFindNext, L"Продолжить поиск по дереву\tF3");
    } else if (control == side1_.text || control == side2_.text) {
        add(kCopy, L"Копировать");
        add(kSelectAll, L"Выделить все");
        add(0, nullptr);
        add(kTextFind, L"Поиск\tCtrl+F");
        add(kTextFindNext, L"Продолжить поиск\tF3");
    } else if (control == side1_.grid.hwnd() || control == side2_.grid.hwnd()) {
        add(kCopyRow, L"Копировать строку\tCtrl+C");
        add(0, nullptr);
        add(kSortFirst, L"Сортировать первый столбец");
        add(0, nullptr);
        add(kFitFirst, L"Автоподбор, первый столбец");
        add(kFitAll, L"Автоподбор, таблица");
        add(0, nullptr);
        add(kTableFind, L"Поиск\tCtrl+F");
        add(kTableFindNext, L"Продолжить поиск\tF3");
    } else {
        DestroyMenu(m);
        return;
    }
    if (x == -1 && y == -1) {
        RECT r;
        GetWindowRect(control, &r);
        x = r.left + 10;
        y = r.top + 10;
    }
    int cmd = TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
    DestroyMenu(m);
    switch (cmd) {
    case kExpand:
        expandAll(true);
        break;
    case kCollapse:
        expandAll(false);
        break;
    case kTreeFind:
        treeSearch(false);
        break;
    case kTreeFindNext:
        treeSearch(true);
        break;
    case kCopy:
        SendMessageW(side(n).text, WM_COPY, 0, 0);
        break;
    case kSelectAll:
        SendMessageW(side(n).text, EM_SETSEL, 0, -1);
        break;
    case kTextFind:
        FindInText(n, false);
        break;
    case kTextFindNext:
        FindInText(n, true);
        break;
    case kCopyRow:
        CopySelectedRows(n);
        break;
    case kSortFirst:
        SortByFirstColumn(n);
        break;
    case kFitFirst:
        autoFit(n, true);
        break;
    case kFitAll:
        autoFit(n, false);
        break;
    case kTableFind:
        tableSearch(n, false);
        break;
    case kTableFindNext:
        tableSearch(n, true);
        break;
    }
}

void ViewerPane::applyDrawOptions() {
    DrawOptions o{options_.get(Option::Zebra), options_.zebraBrightness(), options_.get(Option::Highlight)};
    side1_.grid.setDrawOptions(o);
    side2_.grid.setDrawOptions(o);
}

void ViewerPane::activated() {
    static constexpr int kWidths[kTableColumns] = {150, 65, 110, 65, 65, 220};
    for (int c = 0; c < kTableColumns; ++c)
        side1_.grid.setColumnWidth(c, scaled(hwnd_, kWidths[c]));
    applyDrawOptions();
}

int ViewerPane::selectedNode() const {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return -1;
    TVITEMW it{};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return static_cast<int>(it.lParam);
}

void ViewerPane::selectNode(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return;
    HTREEITEM item = items_[static_cast<size_t>(index)];
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0),
                 0); // long texts must not push the icons out of sight
}

void ViewerPane::RefreshCurrentNode() {
    int i = selectedNode();
    if (i < 0) {
        selectNode(0);
        return;
    }
    applyDrawOptions();
    viewer_->TreeView1Change(&resultTree()[static_cast<size_t>(i)]);
    if (IsWindowVisible(hwnd_))
        SetFocus(tree_);
}

bool ViewerPane::FindTreeNode(const std::string& text, bool continueSearch) {
    auto found =
        findTreeNode(text, selectedNode(), continueSearch, [](std::string_view hay, std::string_view needle) {
            return containsNoCaseUtf8(hay, needle);
        });
    if (!found)
        return false;
    selectNode(*found);
    return true;
}

void ViewerPane::expandAll(bool expand) {
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    for (HTREEITEM item : items_)
        SendMessageW(tree_, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
}

bool ViewerPane::exportTree(const std::string& path) {
    return files_.writeFile(path, utf8ToAnsi(treeExportText()));
}

void ViewerPane::notFound(const std::string& text) {
    desktop_.showMessage(hwnd_, "\"" + text + "\" не найдено", MessageKind::Info);
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
        SetFocus(tree_);
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
    auto found = g.model().FindInTable(toWide(sharedSearch), g.current(), continueSearch);
    if (found) {
        g.setCurrent(*found);
        SetFocus(g.hwnd());
    } else {
        notFound(sharedSearch);
    }
}

void ViewerPane::FindInText(int n, bool continueSearch) {
    std::string& remembered = textSearch_[n - 1];
    if (!continueSearch || remembered.empty()) {
        auto answer = ask("Поиск", "Задайте искомую строку", remembered);
        if (!answer)
            return;
        remembered = *answer;
    }
    HWND edit = side(n).text;
    CHARRANGE sel{};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    std::wstring what = toWide(remembered);
    FINDTEXTEXW ft{};
    ft.chrg = {sel.cpMax, -1};
    ft.lpstrText = what.c_str();
    LRESULT at = SendMessageW(edit, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&ft));
    if (at >= 0 && !what.empty()) {
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&ft.chrgText));
        SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    } else {
        notFound(remembered);
    }
}

void ViewerPane::setStripButtonText(int command, const wchar_t* text) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(text);
    SendMessageW(strip_, TB_SETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
    layout();
}

void ViewerPane::CopySelectedRows(int n) {
    CopyRows(side(n).grid);
}

void ViewerPane::CopyRows(TableGrid& g) {
    std::wstring text = g.model().copyRows(g.selectionTop(), g.selectionBottom());
    if (!OpenClipboard(hwnd_))
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
    std::string name = toUtf8(g.model().cell(g.current().col, g.current().row));
    if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return;
    std::string path = workFolder_ + "\\" + name;
    if (files_.plainFileExists(path))
        desktop_.shellOpen(path);
}

void ViewerPane::showSide2(bool visible) {
    side2Visible_ = visible;
    // The placement and the comparison come and go with side 2.
    SendMessageW(strip_, TB_HIDEBUTTON, id::kPlacement, !visible);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kCompareLines, !visible);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kCompareAll, !visible);
    if (!visible) {
        SendMessageW(strip_, TB_HIDEBUTTON, id::kShowReport, TRUE);
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
    sideBySide_ = sideBySide;
    SendMessageW(strip_, TB_CHECKBUTTON, id::kPlacement, sideBySide);
    if (side2Visible_)
        layout();
}

void ViewerPane::setConsoleConversion(bool on) {
    viewer_->setConsoleConversion(on);
    SendMessageW(strip_, TB_CHECKBUTTON, id::kOemToAnsi, on);
    RefreshCurrentNode();
}

void ViewerPane::setWordWrap(bool on) {
    options_.set(Option::WordWrap, on);
    SendMessageW(strip_, TB_CHECKBUTTON, id::kWordWrap, on);
    side1_.setWordWrap(on);
    side2_.setWordWrap(on);
}

} // namespace kw
