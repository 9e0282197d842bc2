// The options dialog's layout (a table of control places) and its handlers.
#include "settings/OptionsDialog.h"

#include <commctrl.h>

#include <string>

namespace kw {
namespace {

using O = Option;

constexpr int kClientWidth = 580, kClientHeight = 402;

struct GroupPlace {
    const char* caption;
    int x, y, w, h;
};

// The two column groups and the right column's inner groups.
constexpr GroupPlace kGroups[] = {
    {" Настройки сбора информации ", 8, 6, 280, 346},
    {" Дополнительные настройки ", 296, 6, 276, 346},
    {"Таблица", 306, 22, 256, 106},
    {"Сравнение", 306, 132, 256, 76},
    {"System information", 306, 214, 256, 66},
};

struct ControlPlace {
    Option id;
    int x, y, w;
    bool hidden = false;
};

constexpr int kRowHeight = 17;

// Every control of an option, in tab order. The hidden ones sit beside the option they belong to.
constexpr ControlPlace kControls[] = {
    {O::SelectAll, 18, 26, 260},
    {O::Peltrand, 18, 46, 130},
    {O::PeltrandLogs, 150, 46, 100, true},
    {O::PeltrandKB, 18, 62, 260},
    {O::Mirtal, 18, 78, 260},
    {O::MirtalLibs, 18, 94, 260},
    {O::Morvantide, 18, 110, 260},
    {O::StandardParts, 18, 126, 170},
    {O::Vault, 190, 126, 80, true},
    {O::Tessarin, 18, 142, 130},
    {O::SuiteLogs, 150, 142, 130, true},
    {O::Handbook, 18, 158, 260},
    {O::Materials, 18, 174, 260},
    {O::MatRate, 18, 190, 260},
    {O::TaskRate, 18, 206, 260},
    {O::FerryOak, 18, 222, 260},
    {O::PeltrandModules, 18, 238, 260},
    {O::Quadrix, 18, 254, 260},
    {O::Md5, 18, 276, 260},
    {O::SharedFolder, 18, 292, 260},
    {O::CommonData, 18, 308, 264},
    {O::SystemInfo, 18, 324, 260},
    {O::AutoFit, 316, 38, 236},
    {O::AutoSort, 316, 54, 236},
    {O::Highlight, 316, 70, 236},
    {O::NotSort, 316, 86, 236},
    {O::Zebra, 316, 103, 66},
    // the date on the left, the MD5 mode beside it
    {O::CompareNoDate, 316, 150, 122},
    {O::CompareMd5, 442, 150, 116},
    {O::CompareOnlyMd5, 442, 166, 116},
    {O::CompareNoMd5, 442, 182, 116},
    {O::NetStat, 316, 230, 236},
    {O::MsOffice, 316, 246, 236},
    {O::ComPlus, 316, 262, 236},
    {O::AutoSave, 308, 284, 258},
    {O::MsInfo32, 308, 300, 258},
    {O::ImportantShared, 308, 316, 262},
    {O::HidePasswords, 308, 332, 258},
    {O::Debug, 16, 370, 200, true},
};

bool isRadio(Option id) {
    return id == O::CompareMd5 || id == O::CompareOnlyMd5 || id == O::CompareNoMd5;
}

std::wstring wide(const std::string& s) {
    return {s.begin(), s.end()}; // digits and "%" only
}

} // namespace

bool OptionsDialog::create(HINSTANCE instance, HWND owner) {
    return DialogWindow::create(instance, owner, "Параметры KW_Scan!", kClientWidth, kClientHeight);
}

void OptionsDialog::buildControls() {
    // Group boxes first, so that the controls inside them follow in tab order and each radio group
    // ends at the next control that starts a group.
    for (const GroupPlace& g : kGroups)
        addControl(L"BUTTON", g.caption, WS_VISIBLE | BS_GROUPBOX, -1, g.x, g.y, g.w, g.h);

    for (const ControlPlace& c : kControls) {
        const OptionInfo& info = optionInfo(c.id);
        DWORD style = isRadio(c.id) ? BS_AUTORADIOBUTTON | (c.id == O::CompareMd5 ? WS_GROUP | WS_TABSTOP : 0)
                                    : BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP;
        if (!c.hidden)
            style |= WS_VISIBLE;
        HWND w = addControl(L"BUTTON", info.caption, style, controlId(c.id), c.x, c.y, c.w, kRowHeight);
        addHint(w, info.hint);
        if (c.id == O::Zebra) {
            HWND track =
                addControl(TRACKBAR_CLASSW, "", WS_VISIBLE | WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_NOTICKS,
                           kZebraTrackId, 384, 100, 124, 24);
            SendMessageW(track, TBM_SETRANGE, FALSE, MAKELPARAM(OptionSet::kZebraMin, OptionSet::kZebraMax));
            SendMessageW(track, TBM_SETPOS, TRUE, zebraShown_);
            addHint(track, "Яркость зебры");
            addControl(L"STATIC", "75 %", WS_VISIBLE | SS_LEFT, kZebraLabelId, 512, 104, 44, 16);
        }
    }

    // Bottom strip: "OK", and at the right end the two panels that reveal the debug option.
    addControl(L"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, IDOK, 250, 364, 80,
               28);
    addControl(L"STATIC", "", WS_VISIBLE | SS_NOTIFY, kPanel3Id, 532, 368, 18, 18);
    addControl(L"STATIC", "", WS_VISIBLE | SS_NOTIFY, kPanel4Id, 554, 368, 18, 18);
    showOptions();
}

void OptionsDialog::showOptions() {
    HWND h = hwnd();
    if (!h)
        return; // not made yet: it shows the options as they are then
    for (const ControlPlace& c : kControls) {
        if (c.id == O::Debug)
            continue;
        setChecked(h, controlId(c.id), options_.get(c.id));
    }
    // The debug option turned off elsewhere (the end of a run, "Показать лог") hides it, as by hand.
    if (isChecked(h, controlId(O::Debug)) && !options_.get(O::Debug))
        showDebugOption(false);
    setChecked(h, controlId(O::Debug), options_.get(O::Debug));

    int zebra = options_.zebraBrightness();
    if (zebra != zebraShown_) {
        SendDlgItemMessageW(h, kZebraTrackId, TBM_SETPOS, TRUE, zebra);
        zebraMoved();
    }
}

bool OptionsDialog::handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) {
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDOK && code == BN_CLICKED) { // BitBtn1
            if (onOk)
                onOk();
            close();
        } else if (id == IDCANCEL) {
            close();
        } else if (id == kPanel3Id && code == STN_DBLCLK) {
            Panel3DblClick();
        } else if (id == kPanel4Id && code == STN_DBLCLK) {
            Panel4DblClick();
        } else if (id >= kFirstOptionId && id < kFirstOptionId + static_cast<int>(O::Count) &&
                   code == BN_CLICKED) {
            controlClicked(static_cast<Option>(id - kFirstOptionId));
        } else {
            return false;
        }
        *result = 0;
        return true;
    }
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd(), kZebraTrackId)) {
            zebraMoved();
            *result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

void OptionsDialog::controlClicked(Option id) {
    bool on = isChecked(hwnd(), controlId(id));
    options_.set(id, on);
    if (id == O::Debug && !on) {
        showDebugOption(false);
        if (onShowLog)
            onShowLog();
    }
    showOptions(); // the couplings may have changed other options
}

void OptionsDialog::zebraMoved() {
    int position = static_cast<int>(SendDlgItemMessageW(hwnd(), kZebraTrackId, TBM_GETPOS, 0, 0));
    options_.setZebraBrightness(position);
    zebraShown_ = options_.zebraBrightness();
    SetDlgItemTextW(hwnd(), kZebraLabelId, (wide(std::to_string(zebraShown_)) + L"%").c_str());
}

void OptionsDialog::Panel3DblClick() {
    showDebugOption(true);
}

void OptionsDialog::Panel4DblClick() {
    if (options_.get(O::Debug)) {
        showDebugOption(false);
        if (onShowLog)
            onShowLog();
        options_.set(O::Debug, false);
    } else {
        if (onDebugShown)
            onDebugShown();
        options_.set(O::Debug, true);
        showDebugOption(true);
    }
    showOptions();
}

void OptionsDialog::showDebugOption(bool visible) {
    ShowWindow(GetDlgItem(hwnd(), controlId(O::Debug)), visible ? SW_SHOW : SW_HIDE);
}

void OptionsDialog::closing() {
    if (onClosed)
        onClosed();
}

} // namespace kw
