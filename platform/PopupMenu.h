// A shortcut menu from rows: built, shown and destroyed in one call. A row with no text is a separator.
#pragma once
#include <windows.h>

#include <functional>
#include <span>

namespace kw {

struct MenuRow {
    int command = 0;
    const wchar_t* text = nullptr; // none: a separator
    bool checked = false;
    std::function<void()> run; // what the command does; none: the owner gets WM_COMMAND
};

// Shows the menu at (x, y) in screen coordinates; (-1, -1), the keyboard's menu key, places it at the
// top left of `control`. Runs the chosen row's function, or posts WM_COMMAND to owner for rows without
// one. Returns the chosen command, 0 when none.
int showPopupMenu(HWND owner, std::span<const MenuRow> rows, int x, int y, HWND control = nullptr,
                  UINT flags = TPM_RIGHTBUTTON);

} // namespace kw
