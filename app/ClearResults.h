// "Очистить результаты": asks first, empties the logs and both work folders at once, and notes the time
// after a pause: console tools of the last run may still be finishing, and the window stays responsive.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "core/CollectionRun.h"

namespace kw {

class ClearResults {
  public:
    ClearResults(CollectionRun& engine, Desktop& desktop, SystemInfo& system)
        : engine_(engine), desktop_(desktop), system_(system) {}
    void attach(HWND window) { window_ = window; }

    void run();                 // ToolButton1Click
    void timer(WPARAM timerId); // WM_TIMER: the pause is over
    // Between the clearing and the end of its pause: nothing may start that would write into the logs
    // or the folders before the pause is over.
    bool pausing() const { return pausing_; }

    std::function<bool()> windowBusy;
    std::function<void()> cleared;   // the views and commands show that nothing is open
    std::function<void()> pauseOver; // the current node is shown again
    std::function<void(const std::string& line)> finished;

  private:
    CollectionRun& engine_;
    Desktop& desktop_;
    SystemInfo& system_;
    HWND window_ = nullptr;
    bool pausing_ = false;
};

} // namespace kw
