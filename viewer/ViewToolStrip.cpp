// The tool strip's buttons, their states and their commands.
#include "viewer/ViewToolStrip.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/Window.h"
#include "viewer/ViewerIds.h"

namespace kw {
namespace {

namespace id = viewer_id;

struct Button {
    int command;
    const wchar_t* text;
    bool pushed; // a push button; the others stay down until pressed again
};
constexpr Button kButtons[] = {
    {id::kWordWrap, L"Перенос по словам", false},
    {id::kOemToAnsi, L"Кодировка Dos -> Win (для cmd-файлов)", false},
    {id::kPlacement, L"Размещение панелей", false},
    {id::kCompareLines, L"Построчное сравнение", true},
    {id::kCompareAll, L"Сравнить все разделы", true},
    {id::kShowReport, L"Отчёт сравнения", false},
};

} // namespace

bool ViewToolStrip::create(HWND parent, int ctl, HFONT font, Initial initial) {
    loadCommonControls(ICC_BAR_CLASSES);
    strip_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                 CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ctl)),
                             GetModuleHandleW(nullptr), nullptr);
    if (!strip_)
        return false;
    SendMessageW(strip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(strip_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(strip_, TB_SETIMAGELIST, 0, 0);
    for (const Button& b : kButtons) {
        TBBUTTON t{};
        t.iBitmap = I_IMAGENONE;
        t.idCommand = b.command;
        t.fsState = TBSTATE_ENABLED;
        t.fsStyle = static_cast<BYTE>((b.pushed ? BTNS_BUTTON : BTNS_CHECK) | BTNS_AUTOSIZE | BTNS_SHOWTEXT);
        t.iString = reinterpret_cast<INT_PTR>(b.text);
        SendMessageW(strip_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&t));
    }
    check(id::kWordWrap, initial.wordWrap);
    check(id::kOemToAnsi, initial.consoleConversion);
    check(id::kPlacement, initial.sideBySide);
    for (int button : {id::kPlacement, id::kCompareLines, id::kCompareAll, id::kShowReport})
        show(button, false);
    return true;
}

int ViewToolStrip::height(int minimum) const {
    SIZE size{};
    SendMessageW(strip_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return std::max(static_cast<int>(size.cy), minimum);
}

bool ViewToolStrip::checked(int button) const {
    return SendMessageW(strip_, TB_ISBUTTONCHECKED, static_cast<WPARAM>(button), 0) != 0;
}

void ViewToolStrip::check(int button, bool on) {
    SendMessageW(strip_, TB_CHECKBUTTON, static_cast<WPARAM>(button), on);
}

void ViewToolStrip::show(int button, bool visible) {
    SendMessageW(strip_, TB_HIDEBUTTON, static_cast<WPARAM>(button), !visible);
}

void ViewToolStrip::setText(int button, const wchar_t* text) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(text);
    SendMessageW(strip_, TB_SETBUTTONINFOW, static_cast<WPARAM>(button), reinterpret_cast<LPARAM>(&info));
}

bool ViewToolStrip::command(int button) {
    auto report = [this, button](const std::function<void(bool)>& to) {
        if (to)
            to(checked(button));
    };
    auto run = [](const std::function<void()>& to) {
        if (to)
            to();
    };
    switch (button) {
    case id::kWordWrap:
        report(onWordWrap);
        return true;
    case id::kOemToAnsi:
        report(onConsoleConversion);
        return true;
    case id::kPlacement:
        report(onSideBySide);
        return true;
    case id::kCompareLines:
        run(onCompareLines);
        return true;
    case id::kCompareAll:
        run(onCompareAll);
        return true;
    case id::kShowReport:
        report(onShowReport);
        return true;
    }
    return false;
}

} // namespace kw
