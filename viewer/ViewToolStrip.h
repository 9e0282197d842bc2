// The viewer's tool strip: "Перенос по словам", "Кодировка Dos -> Win (для cmd-файлов)", "Размещение
// панелей", "Построчное сравнение", "Сравнить все разделы" and "Отчёт сравнения". Its buttons report
// through the std::function members; the owner passes on the strip's WM_COMMAND.
#pragma once
#include <windows.h>

#include <functional>

namespace kw {

class ViewToolStrip {
  public:
    struct Initial {
        bool wordWrap, consoleConversion, sideBySide;
    };
    // The buttons of side 2 (placement, both comparisons, report) start hidden.
    bool create(HWND parent, int id, HFONT font, Initial initial);
    HWND hwnd() const { return strip_; }
    int height(int minimum) const; // of its buttons, at least `minimum`

    // By the button's command id (viewer_id).
    bool checked(int button) const;
    void check(int button, bool on);
    void show(int button, bool visible);
    void setText(int button, const wchar_t* text);

    // A WM_COMMAND of the owner: true when it came from one of the buttons.
    bool command(int button);
    std::function<void(bool)> onWordWrap, onConsoleConversion, onSideBySide, onShowReport;
    std::function<void()> onCompareLines, onCompareAll;

  private:
    HWND strip_ = nullptr;
};

} // namespace kw
