// The main window's commands: the menu bar, the tool bar with the check box on its row, the keyboard
// shortcuts and the tool bar's tips, all from one table, so that a command's text, shortcut, tip and
// state are written once and enabling it is one call.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/CollectionRun.h"
#include "platform/UiHandles.h"
#include "settings/HelpMenu.h"

namespace kw {

enum class ButtonKind { Push, DropDown, Check };
enum class Initially {
    Enabled,
    Disabled,
    Hidden, // only during a run: the menu item greyed, the tool button hidden
    Checked,
};

struct Command {
    int id;
    const wchar_t* menuText = nullptr; // none: on the tool bar only
    const wchar_t* shortcut = nullptr; // "Ctrl+O": written beside the menu item and made a key
    const wchar_t* button = nullptr;   // the tool button's caption; none: in the menu only
    ButtonKind buttonKind = ButtonKind::Push;
    const wchar_t* tip = nullptr; // a drop-down button's tip is the hint of the current start variant
    Initially initially = Initially::Enabled;
    const HelpEntry& (*link)() = nullptr; // what the command opens
};

std::span<const Command> mainWindowCommands();
// The key of a shortcut text such as "Ctrl+O" or "Ctrl+Shift+F5"; nothing for a text it cannot read.
std::optional<ACCEL> acceleratorOf(const wchar_t* shortcut, int command);

class CommandBar {
  public:
    // The menu bar of `window`, the tool bar (IDC_TOOLBAR), the check box "Открыть каталог с
    // результатами" on its row, and the accelerator table.
    void create(HWND window);

    // The menu item and the tool button; the menu bar is redrawn.
    void setEnabled(int id, bool on);
    // The menu item alone: opening a package offers the menu's save, not the tool button's.
    void setMenuItemEnabled(int id, bool on);
    bool menuItemEnabled(int id) const;
    void setButtonVisible(int id, bool visible);
    // During a run "Стоп" stands in for "Пуск", and "Параметры" waits.
    void setRunning(bool running);
    void setButtonChecked(int id, bool checked);
    void redrawMenuBar() { DrawMenuBar(window_); }
    bool openResultsChecked() const;
    // The entry a command of the menu "Справка" or a link's tool button opens; nullptr for others.
    const HelpEntry* helpEntry(int id) const;

    // Sizes the tool bar to the window's width and puts the check box beside its last button; returns
    // the tool bar's height.
    int layout(int width);
    // The start variants' drop-down and the tool bar's tips; false for other notifications.
    bool notify(NMHDR* hdr);
    // The table's shortcuts, for the message loop.
    bool translateAccelerator(MSG& msg);

    std::function<StartVariant()> startVariant;

  private:
    void createMenu();
    void createToolBar();

    HWND window_ = nullptr;
    HMENU menu_ = nullptr; // the window's own: destroyed with it
    HWND toolBar_ = nullptr;
    HWND openResults_ = nullptr;
    AcceleratorTable accelerators_;
    std::wstring tip_; // the text a tip points to must outlive the notification
};

} // namespace kw
