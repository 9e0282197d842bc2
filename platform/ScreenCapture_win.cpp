// Win32 screen capture: BitBlt from the screen's device context into a top-down 32-bit DIB, and the wait
// for a hidden window to leave the screen.
#include "platform/ScreenCapture.h"

#include <windows.h>
// after windows.h, which it needs
#include <dwmapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/OptionalFunctions.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPollMs = 10;
// How long the points that still show a hidden window's colour must stay so once others have changed.
constexpr int kSettleMs = 150;

// GDI calls do not always leave an error code behind.
std::string lastErrorText() {
    DWORD code = GetLastError();
    return code ? systemErrorText(code) : "Не удалось получить изображение экрана";
}

// dwmapi may be missing (Windows XP and Server 2003), and without composition its calls have nothing to do.
class Dwm {
  public:
    bool composing() const {
        auto isCompositionEnabled = optional_api::dwmIsCompositionEnabled();
        BOOL on = FALSE;
        return isCompositionEnabled && SUCCEEDED(isCompositionEnabled(&on)) && on;
    }
    // Returns after the compositor's next frame, the first one that can leave the hidden window out.
    bool flush() const {
        auto flush = optional_api::dwmFlush();
        return flush && SUCCEEDED(flush());
    }
    void setTransitions(HWND w, bool on) const {
        auto setAttribute = optional_api::dwmSetWindowAttribute();
        if (!setAttribute)
            return;
        BOOL disabled = on ? FALSE : TRUE;
        setAttribute(w, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof disabled);
    }
};

// The windows that still owe a repaint inside area (screen coordinates): visible windows of any
// program, top-level or child, whose update region reaches into it. Windows of this thread are painted
// on the spot, since this thread is the one that waits; a hung program's windows would never paint.
class PendingRepaints {
  public:
    explicit PendingRepaints(const RECT& area) : area_(area) {}

    bool any() {
        pending_ = false;
        visit(GetDesktopWindow());
        EnumWindows(topLevel, reinterpret_cast<LPARAM>(this));
        return pending_;
    }

  private:
    static BOOL CALLBACK topLevel(HWND w, LPARAM self) {
        auto* me = reinterpret_cast<PendingRepaints*>(self);
        RECT r;
        if (!IsWindowVisible(w) || IsHungAppWindow(w) || !GetWindowRect(w, &r) || !overlaps(r, me->area_))
            return TRUE;
        me->visit(w);
        EnumChildWindows(w, child, self);
        return TRUE;
    }
    static BOOL CALLBACK child(HWND w, LPARAM self) {
        if (IsWindowVisible(w))
            reinterpret_cast<PendingRepaints*>(self)->visit(w);
        return TRUE;
    }
    static bool overlaps(const RECT& a, const RECT& b) {
        RECT both;
        return IntersectRect(&both, &a, &b) != FALSE;
    }

    void visit(HWND w) {
        RECT update;
        if (!GetUpdateRect(w, &update, FALSE))
            return;
        MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&update), 2);
        if (!overlaps(update, area_))
            return;
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
            UpdateWindow(w);
        else
            pending_ = true;
    }

    RECT area_;
    bool pending_ = false;
};

class WindowsScreenCapture final : public ScreenCapture {
  public:
    WindowTrace hideWindow(WindowHandle window) override {
        HWND w = static_cast<HWND>(window);
        WindowTrace trace = traceOf(w);
        dwm_.setTransitions(w, false);
        ShowWindow(w, SW_HIDE);
        return trace;
    }

    void showWindow(WindowHandle window) override {
        HWND w = static_cast<HWND>(window);
        ShowWindow(w, SW_SHOWNA);
        dwm_.setTransitions(w, true);
    }

    bool waitUntilGone(WindowHandle window, const WindowTrace& trace, int limitMs) override {
        HWND w = static_cast<HWND>(window);
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        while (IsWindowVisible(w)) {
            if (Clock::now() >= deadline)
                return false;
            Sleep(kPollMs);
        }
        if (dwm_.composing()) {
            if (!dwm_.flush())
                return false;
        } else {
            // Without composition the screen keeps the window's pixels until the windows beneath paint
            // over them.
            RECT area;
            if (GetWindowRect(w, &area)) {
                PendingRepaints repaints(area);
                while (repaints.any()) {
                    if (Clock::now() >= deadline)
                        return false;
                    Sleep(kPollMs);
                }
            }
        }
        // The window system may not have carried the hiding out on the display yet: Wine's X11 driver
        // keeps this thread's requests until it looks at its input again, and the server draws later
        // still. Other programs' windows beneath repaint their part only once they have read the
        // server's exposure events, so the points change at different times. Done once every point shows
        // another colour than the window did, or the ones that still show it have done so for a while
        // since the last one changed (what lies beneath may have the window's colour).
        GdiFlush();
        GetQueueStatus(QS_ALLINPUT);
        std::size_t changed = 0;
        auto lastChange = Clock::now();
        while (!trace.empty()) {
            std::optional<std::size_t> now = changedPoints(trace);
            if (!now || *now == trace.size())
                break;
            if (*now != changed) {
                changed = *now;
                lastChange = Clock::now();
            } else if (changed > 0 && Clock::now() - lastChange >= std::chrono::milliseconds(kSettleMs)) {
                break;
            }
            if (Clock::now() >= deadline)
                return false;
            Sleep(kPollMs);
            GetQueueStatus(QS_ALLINPUT);
        }
        return true;
    }

    std::optional<ScreenImage> capturePrimaryScreen(std::string& error) override {
        return captureArea({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, error);
    }

  private:
    // Up to kTraceSide by kTraceSide points over the window where it is the window the screen shows
    // there (a window covered by others, or off the screen, leaves fewer or none).
    static WindowTrace traceOf(HWND w) {
        RECT r, screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
        screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
        screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
        WindowTrace trace;
        if (!IsWindowVisible(w) || IsIconic(w) || !GetWindowRect(w, &r) || !IntersectRect(&r, &r, &screen))
            return trace;
        for (int i = 0; i < kTraceSide; ++i)
            for (int j = 0; j < kTraceSide; ++j) {
                POINT p{r.left + (2 * j + 1) * (r.right - r.left) / (2 * kTraceSide),
                        r.top + (2 * i + 1) * (r.bottom - r.top) / (2 * kTraceSide)};
                HWND seen = WindowFromPoint(p);
                if (seen && GetAncestor(seen, GA_ROOT) == w)
                    trace.push_back({p.x, p.y, 0});
            }
        if (!trace.empty() && !readColours(trace))
            trace.clear();
        return trace;
    }

    // How many points of the trace show another colour now; none when the screen cannot be read.
    static std::optional<std::size_t> changedPoints(const WindowTrace& trace) {
        WindowTrace now = trace;
        if (!readColours(now))
            return std::nullopt;
        std::size_t changed = 0;
        for (std::size_t i = 0; i < now.size(); ++i)
            changed += now[i].colour != trace[i].colour;
        return changed;
    }

    // The screen's colours at the points, from one copy of the rectangle around them.
    static bool readColours(WindowTrace& points) {
        RECT box{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
        for (const ScreenPoint& p : points) {
            box.left = std::min<LONG>(box.left, p.x), box.top = std::min<LONG>(box.top, p.y);
            box.right = std::max<LONG>(box.right, p.x + 1), box.bottom = std::max<LONG>(box.bottom, p.y + 1);
        }
        std::string error;
        std::optional<ScreenImage> image = captureArea(box, error);
        if (!image)
            return false;
        for (ScreenPoint& p : points) {
            const std::uint8_t* px =
                image->pixels.data() +
                (static_cast<std::size_t>(p.y - box.top) * image->width + (p.x - box.left)) * 4;
            p.colour = std::uint32_t{px[2]} << 16 | std::uint32_t{px[1]} << 8 | px[0];
        }
        return true;
    }

    static std::optional<ScreenImage> captureArea(const RECT& area, std::string& error) {
        auto fail = [&error] {
            error = lastErrorText();
            return std::nullopt;
        };
        SetLastError(0);
        ScreenImage image;
        image.width = area.right - area.left;
        image.height = area.bottom - area.top;
        if (image.width <= 0 || image.height <= 0)
            return fail();
        ScreenDc screen(GetDC(nullptr));
        if (!screen)
            return fail();
        MemoryDc memory(CreateCompatibleDC(screen.get()));
        if (!memory)
            return fail();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = image.width;
        info.bmiHeader.biHeight = -image.height; // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        GdiObject bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits)
            return fail();
        HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
        SetLastError(0);
        BOOL copied =
            BitBlt(memory.get(), 0, 0, image.width, image.height, screen.get(), area.left, area.top, SRCCOPY);
        std::string copyError = copied ? std::string() : lastErrorText();
        GdiFlush();
        SelectObject(memory.get(), previous);
        if (!copied) {
            error = copyError;
            return std::nullopt;
        }
        std::size_t size = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4;
        image.pixels.resize(size);
        std::memcpy(image.pixels.data(), bits, size);
        return image;
    }

    static constexpr int kTraceSide = 12;
    Dwm dwm_;
};

} // namespace

ScreenCapture& windowsScreenCapture() {
    static WindowsScreenCapture instance;
    return instance;
}

} // namespace kw
