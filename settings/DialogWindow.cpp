// The dialog frame: an in-memory template without controls, controls made in code, a modal loop.
#include "settings/DialogWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {

DialogWindow::~DialogWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

bool DialogWindow::create(HINSTANCE instance, HWND owner, std::string_view title, int clientWidth,
                          int clientHeight) {
    instance_ = instance;
    loadCommonControls(ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES);

    // A DLGTEMPLATE with no controls, no menu, the default class and the title: WORD-aligned data.
    std::wstring caption = toWide(title);
    std::vector<WORD> buf(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3 + caption.size() + 1, 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(buf.data());
    t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
    t->cdit = 0;
    WORD* p = buf.data() + sizeof(DLGTEMPLATE) / sizeof(WORD);
    *p++ = 0; // menu
    *p++ = 0; // class
    for (wchar_t c : caption)
        *p++ = static_cast<WORD>(c);
    *p++ = 0;

    HWND w = CreateDialogIndirectParamW(instance, t, owner, dialogProc, reinterpret_cast<LPARAM>(this));
    if (!w)
        return false;
    dpi_ = screenDpi(w);
    font_.reset(createMessageFont());
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w, nullptr, instance,
                            nullptr);
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, px(420));
    setClientSize(clientWidth, clientHeight);
    buildControls();
    centre();
    return true;
}

INT_PTR CALLBACK DialogWindow::dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->hwnd_ = hwnd;
        return FALSE; // no focus yet: the box is still empty
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    if (msg == WM_NCDESTROY) {
        // The owner's destruction takes its owned boxes with it.
        self->hwnd_ = nullptr;
        self->modal_ = false;
        return FALSE;
    }
    if (msg == WM_CLOSE) {
        self->close();
        return TRUE;
    }
    INT_PTR result = 0;
    if (self->handle(msg, wp, lp, &result)) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

void DialogWindow::showModal() {
    if (!hwnd_ || modal_)
        return;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    modal_ = true;
    shown();
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetActiveWindow(hwnd_);
    MSG msg;
    while (modal_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: close the box and hand the quit on to the main loop.
            if (got == 0) {
                close();
                PostQuitMessage(static_cast<int>(msg.wParam));
            }
            break;
        }
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void DialogWindow::close() {
    if (!modal_) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    // The owner is activated as soon as it is enabled and the box hidden: whatever closing() saves
    // must be written by then.
    closing();
    modal_ = false;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner)
        EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (owner)
        SetActiveWindow(owner);
}

HWND DialogWindow::addControl(const wchar_t* cls, std::string_view text, DWORD style, int id, int x, int y,
                              int w, int h, DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, cls, toWide(text).c_str(), WS_CHILD | style, px(x), px(y), px(w), px(h),
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return c;
}

void DialogWindow::addHint(HWND control, std::string_view hint) {
    if (hint.empty() || !tips_)
        return;
    std::wstring text = toWide(hint);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text.data();
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void DialogWindow::setClientSize(int width, int height) {
    RECT r{0, 0, px(width), px(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::centre() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + ((work.right - work.left) - (r.right - r.left)) / 2;
    int y = work.top + ((work.bottom - work.top) - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, std::max<int>(work.top, y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string windowText(HWND w) {
    int n = GetWindowTextLengthW(w);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(w, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return toUtf8(s);
}

bool isChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void setChecked(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace kw
