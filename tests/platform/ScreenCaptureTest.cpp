// The screen under Wine's X display: a hidden window is gone from the picture taken after the wait, and
// the wait lasts while the windows it covered still owe their repaint.
#include "platform/ScreenCapture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace kw {
namespace {

struct Pixel {
    int red, green, blue;
};

Pixel pixelAt(const ScreenImage& image, int x, int y) {
    const std::uint8_t* p = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
    return {p[2], p[1], p[0]};
}

bool pureRed(Pixel p) {
    return p.red > 200 && p.green < 50 && p.blue < 50;
}

// Red points of the middle half of the screen, one in every 8 by 8. Windows of tests running beside this
// one may lie over parts of it; none of them is red.
int redPoints(const ScreenImage& image) {
    int count = 0;
    for (int y = image.height / 4; y < image.height * 3 / 4; y += 8)
        for (int x = image.width / 4; x < image.width * 3 / 4; x += 8)
            count += pureRed(pixelAt(image, x, y));
    return count;
}

// A window of one colour over the middle of the screen, painted by the thread that creates it.
HWND windowInTheMiddle(const wchar_t* className, COLORREF colour, DWORD exStyle = 0) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(colour);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND w = CreateWindowExW(exStyle, className, L"", WS_POPUP, width / 4, height / 4, width / 2, height / 2,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(w, SW_SHOWNA);
    UpdateWindow(w);
    return w;
}

// Waits (painting this thread's windows) until the middle of the screen shows the colour.
bool middleShows(int red, int green, int blue) {
    std::string error;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        std::optional<ScreenImage> image = windowsScreenCapture().capturePrimaryScreen(error);
        Pixel p = pixelAt(*image, image->width / 2, image->height / 2);
        if (std::abs(p.red - red) < 30 && std::abs(p.green - green) < 30 && std::abs(p.blue - blue) < 30)
            return true;
        Sleep(10);
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

bool owesRepaint(HWND w) {
    return GetUpdateRect(w, nullptr, FALSE) != FALSE;
}

long long msSince(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from)
        .count();
}

} // namespace

TEST(ScreenCapture, HiddenWindowIsGoneFromThePictureTakenAfterTheWait) {
    ScreenCapture& screen = windowsScreenCapture();
    std::string error;
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND w = windowInTheMiddle(L"kw_red_window", RGB(255, 0, 0), WS_EX_TOPMOST);

    // The picture is the whole primary screen, and it shows the window once the display has it.
    std::optional<ScreenImage> shown;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        shown = screen.capturePrimaryScreen(error);
        ASSERT_TRUE(shown) << error;
    } while (redPoints(*shown) == 0 && std::chrono::steady_clock::now() < until);
    EXPECT_EQ(shown->width, width);
    EXPECT_EQ(shown->height, height);
    ASSERT_GT(redPoints(*shown), 0);

    WindowTrace trace = screen.hideWindow(w);
    EXPECT_FALSE(trace.empty());
    EXPECT_TRUE(screen.waitUntilGone(w, trace, 1000));
    std::optional<ScreenImage> gone = screen.capturePrimaryScreen(error);
    ASSERT_TRUE(gone) << error;
    EXPECT_EQ(redPoints(*gone), 0);
    screen.showWindow(w);
    EXPECT_TRUE(IsWindowVisible(w));
    DestroyWindow(w);
}

// Without desktop composition the screen shows the hidden window until the windows it covered have
// repainted: the wait lasts as long as another thread's window owes that, up to its limit, and paints
// the waiting thread's own windows itself.
TEST(ScreenCapture, WaitLastsUntilTheCoveredWindowsHaveRepainted) {
    ScreenCapture& screen = windowsScreenCapture();
    std::atomic<HWND> beneath{nullptr};
    std::atomic<int> busyMs{0};
    std::atomic<bool> done{false};
    std::thread other([&] {
        beneath = windowInTheMiddle(L"kw_beneath_window", RGB(0, 0, 255));
        while (!done) {
            if (int ms = busyMs.exchange(0))
                Sleep(static_cast<DWORD>(ms)); // a program busy with other work
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            Sleep(5);
        }
        DestroyWindow(beneath);
    });
    while (!beneath)
        Sleep(5);
    HWND own = windowInTheMiddle(L"kw_own_window", RGB(0, 255, 0));
    HWND top = windowInTheMiddle(L"kw_top_window", RGB(255, 255, 0), WS_EX_TOPMOST);

    WindowTrace trace;
    auto hideOwingRepaints = [&](int othersBusyMs) {
        ASSERT_TRUE(middleShows(255, 255, 0));
        trace = screen.hideWindow(top);
        busyMs = othersBusyMs;
        Sleep(20); // the other thread is asleep now
        InvalidateRect(beneath, nullptr, TRUE);
        InvalidateRect(own, nullptr, TRUE);
    };

    hideOwingRepaints(400);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(screen.waitUntilGone(top, trace, 3000));
    EXPECT_GE(msSince(start), 250);
    EXPECT_FALSE(owesRepaint(beneath));
    EXPECT_FALSE(owesRepaint(own));

    screen.showWindow(top);
    hideOwingRepaints(2500);
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(screen.waitUntilGone(top, trace, 300));
    EXPECT_LT(msSince(start), 1500);

    done = true;
    other.join();
    DestroyWindow(top);
    DestroyWindow(own);
}

} // namespace kw
