// RAII owners for what the window code creates: fonts, brushes, pens, bitmaps, image lists, menus,
// accelerator tables and a window's device context. Built on the platform's UniqueHandle.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include "platform/WinHandle.h"

namespace kw {

template <typename H> struct TypedGdiTraits {
    using Handle = H;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { DeleteObject(h); }
};
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ImageList_Destroy(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { DestroyMenu(h); }
};
struct AcceleratorTraits {
    using Handle = HACCEL;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { DestroyAcceleratorTable(h); }
};

using Font = UniqueHandle<TypedGdiTraits<HFONT>>;
using Brush = UniqueHandle<TypedGdiTraits<HBRUSH>>;
using Pen = UniqueHandle<TypedGdiTraits<HPEN>>;
using Bitmap = UniqueHandle<TypedGdiTraits<HBITMAP>>;
using ImageList = UniqueHandle<ImageListTraits>;
// A menu that no window owns (a popup shown once); a window's own menu is destroyed with the window.
using Menu = UniqueHandle<MenuTraits>;
using AcceleratorTable = UniqueHandle<AcceleratorTraits>;

// GetDC of a window, released with the same window.
class WindowDc {
  public:
    explicit WindowDc(HWND w) : w_(w), dc_(GetDC(w)) {}
    ~WindowDc() {
        if (dc_)
            ReleaseDC(w_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND w_;
    HDC dc_;
};

// An object selected into a device context for a scope.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace kw
