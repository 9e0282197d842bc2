#include "app/StatusBar.h"

#include <commctrl.h>

#include "app/resource.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {

void StatusBar::create(HWND window) {
    bar_ = createChild(window, {.windowClass = STATUSCLASSNAMEW,
                                .text = nullptr,
                                .style = WS_VISIBLE | SBARS_SIZEGRIP,
                                .id = IDC_STATUS});
    int parts[] = {scaledPixels(window, 90), scaledPixels(window, 150), -1};
    SendMessageW(bar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    showEventsToggle(true);
}

void StatusBar::showEventsToggle(bool eventsShown) {
    eventsShown_ = eventsShown;
    setText(0, eventsShown ? "\t\t События <" : " События >");
}

void StatusBar::setPercent(int percent) {
    setText(1, std::to_string(percent) + "%");
}

void StatusBar::setTopic(const std::string& text) {
    setText(2, text);
}

void StatusBar::setText(int part, const std::string& text) {
    WPARAM style = part == 0 && !eventsShown_ ? SBT_POPOUT : 0;
    SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(part) | style,
                 reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

bool StatusBar::toggleClicked(const NMHDR& hdr) const {
    return hdr.hwndFrom == bar_ && hdr.code == NM_CLICK &&
           reinterpret_cast<const NMMOUSE&>(hdr).dwItemSpec == 0;
}

int StatusBar::height() {
    SendMessageW(bar_, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(bar_, &r);
    return r.bottom - r.top;
}

} // namespace kw
