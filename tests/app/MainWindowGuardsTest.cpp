// The main window refusing what would disturb work under way (a run, the pause after clearing), and
// keeping what the user set (column widths, the window's place), driven under Wine by window messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>

#include "app/MainWindow.h"
#include "app/WindowMessages.h"
#include "app/resource.h"
#include "platform/Cabinet.h"
#include "products/PlmFamily.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"

namespace kw {
namespace {

struct AnsweringDesktop : Desktop {
    std::optional<std::string> chosenFile;
    std::vector<std::string> messages, filters;
    std::optional<std::string> chooseFileToOpen(WindowHandle, const std::string& filter,
                                                const std::string&) override {
        filters.push_back(filter);
        return chosenFile;
    }
    bool registerHotKey(WindowHandle, int, unsigned, unsigned) override { return true; }
    void unregisterHotKey(WindowHandle, int) override {}
    bool shellOpen(const std::string&) override { return true; }
    void showMessage(WindowHandle, const std::string& text, MessageKind) override {
        messages.push_back(text);
    }
    bool confirm(WindowHandle, const std::string&) override { return true; }
};

template <typename Done> bool pumpUntil(Done done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT)
                DispatchMessageW(&msg);
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool menuEnabled(HWND window, int id) {
    return !(GetMenuState(GetMenu(window), static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

class MainWindowGuardsTest : public testing::Test {
  protected:
    AnsweringDesktop desktop;
    test::RecordingProcesses processes;
    Platform platform{windowsFileSystem(), windowsSystemInfo(), desktop, processes};

    std::unique_ptr<MainWindow> open(StartArguments args = {}) {
        // The save after a run would pack the results and close the window under test.
        test::writeFileBytes(test::tempDir() + "KW_scan.ini", "[Set]\r\nAutoSave=0\r\n");
        auto w = std::make_unique<MainWindow>(platform, args);
        EXPECT_TRUE(w->create(GetModuleHandleW(nullptr)));
        pumpUntil([] { return false; }, 50);
        return w;
    }
    void command(MainWindow& w, int id) { SendMessageW(w.hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    // A run held inside its PLM section until Stop.
    void holdRunInPlm(MainWindow& w) {
        CollectionRun& engine = w.engine();
        engine.replaceSection(ToolButton17Click, [&engine] {
            for (int i = 0; i < 20000 && !engine.stopFlag(); ++i) {
                engine.processMessages();
                Sleep(1);
            }
        });
    }
    std::string work(const char* name) { return test::tempDir() + "KW_Temp\\" + name; }
};

TEST_F(MainWindowGuardsTest, NothingStartsDuringTheClearingPauseAndLoadSettingsWaitsForTheRun) {
    auto w = open();
    command(*w, IDC_CLEAR);
    command(*w, IDC_START); // within the three seconds
    EXPECT_FALSE(w->runInProgress());
    ASSERT_TRUE(pumpUntil([&] { return !w->engine().timingLog().lines().empty(); }, 6000));
    EXPECT_EQ(w->engine().timingLog().lines()[0].rfind("Удалены результаты - [", 0), 0u);

    holdRunInPlm(*w);
    command(*w, IDC_START);
    ASSERT_TRUE(w->runInProgress());
    ASSERT_TRUE(pumpUntil([&] { return w->engine().progress() >= 8; }, 30000));
    EXPECT_FALSE(menuEnabled(w->hwnd(), IDC_LOAD_SETTINGS));
    command(*w, IDC_LOAD_SETTINGS);
    EXPECT_TRUE(desktop.filters.empty()); // no file was asked for
    command(*w, IDC_STOP);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }, 30000));
    EXPECT_TRUE(menuEnabled(w->hwnd(), IDC_LOAD_SETTINGS));
}

TEST_F(MainWindowGuardsTest, OnlyTheProgramsOwnWindowsResetSideOnesColumnWidths) {
    auto w = open();
    TableGrid& grid = w->viewer().table(1);
    grid.setColumnWidth(0, 333);
    // Alt+Tab back from another program: the window that lost the activation is not the program's.
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(GetDesktopWindow()));
    EXPECT_EQ(grid.columnWidth(0), 333);
    // Back from a dialog of the program.
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(w->optionsDialog().hwnd()));
    EXPECT_NE(grid.columnWidth(0), 333);
}

TEST_F(MainWindowGuardsTest, SecondCommandLinePackageOpensOnlyAfterTheFirst) {
    std::string src = test::tempDir() + "src";
    windowsFileSystem().createFolder(src);
    test::writeFileBytes(src + "\\software.txt", "other computer\r\n");
    std::string good = test::tempDir() + "good.cab";
    ASSERT_FALSE(writeCabinet(good, {{src + "\\software.txt", "software.txt"}}, "KW_Archive"));
    std::string broken = test::tempDir() + "broken.cab";
    test::writeFileBytes(broken, "not a cabinet");

    auto w = open(parseStartArguments({broken, good}));
    PostMessageW(w->hwnd(), WM_APP_OPEN_ARGS, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return !desktop.messages.empty(); }, 30000));
    EXPECT_NE(desktop.messages[0].find("broken.cab"), std::string::npos);
    EXPECT_FALSE(pumpUntil([&] { return w->viewer().side2Visible(); }, 2000));
    EXPECT_FALSE(test::fileExists(test::tempDir() + "KW_Temp2\\software.txt"));
}

TEST_F(MainWindowGuardsTest, SettingsCopyOfARunCarriesTheWindowsPlaceAtItsEnd) {
    auto w = open();
    holdRunInPlm(*w);
    command(*w, IDC_START);
    ASSERT_TRUE(pumpUntil([&] { return w->engine().progress() >= 8; }, 30000));
    SetWindowPos(w->hwnd(), nullptr, 123, 77, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE); // moved meanwhile
    command(*w, IDC_STOP);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }, 30000));
    std::string copy = test::readFileBytes(work("KW_scan.ini"));
    EXPECT_NE(copy.find("\nleft=123\r\n"), std::string::npos) << copy;
    EXPECT_NE(copy.find("top=77\r\n"), std::string::npos) << copy;
    EXPECT_NE(copy.find("width=640\r\n"), std::string::npos) << copy;
    // A taskbar at the top: the placement's workspace coordinates lie below it on the screen.
    RECT screen = screenRectOfPlacement({10, 20, 110, 220}, {0, 0, 1280, 1024}, {0, 40, 1280, 1024});
    EXPECT_EQ(screen.top, 60);
    EXPECT_EQ(screen.left, 10);
    EXPECT_EQ(screen.bottom, 260);
}

} // namespace
} // namespace kw
