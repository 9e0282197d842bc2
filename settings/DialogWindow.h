// The common frame of the program's dialogs: an empty dialog box of a fixed client size, filled with
// controls placed in pixels (scaled to the screen's DPI), hints, and a modal loop that keeps the box
// alive when it closes, so that it keeps its controls' state from one showing to the next.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/UiHandles.h"

namespace kw {

class DialogWindow {
  public:
    DialogWindow() = default;
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Creates the box hidden, centred on the screen.
    bool create(HINSTANCE instance, HWND owner, std::string_view title, int clientWidth, int clientHeight);
    HWND hwnd() const { return hwnd_; }

    // Shows the box modally and returns once it has closed by any path.
    void showModal();
    bool isModal() const { return modal_; }
    // Closes the box: closing() runs first, while the owner is still disabled.
    void close();

  protected:
    // Fills the box with its controls.
    virtual void buildControls() = 0;
    // Just before the box closes and its owner becomes active again.
    virtual void closing() {}
    virtual void shown() {}
    // A message of the box; returns true when handled (result in *result).
    virtual bool handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) = 0;

    int px(int value) const { return MulDiv(value, dpi_, 96); }
    HWND addControl(const wchar_t* cls, std::string_view text, DWORD style, int id, int x, int y, int w,
                    int h, DWORD exStyle = 0);
    void addHint(HWND control, std::string_view hint);
    void setClientSize(int width, int height); // in unscaled pixels
    void centre();
    HFONT font() const { return font_.get(); }
    HINSTANCE instance() const { return instance_; }

  private:
    static INT_PTR CALLBACK dialogProc(HWND, UINT, WPARAM, LPARAM);

    HWND hwnd_ = nullptr;
    HWND tips_ = nullptr;
    HINSTANCE instance_ = nullptr;
    Font font_;
    int dpi_ = 96;
    bool modal_ = false;
};

std::string windowText(HWND w);
bool isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, bool on);

} // namespace kw
