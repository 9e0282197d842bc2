#include "app/StatusBar.h"

#include <commctrl.h>

#include <algorithm>

#include "app/resource.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {

void StatusBar::create(HWND window) {
    bar_ = createChild(window, {.windowClass = STATUSCLASSNAMEW,
                                .text = nullptr,
                                .style = WS_VISIBLE | SBARS_SIZEGRIP,
                                .id = IDC_STATUS});
    window_ = window;
    setParts();
    showEventsToggle(true);
}

// Panel 3 keeps its width at the right edge; the topic takes what is left.
void StatusBar::setParts() {
    RECT r{};
    GetClientRect(bar_, &r);
    int toggle = scaledPixels(window_, 90), percent = scaledPixels(window_, 150);
    int topicEnd = std::max<int>(percent + scaledPixels(window_, 60), r.right - scaledPixels(window_, 220));
    int parts[] = {toggle, percent, topicEnd, -1};
    SendMessageW(bar_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
}

void StatusBar::setNote(const std::string& text) {
    setText(3, text);
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
    setParts();
    RECT r;
    GetWindowRect(bar_, &r);
    return r.bottom - r.top;
}

} // namespace kw
