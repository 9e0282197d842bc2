// The one base of the program's own window classes: the class registered once, its messages forwarded to
// the object, pixels scaled to the screen, child controls created with the window's font. Also the
// loading of the common controls and the rich-edit library, which several windows need.
#pragma once
#include <windows.h>

#include <string_view>

namespace kw {

// The screen's dots per inch as the window sees them (96 at 100 %).
int screenDpi(HWND w);
// px pixels at 96 dpi, for the window's screen.
int scaledPixels(HWND w, int px);
// The message font of the system (NONCLIENTMETRICS), created anew; the caller owns it.
HFONT createMessageFont();
// InitCommonControlsEx for the given ICC_ classes; cheap when called again.
void loadCommonControls(DWORD classes);
// Msftedit.dll, the rich-edit control of MSFTEDIT_CLASS; loaded once.
void loadRichEdit();

struct ChildControl {
    const wchar_t* windowClass;
    const wchar_t* text = L"";
    DWORD style = 0; // WS_CHILD is added
    int id = 0;
    DWORD exStyle = 0;
};
// A child control of parent with parent's font (WM_GETFONT).
HWND createChild(HWND parent, const ChildControl& control);

class Window {
  public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }
    int scaled(int px) const { return scaledPixels(hwnd_, px); }

  protected:
    Window() = default;

    struct WindowClass {
        const wchar_t* name;
        UINT style = 0;
        HBRUSH background = nullptr;
        HICON icon = nullptr;
    };
    struct Creation {
        DWORD exStyle = 0;
        std::wstring_view title;
        DWORD style = 0;
        int x = 0, y = 0, width = 10, height = 10;
        HWND parent = nullptr;
        HMENU menuOrId = nullptr;
        HINSTANCE instance = nullptr; // the program's module when none
    };
    // Registers the class on first use (one class, one registration per process) and creates the window;
    // its messages reach handle() from WM_NCCREATE on.
    bool createWindow(const WindowClass& windowClass, const Creation& creation);
    // Destroys the window now, while the derived object still handles its last messages; after the
    // destructor of the derived class has run, the base only ever passes them to DefWindowProc.
    void destroyWindow();

    virtual LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT defaultHandling(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

  private:
    static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
};

} // namespace kw
