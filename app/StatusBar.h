// The main window's status bar: panel 0 is the events panel's toggle, panel 1 a percentage, panel 2 what
// the program is doing, panel 3 the text the settings file gives ("status1").
#pragma once
#include <windows.h>

#include <string>

namespace kw {

class StatusBar {
  public:
    void create(HWND window); // panel 0 shows the events panel as shown
    // Raised while the events panel is hidden, sunken while it is shown.
    void showEventsToggle(bool eventsShown);
    void setPercent(int percent);
    void setTopic(const std::string& text);
    void setNote(const std::string& text);      // panel 3
    bool toggleClicked(const NMHDR& hdr) const; // a click on panel 0
    int height();                               // after following the window's size

  private:
    void setText(int part, const std::string& text);
    void setParts();

    HWND window_ = nullptr;
    HWND bar_ = nullptr;
    bool eventsShown_ = true;
};

} // namespace kw
