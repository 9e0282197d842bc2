// Painting, scrolling, selection and mouse handling of the table view.
#include "viewer/TableGrid.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/UiHandles.h"

namespace kw {
namespace {

COLORREF ref(Rgb24 c) {
    return RGB(c.r, c.g, c.b);
}

} // namespace

bool TableGrid::create(HWND parent, int id) {
    if (!createWindow({.name = L"KwTableGrid", .style = CS_DBLCLKS},
                      {.exStyle = WS_EX_CLIENTEDGE,
                       .style = WS_CHILD | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                       .parent = parent,
                       .menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))}))
        return false;
    font_ = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    if (!font_)
        font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    int dpi = 96;
    {
        WindowDc dc(hwnd());
        SelectedObject withFont(dc.get(), font_);
        GetTextMetricsW(dc.get(), &tm);
        dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    }
    // 15 pixels at 96 dpi, never less than the font needs.
    rowHeight_ = std::max(MulDiv(15, dpi, 96), static_cast<int>(tm.tmHeight) + 3);
    updateScroll();
    return true;
}

void TableGrid::modelChanged() {
    current_ = {0, 1};
    anchor_ = 1;
    top_ = 1;
    left_ = 0;
    updateScroll();
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void TableGrid::setDrawOptions(const DrawOptions& o) {
    options_ = o;
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void TableGrid::setColumnWidth(int col, int width) {
    widths_[static_cast<size_t>(col)] = std::max(width, 0);
    updateScroll();
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void TableGrid::AutoSizeColumns(int count) {
    WindowDc windowDc(hwnd());
    HDC dc = windowDc.get();
    SelectedObject withFont(dc, font_);
    // Text without kerning is as wide as the sum of its characters' advances: measured once per
    // character, a table of 100,000 rows fits at once.
    std::array<int, kTableColumns> w = model_.autoSizeWidths(count, charWidths_, [dc](wchar_t ch) {
        SIZE sz{};
        GetTextExtentPoint32W(dc, &ch, 1, &sz);
        return static_cast<int>(sz.cx);
    });
    for (int c = 0; c < count && c < kTableColumns; ++c)
        widths_[static_cast<size_t>(c)] = w[static_cast<size_t>(c)];
    updateScroll();
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

int TableGrid::visibleRows() const {
    RECT r{};
    if (hwnd())
        GetClientRect(hwnd(), &r);
    return std::max(1, (static_cast<int>(r.bottom) - rowHeight_) / rowHeight_);
}

int TableGrid::totalWidth() const {
    int w = 0;
    for (int x : widths_)
        w += x + 1;
    return w;
}

void TableGrid::updateScroll() {
    if (!hwnd())
        return;
    RECT r;
    GetClientRect(hwnd(), &r);
    int dataRows = model_.rowCount() - 1;
    top_ = std::clamp(top_, 1, std::max(1, dataRows - visibleRows() + 1));
    left_ = std::clamp(left_, 0, std::max(0, totalWidth() - static_cast<int>(r.right)));
    SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL};
    si.nMin = 1;
    si.nMax = std::max(1, dataRows);
    si.nPage = static_cast<UINT>(visibleRows());
    si.nPos = top_;
    SetScrollInfo(hwnd(), SB_VERT, &si, TRUE);
    si.nMin = 0;
    si.nMax = std::max(0, totalWidth() - 1);
    si.nPage = static_cast<UINT>(std::max(0, static_cast<int>(r.right)));
    si.nPos = left_;
    SetScrollInfo(hwnd(), SB_HORZ, &si, TRUE);
}

void TableGrid::scrollTo(int topRow, int left) {
    top_ = topRow;
    left_ = left;
    updateScroll();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TableGrid::ensureVisible(int row) {
    if (row < 1)
        return;
    int rows = visibleRows();
    if (row < top_)
        scrollTo(row, left_);
    else if (row >= top_ + rows)
        scrollTo(row - rows + 1, left_);
}

void TableGrid::setCurrent(CellPos p) {
    p.row = std::clamp(p.row, 1, std::max(1, model_.rowCount() - 1));
    p.col = std::clamp(p.col, 0, kTableColumns - 1);
    current_ = p;
    anchor_ = p.row;
    ensureVisible(p.row);
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void TableGrid::selectRows(int from, int to) {
    setCurrent({current_.col, to});
    anchor_ = std::clamp(from, 1, std::max(1, model_.rowCount() - 1));
    InvalidateRect(hwnd(), nullptr, FALSE);
}

CellPos TableGrid::cellAt(int x, int y) const {
    CellPos p{-1, -1};
    int cx = -left_;
    for (int c = 0; c < kTableColumns; ++c) {
        int w = widths_[static_cast<size_t>(c)] + 1;
        if (x >= cx && x < cx + w)
            p.col = c;
        cx += w;
    }
    if (y >= 0 && y < rowHeight_) {
        p.row = 0;
    } else if (y >= rowHeight_) {
        int r = top_ + (y - rowHeight_) / rowHeight_;
        p.row = r < model_.rowCount() ? r : -1;
    }
    return p;
}

void TableGrid::paint(HDC dc, const RECT& client) {
    HBRUSH window = GetSysColorBrush(COLOR_WINDOW);
    FillRect(dc, &client, window);
    SelectedObject withFont(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    Pen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    SelectedObject withPen(dc, pen.get());
    int rows = visibleRows() + 1;
    int lo = selectionTop(), hi = selectionBottom();
    auto drawRow = [&](int r, int y) {
        int x = -left_;
        for (int c = 0; c < kTableColumns; ++c) {
            int w = widths_[static_cast<size_t>(c)];
            if (x + w >= 0 && x < client.right) {
                std::wstring_view text = model_.cell(c, r);
                CellStyle s = cellStyle(r, text, r > 0 && r >= lo && r <= hi, options_);
                COLORREF bg = s.background == CellStyle::Background::Selection ? GetSysColor(COLOR_HIGHLIGHT)
                              : s.background == CellStyle::Background::Zebra   ? ref(s.zebra)
                              : r == 0                                         ? GetSysColor(COLOR_BTNFACE)
                                                                               : GetSysColor(COLOR_WINDOW);
                COLORREF fg = s.selectionText ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                              : s.text        ? ref(*s.text)
                                              : GetSysColor(COLOR_WINDOWTEXT);
                RECT cell{x, y, x + w, y + rowHeight_ - 1};
                SetDCBrushColor(dc, bg);
                FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
                SetTextColor(dc, fg);
                ExtTextOutW(dc, x + 2, y + 2, ETO_CLIPPED, &cell, text.data(), static_cast<UINT>(text.size()),
                            nullptr);
            }
            x += w;
            MoveToEx(dc, x, y, nullptr); // the vertical grid line right of the cell
            LineTo(dc, x, y + rowHeight_);
            ++x;
        }
        MoveToEx(dc, -left_, y + rowHeight_ - 1, nullptr);
        LineTo(dc, x, y + rowHeight_ - 1);
    };
    drawRow(0, 0);
    for (int i = 0; i < rows && top_ + i < model_.rowCount(); ++i)
        drawRow(top_ + i, rowHeight_ * (i + 1));
}

LRESULT TableGrid::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        RECT r;
        GetClientRect(hwnd(), &r);
        {
            // Drawn off screen first, so that scrolling does not flicker.
            MemoryDc mem(CreateCompatibleDC(dc));
            Bitmap bmp(CreateCompatibleBitmap(dc, std::max(1L, r.right), std::max(1L, r.bottom)));
            SelectedObject drawing(mem.get(), bmp.get());
            paint(mem.get(), r);
            BitBlt(dc, 0, 0, r.right, r.bottom, mem.get(), 0, 0, SRCCOPY);
        }
        EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        updateScroll();
        InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    case WM_VSCROLL: {
        SCROLLINFO si{sizeof si, SIF_ALL};
        GetScrollInfo(hwnd(), SB_VERT, &si);
        int t = top_, page = visibleRows();
        switch (LOWORD(wp)) {
        case SB_LINEUP:
            --t;
            break;
        case SB_LINEDOWN:
            ++t;
            break;
        case SB_PAGEUP:
            t -= page;
            break;
        case SB_PAGEDOWN:
            t += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            t = si.nTrackPos;
            break; // the view follows the thumb while it is dragged
        case SB_TOP:
            t = 1;
            break;
        case SB_BOTTOM:
            t = model_.rowCount();
            break;
        }
        scrollTo(t, left_);
        return 0;
    }
    case WM_HSCROLL: {
        SCROLLINFO si{sizeof si, SIF_ALL};
        GetScrollInfo(hwnd(), SB_HORZ, &si);
        int l = left_;
        switch (LOWORD(wp)) {
        case SB_LINELEFT:
            l -= 20;
            break;
        case SB_LINERIGHT:
            l += 20;
            break;
        case SB_PAGELEFT:
            l -= static_cast<int>(si.nPage);
            break;
        case SB_PAGERIGHT:
            l += static_cast<int>(si.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            l = si.nTrackPos;
            break;
        }
        scrollTo(top_, l);
        return 0;
    }
    case WM_MOUSEWHEEL:
        scrollTo(top_ - GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA * 3, left_);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        SetFocus(hwnd());
        int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        // A press on a column border in the header row resizes that column.
        if (msg == WM_LBUTTONDOWN && y < rowHeight_) {
            int edge = -left_;
            for (int c = 0; c < kTableColumns; ++c) {
                edge += widths_[static_cast<size_t>(c)] + 1;
                if (std::abs(x - edge) <= 3) {
                    resizing_ = c;
                    resizeStart_ = x;
                    resizeWidth_ = widths_[static_cast<size_t>(c)];
                    SetCapture(hwnd());
                    return 0;
                }
            }
        }
        CellPos p = cellAt(x, y);
        if (p.row > 0) {
            bool inSelection = p.row >= selectionTop() && p.row <= selectionBottom();
            if (msg == WM_LBUTTONDOWN && (wp & MK_SHIFT))
                selectRows(anchor_, p.row);
            else if (msg == WM_LBUTTONDOWN || !inSelection)
                setCurrent({std::max(p.col, 0), p.row});
            if (msg == WM_LBUTTONDOWN) {
                selectingFrom_ = anchor_; // dragging down or up selects the rows passed over
                SetCapture(hwnd());
            }
        }
        if (onMouseDown)
            onMouseDown(p);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (resizing_ >= 0) {
            setColumnWidth(resizing_, std::max(4, resizeWidth_ + GET_X_LPARAM(lp) - resizeStart_));
        } else if (selectingFrom_ > 0) {
            // Above the first row in sight or below the last, the table scrolls along one row at a time.
            int y = GET_Y_LPARAM(lp);
            int row = y < rowHeight_ ? top_ - 1 : top_ + (y - rowHeight_) / rowHeight_;
            row = std::clamp(row, 1, std::max(1, model_.rowCount() - 1));
            if (row != current_.row)
                selectRows(selectingFrom_, row);
        } else if (GET_Y_LPARAM(lp) < rowHeight_) {
            int edge = -left_, x = GET_X_LPARAM(lp);
            for (int w : widths_) {
                edge += w + 1;
                if (std::abs(x - edge) <= 3)
                    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (resizing_ >= 0 || selectingFrom_ > 0) {
            resizing_ = selectingFrom_ = -1;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        resizing_ = selectingFrom_ = -1;
        return 0;
    case WM_LBUTTONDBLCLK:
        if (cellAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)).row > 0 && onDoubleClick)
            onDoubleClick();
        return 0;
    case WM_CONTEXTMENU:
        if (onContextMenu) {
            int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
            if (x == -1 && y == -1) {
                POINT pt{10, rowHeight_ * 2};
                ClientToScreen(hwnd(), &pt);
                x = pt.x;
                y = pt.y;
            }
            onContextMenu(x, y);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
        bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
        int r = current_.row, page = visibleRows();
        int last = std::max(1, model_.rowCount() - 1);
        switch (wp) {
        case VK_UP:
            r -= 1;
            break;
        case VK_DOWN:
            r += 1;
            break;
        case VK_PRIOR:
            r -= page;
            break;
        case VK_NEXT:
            r += page;
            break;
        case VK_HOME:
            r = 1;
            break;
        case VK_END:
            r = last;
            break;
        case VK_LEFT:
            setCurrent({current_.col - 1, r});
            return 0;
        case VK_RIGHT:
            setCurrent({current_.col + 1, r});
            return 0;
        default:
            if (onKey && ((ctrl && (wp == 'C' || wp == 'F')) || wp == VK_F3))
                onKey(static_cast<UINT>(wp), ctrl);
            return 0;
        }
        r = std::clamp(r, 1, last);
        if (shift)
            selectRows(anchor_, r);
        else
            setCurrent({current_.col, r});
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    }
    return defaultHandling(msg, wp, lp);
}

} // namespace kw
