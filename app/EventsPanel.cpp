#include "app/EventsPanel.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "app/WindowMessages.h"
#include "app/resource.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {
namespace {

void show(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

} // namespace

HWND EventsPanel::child(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, DWORD exStyle) {
    return createChild(
        window_, {.windowClass = windowClass, .text = text, .style = style, .id = id, .exStyle = exStyle});
}

int EventsPanel::scaled(int px) const {
    return scaledPixels(window_, px);
}

void EventsPanel::relayout() {
    if (onLayoutChanged)
        onLayoutChanged();
}

void EventsPanel::createProgressGroup(HWND window) {
    window_ = window;
    group_ = child(L"BUTTON", L" Сбор информации ", BS_GROUPBOX, IDC_PROGRESS_GROUP);
    bar_ = child(PROGRESS_CLASSW, nullptr, PBS_SMOOTH, IDC_PROGRESS_BAR);
    SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
    percent_ = child(L"STATIC", L"0%", SS_CENTER, IDC_PERCENT);
    caption_ = child(L"STATIC", L"", SS_LEFT | SS_ENDELLIPSIS | SS_NOTIFY, IDC_PROGRESS_CAPTION);
    hideLog_ = child(L"BUTTON", L"Скрыть", BS_PUSHBUTTON, IDC_HIDE_LOG);
    showLog_ = child(L"BUTTON", L"Показать лог", BS_PUSHBUTTON, IDC_SHOW_LOG);
    saveLog_ = child(L"BUTTON", L"Сохранить лог", BS_PUSHBUTTON, IDC_SAVE_LOG);
}

void EventsPanel::createLogPanes(HWND window, EventLog& events, TextBuffer& timing, TextBuffer& capture) {
    window_ = window;
    eventPane_ = child(MSFTEDIT_CLASS, L"",
                       WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                           ES_NOHIDESEL,
                       IDC_EVENT_LOG, WS_EX_CLIENTEDGE);
    SendMessageW(eventPane_, EM_EXLIMITTEXT, 0, 64 * 1024 * 1024);
    DWORD memo = WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    capturePane_ = child(L"EDIT", L"", memo, IDC_CAPTURE, WS_EX_CLIENTEDGE);
    timingPane_ = child(L"EDIT", L"", memo, IDC_TIMING, WS_EX_CLIENTEDGE);
    SendMessageW(capturePane_, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(timingPane_, EM_SETLIMITTEXT, 0, 0);
    eventView_.attach(eventPane_, &events);
    timingView_.attach(timingPane_, &timing);
    captureView_.attach(capturePane_, &capture);

    events_ = &events;
    timing_ = &timing;
    capture_ = &capture;
    auto changed = [this] {
        if (!pending_.exchange(true))
            PostMessageW(window_, WM_APP_LOG, 0, 0);
    };
    events.onChange(changed);
    timing.onChange(changed);
    capture.onChange(changed);
}

void EventsPanel::stopWatchingLogs() {
    if (events_)
        events_->onChange(nullptr);
    if (timing_)
        timing_->onChange(nullptr);
    if (capture_)
        capture_->onChange(nullptr);
}

void EventsPanel::logsChanged() {
    pending_.store(false);
    refresh();
}

void EventsPanel::refresh() {
    eventView_.refresh();
    timingView_.refresh();
    captureView_.refresh();
}

void EventsPanel::refreshEventLog() {
    eventView_.refresh();
}

bool EventsPanel::command(int id) {
    switch (id) {
    case IDC_HIDE_LOG:
        hideTimingLog();
        return true;
    case IDC_SHOW_LOG:
        showTimingLog();
        return true;
    case IDC_SAVE_LOG:
        onSaveLog(); // Button33Click
        return true;
    }
    return false;
}

void EventsPanel::setProgress(int percent) {
    SendMessageW(bar_, PBM_SETPOS, percent, 0);
    SetWindowTextW(percent_, toWide(std::to_string(percent) + "%").c_str());
}

void EventsPanel::setProgressCaption(const std::string& text) {
    SetWindowTextW(caption_, toWide(text).c_str());
}

void EventsPanel::showRunning() {
    running_ = true; // the idle height of the panel stays in idleHeight_
    for (HWND w : {group_, bar_, percent_, caption_})
        show(w, true);
    bool debug = options_.get(Option::Debug);
    show(hideLog_, !debug);
    show(showLog_, debug);
    show(saveLog_, debug);
}

void EventsPanel::showIdle() {
    running_ = false;
    for (HWND w : {group_, bar_, percent_, caption_, hideLog_, showLog_, saveLog_})
        show(w, false);
}

void EventsPanel::toggle(bool open) {
    shown_ = open || !shown_;
    if (onShownChanged)
        onShownChanged(shown_);
    relayout();
}

void EventsPanel::hideTimingLog() {
    show(showLog_, true);
    show(hideLog_, false);
    options_.set(Option::Debug, true);
    timingShown_ = false;
    relayout();
}

void EventsPanel::showTimingLog() {
    timingShown_ = true;
    show(showLog_, false);
    show(saveLog_, false);
    options_.set(Option::Debug, false);
    relayout();
}

void EventsPanel::showDebugButtons() {
    timingShown_ = false;
    show(showLog_, true);
    show(saveLog_, true);
    show(hideLog_, false);
    options_.set(Option::Debug, true);
    relayout();
}

void EventsPanel::doubleClick(POINT at) {
    // A group box lets the mouse through to its parent: a double click inside it is the group's.
    RECT r;
    GetWindowRect(group_, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    if (IsWindowVisible(group_) && PtInRect(&r, at))
        showDebugButtons();
}

void EventsPanel::settingsLoaded() {
    if (!options_.get(Option::Debug)) {
        timingShown_ = true;
        relayout();
    } else if (running_) {
        show(showLog_, true); // the progress group's button: never over the results while idle
    }
}

void EventsPanel::layout(int top, int bottom, int width,
                         const std::function<void(int x, int y, int w, int h)>& placeResults) {
    int gap = scaled(4);
    int line = scaled(23);
    auto place = [](HWND w, int x, int y, int cx, int cy) { MoveWindow(w, x, y, cx, cy, TRUE); };
    int y = top + gap;
    int h = bottom - y - gap;

    int groupH = running_ ? scaled(92) : 0;
    if (running_) {
        int inner = width - 2 * gap;
        place(group_, gap, y, inner, groupH);
        int bx = 3 * gap, by = y + scaled(20);
        int btnW = scaled(110);
        int barW = std::max(20, inner - 4 * gap - scaled(56) - 2 * btnW - 2 * gap);
        place(bar_, bx, by, barW, scaled(20));
        place(percent_, bx + barW + gap, by + scaled(2), scaled(48), scaled(18));
        int cx = bx + barW + gap + scaled(52);
        place(hideLog_, cx, by - scaled(2), btnW, line);
        place(showLog_, cx, by - scaled(2), btnW, line);
        place(saveLog_, cx + btnW + gap, by - scaled(2), btnW, line);
        place(caption_, bx, by + scaled(30), inner - 4 * gap, scaled(20));
        y += groupH + gap;
        h -= groupH + gap;
    }

    // results above, the panel below (the panel fills the window during a run)
    int eventsH = 0;
    if (running_) {
        eventsH = h;
    } else if (shown_) {
        // A third of the height goes to the events, the rest to the result tree and its views; the
        // share follows the window when it is resized.
        idleHeight_ = h / 3;
        eventsH = std::clamp(idleHeight_, scaled(80), std::max(scaled(80), h - scaled(80)));
    }
    int resultsH = running_ ? 0 : h - (eventsH > 0 ? eventsH + gap : 0);
    if (!running_)
        placeResults(gap, y, width - 2 * gap, std::max(0, resultsH));
    if (eventsH > 0) {
        int ey = y + (running_ ? 0 : resultsH + gap);
        int timingH = timingShown_ ? std::min(scaled(90), eventsH / 4) : 0;
        int captureH = std::min(scaled(60), eventsH / 6);
        int logH = eventsH - timingH - captureH;
        place(eventPane_, gap, ey, width - 2 * gap, logH);
        place(capturePane_, gap, ey + logH, width - 2 * gap, captureH);
        place(timingPane_, gap, ey + logH + captureH, width - 2 * gap, timingH);
    }
    show(eventPane_, eventsH > 0);
    show(capturePane_, eventsH > 0);
    show(timingPane_, eventsH > 0 && timingShown_);
}

} // namespace kw
