// The about box's controls, its logo drawn in code, and its expand and close clicks.
#include "settings/AboutBox.h"

#include <richedit.h>

#include "core/Version.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {
namespace {

// Broken into short lines by hand: the credits box scrolls both ways and does not wrap.
constexpr const char* kCredits = "KW_Scan! - сбор информации для технической поддержки ТАВИР\r\n"
                                 "\r\n"
                                 "Программа собирает сведения о Windows и об установленном\r\n"
                                 "ПО ТАВИР: разделы реестра, файлы настроек и журналы, состав\r\n"
                                 "папок программ с размерами, датами, версиями и суммами MD5,\r\n"
                                 "права на папки, вывод консольных команд. Всё собранное\r\n"
                                 "лежит в каталоге %Temp%\\KW_Temp и упаковывается в один файл\r\n"
                                 "для обращения в СТП.\r\n"
                                 "\r\n"
                                 "Программа ничего не изменяет на компьютере, кроме своих\r\n"
                                 "временных каталогов, файла настроек KW_scan.ini и сохраненных\r\n"
                                 "результатов, и ничего не отсылает сама.\r\n"
                                 "\r\n"
                                 "Разработка и сопровождение:\r\n"
                                 "служба технической поддержки (СТП) ТАВИР.\r\n"
                                 "Вопросы и предложения по программе направляйте\r\n"
                                 "через Личный кабинет СТП ТАВИР.\r\n"
                                 "\r\n"
                                 "(c) ТАВИР, 2019";

} // namespace

std::string aboutVersionText() {
    return std::string("Информация о системе и\r\nПО ТАВИР V") + kProgramVersion;
}

bool AboutBox::create(HINSTANCE instance, HWND owner) {
    loadRichEdit();
    return DialogWindow::create(instance, owner, "О программе...", kWidth, kCollapsedHeight);
}

void AboutBox::buildControls() {
    HWND logo = addControl(L"STATIC", "", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, kLogoId, 12, 12, 84, 84);
    addHint(logo, "О разработчиках...");
    HWND version = addControl(L"STATIC", aboutVersionText(), WS_VISIBLE | SS_LEFT | SS_NOTIFY, kVersionId,
                              112, 16, 296, 40);
    // The version label stands out: the message font, bold and larger.
    LOGFONTW lf{};
    GetObjectW(font(), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = lf.lfHeight * 5 / 4;
    versionFont_.reset(CreateFontIndirectW(&lf));
    SendMessageW(version, WM_SETFONT, reinterpret_cast<WPARAM>(versionFont_.get()), FALSE);
    addControl(L"STATIC", "Служба технической поддержки (СТП) ТАВИР", WS_VISIBLE | SS_LEFT | SS_NOTIFY,
               kServiceId, 112, 66, 296, 18);

    HWND credits = addControl(MSFTEDIT_CLASS, "",
                              WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                  ES_AUTOHSCROLL | ES_DISABLENOSCROLL,
                              kCreditsId, 12, 112, 396, 356, WS_EX_CLIENTEDGE);
    SetWindowTextW(credits, toWide(kCredits).c_str());
    addControl(L"BUTTON", "Ok", WS_TABSTOP | BS_PUSHBUTTON, kOkId, 170, 480, 80, 28);
}

int AboutBox::clientHeight() const {
    RECT r;
    GetClientRect(hwnd(), &r);
    return MulDiv(r.bottom, 96, px(96));
}

bool AboutBox::expanded() const {
    return clientHeight() > 130;
}

void AboutBox::setHeight(int height) {
    setClientSize(kWidth, height);
    centre();
    bool open = height > 130;
    ShowWindow(GetDlgItem(hwnd(), kCreditsId), open ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(hwnd(), kOkId), open ? SW_SHOW : SW_HIDE);
}

void AboutBox::Image2Click() {
    setHeight(kExpandedHeight);
}

void AboutBox::boxClick() {
    if (expanded())
        setHeight(kCollapsedHeight);
    close();
}

bool AboutBox::handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) {
    *result = 0;
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            SetDlgItemTextW(hwnd(), kVersionId, toWide(aboutVersionText()).c_str());
        return false;
    case WM_LBUTTONDOWN:
        boxClick();
        return true;
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == kLogoId && code == STN_CLICKED)
            Image2Click();
        else if ((id == kVersionId || id == kServiceId) && code == STN_CLICKED)
            boxClick();
        else if ((id == kOkId && code == BN_CLICKED) || id == IDCANCEL || id == IDOK)
            boxClick();
        else
            return false;
        return true;
    }
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (d->CtlID != kLogoId)
            return false;
        drawLogo(*d);
        *result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

void AboutBox::drawLogo(const DRAWITEMSTRUCT& d) {
    // The program's mark: a blue tile with "KW" and a scan line under it.
    RECT r = d.rcItem;
    {
        Brush back(CreateSolidBrush(RGB(0, 84, 166)));
        Pen edge(CreatePen(PS_SOLID, 1, RGB(0, 52, 110)));
        SelectedObject brush(d.hDC, back.get()), pen(d.hDC, edge.get());
        RoundRect(d.hDC, r.left, r.top, r.right, r.bottom, px(16), px(16));
    }

    RECT line{r.left + px(14), r.top + px(58), r.right - px(14), r.top + px(62)};
    Brush scan(CreateSolidBrush(RGB(255, 196, 0)));
    FillRect(d.hDC, &line, scan.get());

    LOGFONTW lf{};
    GetObjectW(font(), sizeof lf, &lf);
    lf.lfHeight = -px(30);
    lf.lfWeight = FW_BOLD;
    Font big(CreateFontIndirectW(&lf));
    SelectedObject selected(d.hDC, big.get());
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, RGB(255, 255, 255));
    RECT text{r.left, r.top + px(10), r.right, r.top + px(56)};
    DrawTextW(d.hDC, L"KW", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace kw
