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

    std::function<bool()> windowBusy;
    std::function<void()> cleared; // the views and commands show that nothing is open
    std::function<void(const std::string& line)> finished;

  private:
    CollectionRun& engine_;
    Desktop& desktop_;
    SystemInfo& system_;
    HWND window_ = nullptr;
};

} // namespace kw
