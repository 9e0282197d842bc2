// The screenshot behind the global hot key: the main window leaves the screen, the picture and its table
// row go into the work folder, and the window comes back whatever happened meanwhile.
#include <optional>

#include "app/MainWindow.h"
#include "platform/ScreenCapture.h"
#include "system/Screenshots.h"

namespace kw {
namespace {

// Long enough for a busy machine to repaint what the window covered, short enough that a program that
// never repaints does not hold the user up.
constexpr int kGoneLimitMs = 1000;

// Keeps a shown window off the screen for as long as it lives. A window already hidden (a hidden run)
// stays as it is.
class OffScreen {
  public:
    OffScreen(ScreenCapture& screen, HWND window)
        : screen_(screen), window_(IsWindowVisible(window) ? window : nullptr) {
        if (window_)
            trace_ = screen_.hideWindow(window_);
    }
    ~OffScreen() {
        if (window_)
            screen_.showWindow(window_);
    }
    OffScreen(const OffScreen&) = delete;
    OffScreen& operator=(const OffScreen&) = delete;

    // A picture taken after a wait that ran out may still show parts of the window; it is taken anyway.
    void waitUntilGone() {
        if (window_)
            screen_.waitUntilGone(window_, trace_, kGoneLimitMs);
    }

  private:
    ScreenCapture& screen_;
    HWND window_;
    WindowTrace trace_;
};

} // namespace

void MainWindow::ToolButton5Click() {
    ScreenCapture& screen = windowsScreenCapture();
    std::optional<Screenshot> shot;
    {
        OffScreen away(screen, hwnd());
        shot.emplace(platform_.files, platform_.system, engine_.folders()); // named once the window is gone
        away.waitUntilGone();
        shot->take(screen);
    }
    // One append: a run writing from its own thread cannot come between the two lines.
    engine_.eventLog().append(shot->logText());
    engine_.saveEventLog();
    viewer().RefreshCurrentNode();
}

} // namespace kw
