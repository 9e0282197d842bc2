// The screen for screenshots: its pixels, and taking a window off it so that the picture shows what lies
// beneath.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace kw {

// Rows from the top, four bytes a pixel: blue, green, red and one unused, the way GDI keeps them.
struct ScreenImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// Points of the screen where a window was seen as it was hidden, with their colours then (0x00RRGGBB).
struct ScreenPoint {
    int x = 0, y = 0;
    std::uint32_t colour = 0;
};
using WindowTrace = std::vector<ScreenPoint>;

class ScreenCapture {
  public:
    virtual ~ScreenCapture() = default;
    // Hides the window at once, without the fading a picture taken meanwhile could catch; returns what
    // the screen showed of it just before.
    virtual WindowTrace hideWindow(WindowHandle window) = 0;
    // Shows it again as it was, without taking the keyboard from the program the user is in.
    virtual void showWindow(WindowHandle window) = 0;
    // Returns once the screen no longer shows the hidden window: the desktop compositor has shown a
    // frame without it, or, where there is none, the windows it covered have repainted, and the
    // screen's pixels are no longer those of the trace. False when limitMs passed first.
    virtual bool waitUntilGone(WindowHandle window, const WindowTrace& trace, int limitMs) = 0;
    // The primary screen from its top left corner; nothing, with the system's message, when it cannot
    // be read.
    virtual std::optional<ScreenImage> capturePrimaryScreen(std::string& error) = 0;
};

ScreenCapture& windowsScreenCapture();

} // namespace kw
