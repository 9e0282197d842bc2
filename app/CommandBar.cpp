#include "app/CommandBar.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string_view>
#include <vector>

#include "app/resource.h"
#include "platform/PopupMenu.h"
#include "platform/Text.h"
#include "platform/Window.h"
#include "settings/HelpMenu.h"

namespace kw {
namespace {

const Command kCommands[] = {
    {.id = IDC_START, .menuText = L"Пуск", .button = L"Пуск", .buttonKind = ButtonKind::DropDown},
    {.id = IDC_STOP, .menuText = L"Стоп", .button = L"Стоп", .initially = Initially::Hidden},
    {.id = IDC_LOAD_PACKAGE,
     .menuText = L"Загрузить информацию (1)",
     .shortcut = L"Ctrl+O",
     .button = L"Загрузить",
     .tip = L"Загрузить информацию"},
    {.id = IDC_LOAD_COMPARE,
     .menuText = L"Загрузить информацию для сравнения (2)",
     .shortcut = L"Ctrl+P",
     .initially = Initially::Disabled},
    {.id = IDC_SAVE_PACKAGE,
     .menuText = L"Сохранить информацию...",
     .shortcut = L"Ctrl+S",
     .button = L"Сохранить",
     .tip = L"Сохранить информацию...",
     .initially = Initially::Disabled},
    {.id = IDC_COMPARE_ALL, .menuText = L"Сравнить все разделы", .initially = Initially::Disabled},
    {.id = IDC_LIBRARY, .menuText = L"Библиотека пакетов..."},
    {.id = IDC_OPEN_FOLDER,
     .menuText = L"Открыть каталог с результатами",
     .button = L"Каталог",
     .tip = L"Открыть каталог с результатами"},
    {.id = IDC_CLEAR, .menuText = L"Очистить результаты", .button = L"Очистить результаты"},
    {.id = IDC_LOAD_SETTINGS, .menuText = L"Загрузить настройки"},
    {.id = IDC_EXIT, .menuText = L"Выход"},
    {.id = IDC_EVENTS,
     .menuText = L"События показать/скрыть",
     .button = L"События",
     .buttonKind = ButtonKind::Check,
     .tip = L"События показать/скрыть",
     .initially = Initially::Checked},
    {.id = IDC_OPTIONS, .menuText = L"Параметры", .button = L"Параметры", .tip = L"Параметры"},
    {.id = IDC_FAQ, .button = L"FAQ", .tip = L"FAQ - База знаний СТП ТАВИР", .link = knowledgeBaseLink},
    {.id = IDC_SERVICEDESK,
     .button = L"ServiceDESK",
     .tip = L"ServiceDESK - вопрос в СТП (Личный кабинет)",
     .link = customerAreaLink},
};

// Where the commands stand, each list in its order: the menus "Файл", "Вид" and "Пакеты" and the tool bar.
// "Параметры" stands in the menu bar itself, beside the help menu "Справка".
constexpr int kSeparator = 0;
constexpr int kFileMenu[] = {IDC_START,        IDC_STOP,         kSeparator,      IDC_LOAD_PACKAGE,
                             IDC_LOAD_COMPARE, IDC_SAVE_PACKAGE, IDC_COMPARE_ALL, IDC_OPEN_FOLDER,
                             kSeparator,       IDC_CLEAR,        kSeparator,      IDC_LOAD_SETTINGS,
                             kSeparator,       IDC_EXIT};
constexpr int kViewMenu[] = {IDC_EVENTS};
constexpr int kPackagesMenu[] = {IDC_LIBRARY};
constexpr int kToolBar[] = {IDC_START,        IDC_STOP,        IDC_OPTIONS, IDC_CLEAR, IDC_LOAD_PACKAGE,
                            IDC_SAVE_PACKAGE, IDC_OPEN_FOLDER, IDC_EVENTS,  IDC_FAQ,   IDC_SERVICEDESK};

const Command& commandOf(int id) {
    for (const Command& c : kCommands)
        if (c.id == id)
            return c;
    static const Command none{.id = 0};
    return none;
}

void appendItem(HMENU menu, int id) {
    if (id == kSeparator) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    const Command& c = commandOf(id);
    std::wstring text = c.menuText;
    if (c.shortcut)
        text += std::wstring(L"\t") + c.shortcut;
    bool greyed = c.initially == Initially::Disabled || c.initially == Initially::Hidden;
    AppendMenuW(menu, MF_STRING | (greyed ? MF_GRAYED : 0), static_cast<UINT_PTR>(id), text.c_str());
}

template <size_t N> HMENU popupOf(const int (&items)[N]) {
    HMENU popup = CreatePopupMenu();
    for (int id : items)
        appendItem(popup, id);
    return popup;
}

} // namespace

std::span<const Command> mainWindowCommands() {
    return kCommands;
}

std::optional<ACCEL> acceleratorOf(const wchar_t* shortcut, int command) {
    ACCEL key{FVIRTKEY, 0, static_cast<WORD>(command)};
    std::wstring_view rest = shortcut ? shortcut : L"";
    const std::pair<std::wstring_view, BYTE> modifiers[] = {
        {L"Ctrl+", FCONTROL}, {L"Shift+", FSHIFT}, {L"Alt+", FALT}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, flag] : modifiers) {
            if (rest.substr(0, prefix.size()) == prefix) {
                key.fVirt |= flag;
                rest.remove_prefix(prefix.size());
                found = true;
            }
        }
    }
    if (rest.size() == 1 && ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'0' && rest[0] <= L'9'))) {
        key.key = rest[0];
    } else if (rest.size() >= 2 && rest[0] == L'F') {
        int n = _wtoi(std::wstring(rest.substr(1)).c_str());
        if (n < 1 || n > 24 || std::to_wstring(n) != rest.substr(1))
            return std::nullopt;
        key.key = static_cast<WORD>(VK_F1 + n - 1);
    } else {
        return std::nullopt;
    }
    return key;
}

void CommandBar::create(HWND window) {
    window_ = window;
    createMenu();
    createToolBar();
    openResults_ = createChild(window, {.windowClass = L"BUTTON",
                                        .text = L"Открыть каталог с результатами",
                                        .style = WS_VISIBLE | BS_AUTOCHECKBOX,
                                        .id = IDC_OPEN_RESULTS});
    std::vector<ACCEL> keys;
    for (const Command& c : kCommands)
        if (auto key = acceleratorOf(c.shortcut, c.id))
            keys.push_back(*key);
    accelerators_.reset(CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size())));
}

void CommandBar::createMenu() {
    menu_ = CreateMenu();
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(popupOf(kFileMenu)), L"Файл");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(popupOf(kViewMenu)), L"Вид");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(popupOf(kPackagesMenu)), L"Пакеты");
    appendItem(menu_, IDC_OPTIONS);
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(buildHelpMenu(IDC_HELP_FIRST)), L"Справка");
    SetMenu(window_, menu_);
}

void CommandBar::createToolBar() {
    toolBar_ = createChild(window_, {.windowClass = TOOLBARCLASSNAMEW,
                                     .text = nullptr,
                                     .style = WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST |
                                              TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER,
                                     .id = IDC_TOOLBAR});
    SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    SendMessageW(toolBar_, TB_SETIMAGELIST, 0, 0);
    // All buttons in one message, each in its first state: every added, hidden or disabled button would
    // have the tool bar measure all its texts again.
    std::vector<TBBUTTON> buttons;
    for (int id : kToolBar) {
        const Command& c = commandOf(id);
        BYTE style = c.buttonKind == ButtonKind::DropDown ? BTNS_DROPDOWN
                     : c.buttonKind == ButtonKind::Check  ? BTNS_CHECK
                                                          : BTNS_BUTTON;
        BYTE state = c.initially == Initially::Hidden     ? TBSTATE_ENABLED | TBSTATE_HIDDEN
                     : c.initially == Initially::Disabled ? 0
                     : c.initially == Initially::Checked  ? TBSTATE_ENABLED | TBSTATE_CHECKED
                                                          : TBSTATE_ENABLED;
        TBBUTTON t{};
        t.iBitmap = I_IMAGENONE;
        t.idCommand = id;
        t.fsState = state;
        t.fsStyle = static_cast<BYTE>(style | BTNS_AUTOSIZE | BTNS_SHOWTEXT);
        t.iString = reinterpret_cast<INT_PTR>(c.button);
        buttons.push_back(t);
    }
    SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
}

void CommandBar::setEnabled(int id, bool on) {
    setMenuItemEnabled(id, on);
    SendMessageW(toolBar_, TB_ENABLEBUTTON, static_cast<WPARAM>(id), on);
    DrawMenuBar(window_);
}

void CommandBar::setMenuItemEnabled(int id, bool on) {
    EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

bool CommandBar::menuItemEnabled(int id) const {
    return !(GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

void CommandBar::setButtonVisible(int id, bool visible) {
    SendMessageW(toolBar_, TB_HIDEBUTTON, static_cast<WPARAM>(id), !visible);
}

void CommandBar::setRunning(bool running) {
    setButtonVisible(IDC_START, !running);
    setButtonVisible(IDC_STOP, running);
    setEnabled(IDC_OPTIONS, !running);
    setEnabled(IDC_LOAD_SETTINGS, !running); // the options and geometry stay as the run found them
    setEnabled(IDC_START, !running);
    setEnabled(IDC_STOP, running);
}

void CommandBar::setButtonChecked(int id, bool checked) {
    SendMessageW(toolBar_, TB_CHECKBUTTON, static_cast<WPARAM>(id), checked);
}

bool CommandBar::openResultsChecked() const {
    return SendMessageW(openResults_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

const HelpEntry* CommandBar::helpEntry(int id) const {
    const Command& c = commandOf(id);
    return c.link ? &c.link() : helpEntryOfCommand(IDC_HELP_FIRST, id);
}

int CommandBar::layout(int width) {
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    RECT r{};
    GetWindowRect(toolBar_, &r);
    int height = r.bottom - r.top;
    int gap = scaledPixels(window_, 4);
    int line = scaledPixels(window_, 23);
    // The buttons end where the last one does.
    RECT last{};
    int count = static_cast<int>(SendMessageW(toolBar_, TB_BUTTONCOUNT, 0, 0));
    SendMessageW(toolBar_, TB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    // The check box sits on the tool bar's row, above it in the z-order.
    SetWindowPos(openResults_, HWND_TOP, last.right + 3 * gap, (height - line) / 2,
                 std::max(0, std::min<int>(scaledPixels(window_, 260), width - last.right - 4 * gap)), line,
                 0);
    return height;
}

bool CommandBar::notify(NMHDR* hdr) {
    if (hdr->idFrom == IDC_TOOLBAR && hdr->code == TBN_DROPDOWN) {
        auto* nm = reinterpret_cast<NMTOOLBARW*>(hdr);
        RECT r;
        SendMessageW(hdr->hwndFrom, TB_GETRECT, nm->iItem, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(hdr->hwndFrom, nullptr, reinterpret_cast<POINT*>(&r), 2);
        const int ids[] = {IDC_VARIANT_SETTINGS, IDC_VARIANT_MAIN, IDC_VARIANT_FULL};
        std::wstring texts[3];
        MenuRow rows[3];
        for (int i = 0; i < 3; ++i) {
            const StartVariantInfo& v = startVariantInfo(static_cast<StartVariant>(i));
            texts[i] = toWide(v.hint);
            rows[i] = {.command = ids[i], .text = texts[i].c_str(), .checked = startVariant() == v.variant};
        }
        showPopupMenu(window_, rows, r.left, r.bottom, nullptr, TPM_LEFTALIGN | TPM_TOPALIGN);
        return true;
    }
    if (hdr->code == TTN_GETDISPINFOW) {
        auto* tt = reinterpret_cast<NMTTDISPINFOW*>(hdr);
        const Command& c = commandOf(static_cast<int>(tt->hdr.idFrom));
        if (c.buttonKind == ButtonKind::DropDown)
            tip_ = toWide(startVariantInfo(startVariant()).hint);
        else
            tip_ = c.tip ? c.tip : L"";
        tt->lpszText = tip_.data();
        return true;
    }
    return false;
}

bool CommandBar::translateAccelerator(MSG& msg) {
    return accelerators_ && window_ && (msg.hwnd == window_ || IsChild(window_, msg.hwnd)) &&
           TranslateAcceleratorW(window_, accelerators_.get(), &msg) != 0;
}

} // namespace kw
