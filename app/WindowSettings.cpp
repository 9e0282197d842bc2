#include "app/WindowSettings.h"

#include <commctrl.h>

#include <algorithm>

#include "app/resource.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {

IniFile WindowSettings::readSettingsFile() {
    return IniFile::parse(ansiToUtf8(files_.readFile(engine_.settingsPath("")).value_or("")));
}

void WindowSettings::readOnStart() {
    readSettingsOnStart(readSettingsFile(), options_, settings_);
}

void WindowSettings::createTransparencyControls(HWND window) {
    window_ = window;
    createChild(window, {.windowClass = L"BUTTON",
                         .text = L"Прозрачность",
                         .style = BS_GROUPBOX,
                         .id = IDC_TRANSPARENCY_GROUP});
    trackBar_ = createChild(window, {.windowClass = TRACKBAR_CLASSW,
                                     .text = nullptr,
                                     .style = TBS_HORZ | TBS_NOTICKS,
                                     .id = IDC_TRANSPARENCY});
    SendMessageW(trackBar_, TBM_SETRANGE, FALSE, MAKELPARAM(kBlendMin, kBlendMax));
    SendMessageW(trackBar_, TBM_SETPOS, TRUE, std::clamp(settings_.handSet.blendValue, kBlendMin, kBlendMax));
}

void WindowSettings::activated(bool runInProgress) {
    // Not under a running collection, which reads the options as it goes, nor on a switch from another
    // program or the open dialog: that would silently undo options loaded with "Загрузить настройки".
    if ((firstActivation_ || rereadOnActivation_) && !runInProgress) {
        readSettingsOnActivation(readSettingsFile(), options_, settings_);
        optionsDialog_.showOptions();
    }
    firstActivation_ = rereadOnActivation_ = false;
}

void WindowSettings::reread() {
    readSettingsOnActivation(readSettingsFile(), options_, settings_);
}

void WindowSettings::trackBarScrolled(HWND control) {
    if (control == trackBar_)
        applyTransparency(); // TrackBar1Change
}

void WindowSettings::applyTransparency() {
    int position = static_cast<int>(SendMessageW(trackBar_, TBM_GETPOS, 0, 0));
    const auto alpha = static_cast<BYTE>(alphaForBlendPosition(position));
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    // An opaque window looks the same unlayered, and making it layered cost about 10 ms of the start
    // under Wine (the usual case: the track bar is never shown).
    if (alpha == 255 && !(style & WS_EX_LAYERED))
        return;
    SetWindowLongPtrW(window_, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window_, 0, alpha, LWA_ALPHA);
}

RECT screenRectOfPlacement(const RECT& normalPosition, const RECT& monitor, const RECT& workArea) {
    RECT r = normalPosition;
    OffsetRect(&r, workArea.left - monitor.left, workArea.top - monitor.top);
    return r;
}

void WindowSettings::storeGeometry() {
    WINDOWPLACEMENT wp{sizeof wp};
    MONITORINFO monitor{sizeof monitor};
    if (GetWindowPlacement(window_, &wp) &&
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        // A tool window's placement is in screen coordinates already.
        bool tool = GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
        RECT r = tool ? wp.rcNormalPosition
                      : screenRectOfPlacement(wp.rcNormalPosition, monitor.rcMonitor, monitor.rcWork);
        settings_.geometry.left = r.left;
        settings_.geometry.top = r.top;
        settings_.geometry.width = r.right - r.left;
        settings_.geometry.height = r.bottom - r.top;
    }
}

void WindowSettings::save() {
    storeGeometry();
    engine_.SaveSettings("");
}

void WindowSettings::optionsDialogClosed() {
    save();
    rereadOnActivation_ = true;
}

std::optional<std::string> WindowSettings::load() {
    auto path = desktop_.chooseFileToOpen(window_, "KW_Scan! (*.ini)|*.ini|Все файлы (*.*)|*.*", "ini");
    if (!path)
        return std::nullopt;
    auto bytes = files_.readFile(*path);
    if (!bytes) {
        report("Не удалось прочитать файл настроек: " + *path, MessageKind::Error);
        return std::nullopt;
    }
    readSettingsOnLoad(IniFile::parse(ansiToUtf8(*bytes)), options_, settings_);
    const WindowGeometry& g = settings_.geometry;
    if (!IsZoomed(window_))
        SetWindowPos(window_, nullptr, g.left, g.top, std::max(g.width, 420), std::max(g.height, 360),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    optionsDialog_.showOptions();
    return path;
}

} // namespace kw
