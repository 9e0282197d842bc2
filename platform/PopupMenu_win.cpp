// Shortcut menus from rows.
#include "platform/PopupMenu.h"

#include "platform/UiHandles.h"

namespace kw {

int showPopupMenu(HWND owner, std::span<const MenuRow> rows, int x, int y, HWND control, UINT flags) {
    Menu menu(CreatePopupMenu());
    if (!menu)
        return 0;
    for (const MenuRow& row : rows) {
        if (!row.text)
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu.get(), MF_STRING | (row.checked ? MF_CHECKED : 0),
                        static_cast<UINT_PTR>(row.command), row.text);
    }
    if (x == -1 && y == -1 && control) {
        RECT r;
        GetWindowRect(control, &r);
        x = r.left + 10;
        y = r.top + 10;
    }
    int command = TrackPopupMenu(menu.get(), flags | TPM_RETURNCMD, x, y, 0, owner, nullptr);
    if (command == 0)
        return 0;
    for (const MenuRow& row : rows) {
        if (row.text && row.command == command) {
            if (row.run)
                row.run();
            else
                PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
            break;
        }
    }
    return command;
}

} // namespace kw
