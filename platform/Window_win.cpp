// Window classes registered once, messages forwarded through GWLP_USERDATA, DPI scaling.
#include "platform/Window.h"

#include <commctrl.h>

#include <mutex>
#include <set>
#include <string>

namespace kw {

int screenDpi(HWND w) {
    HDC dc = GetDC(w);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(w, dc);
    return dpi > 0 ? dpi : 96;
}

int scaledPixels(HWND w, int px) {
    return MulDiv(px, screenDpi(w), 96);
}

HFONT createMessageFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    return CreateFontIndirectW(&ncm.lfMessageFont);
}

void loadCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX icc{sizeof icc, classes};
    InitCommonControlsEx(&icc);
}

void loadRichEdit() {
    static const HMODULE module = LoadLibraryW(L"Msftedit.dll");
    (void)module;
}

HWND createChild(HWND parent, const ChildControl& c) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND w = CreateWindowExW(c.exStyle, c.windowClass, c.text, WS_CHILD | c.style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (w)
        SendMessageW(w, WM_SETFONT, static_cast<WPARAM>(SendMessageW(parent, WM_GETFONT, 0, 0)), FALSE);
    return w;
}

Window::~Window() {
    // The derived part is gone: nothing may reach it any more.
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::createWindow(const WindowClass& windowClass, const Creation& c) {
    HINSTANCE instance = c.instance ? c.instance : GetModuleHandleW(nullptr);
    {
        static std::mutex mutex;
        static std::set<std::wstring> registered;
        std::lock_guard lock(mutex);
        if (!registered.count(windowClass.name)) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.style = windowClass.style;
            wc.lpfnWndProc = proc;
            wc.hInstance = instance;
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = windowClass.background;
            wc.hIcon = windowClass.icon;
            wc.lpszClassName = windowClass.name;
            if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
                return false;
            registered.insert(windowClass.name);
        }
    }
    std::wstring title(c.title);
    return CreateWindowExW(c.exStyle, windowClass.name, title.c_str(), c.style, c.x, c.y, c.width, c.height,
                           c.parent, c.menuOrId, instance, this) != nullptr;
}

void Window::destroyWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

LRESULT Window::handle(UINT msg, WPARAM wp, LPARAM lp) {
    return defaultHandling(msg, wp, lp);
}

LRESULT CALLBACK Window::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        LRESULT result = self->handle(msg, wp, lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return result;
    }
    return self->handle(msg, wp, lp);
}

} // namespace kw
