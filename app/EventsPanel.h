// The events panel of the main window: the event log, the capture buffer and the timing log below the
// results, the progress group above them during a run, and whether the panel and its timing log are
// shown. The logs are written from the run's thread; the panes catch up on the window's thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "app/LogViews.h"
#include "core/EventLog.h"
#include "core/TextBuffer.h"
#include "settings/OptionSet.h"

namespace kw {

class EventsPanel {
  public:
    explicit EventsPanel(OptionSet& options) : options_(options) {}
    EventsPanel(const EventsPanel&) = delete;
    EventsPanel& operator=(const EventsPanel&) = delete;

    // The progress group with its bar, caption and the buttons "Скрыть", "Показать лог", "Сохранить лог".
    void createProgressGroup(HWND window);
    // The three panes; a change of a log from any thread posts WM_APP_LOG to the window.
    void createLogPanes(HWND window, EventLog& events, TextBuffer& timing, TextBuffer& capture);
    void stopWatchingLogs();
    void logsChanged(); // WM_APP_LOG
    void refresh();     // all three panes
    void refreshEventLog();
    // The clicks of the group's buttons; false for other commands.
    bool command(int id);

    void setProgress(int percent); // the bar and the percentage beside it
    void setProgressCaption(const std::string& text);
    void showRunning(); // the progress group shown; the panel fills the window at the next layout
    void showIdle();
    void toggle(bool open);     // ToggleEventsPanel: open shows it, otherwise a shown panel hides
    void hideTimingLog();       // Button28Click "Скрыть"
    void showTimingLog();       // Button29Click "Показать лог"
    void showDebugButtons();    // GroupBox4DblClick
    void doubleClick(POINT at); // in the window's client coordinates
    void settingsLoaded();      // after "Загрузить настройки"
    bool shown() const { return shown_; }
    bool timingShown() const { return timingShown_; }
    bool running() const { return running_; }

    // Lays out the area between the tool bar and the status bar; what the panel leaves to the results
    // goes to placeResults (nothing during a run).
    void layout(int top, int bottom, int width,
                const std::function<void(int x, int y, int w, int h)>& placeResults);

    std::function<void()> onSaveLog;                // "Сохранить лог"
    std::function<void(bool shown)> onShownChanged; // the panel was shown or hidden
    std::function<void()> onLayoutChanged;          // a pane was shown or hidden

  private:
    HWND child(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0);
    int scaled(int px) const;
    void relayout();

    OptionSet& options_;
    HWND window_ = nullptr;
    HWND group_ = nullptr, bar_ = nullptr, percent_ = nullptr, caption_ = nullptr;
    HWND hideLog_ = nullptr, showLog_ = nullptr, saveLog_ = nullptr;
    HWND eventPane_ = nullptr, capturePane_ = nullptr, timingPane_ = nullptr;
    EventLog* events_ = nullptr;
    TextBuffer* timing_ = nullptr;
    TextBuffer* capture_ = nullptr;
    EventLogView eventView_;
    MemoView timingView_, captureView_;
    std::atomic<bool> pending_{false};

    bool running_ = false; // running layout
    bool shown_ = true;
    bool timingShown_ = true;
    int idleHeight_ = 0; // the panel's height in the idle layout
};

} // namespace kw
