// The screenshot hot key on the real main window under Wine's X display: pictures, the table, the
// window coming back, the event log, and a shot in the middle of a run.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "app/MainWindow.h"
#include "app/resource.h"
#include "platform/Text.h"
#include "products/EnterpriseSections.h"
#include "products/PlmFamily.h"
#include "results/ResultTree.h"
#include "system/Screenshots.h"
#include "system/SystemRegistryExports.h"
#include "system/SystemSections.h"
#include "tests/JpegFile.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"

namespace kw {
namespace {

struct OpeningDesktop : Desktop {
    std::vector<std::string> opened;
    bool registerHotKey(WindowHandle, int, unsigned, unsigned) override { return true; }
    void unregisterHotKey(WindowHandle, int) override {}
    bool shellOpen(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    void showMessage(WindowHandle, const std::string&, MessageKind) override {}
    bool confirm(WindowHandle, const std::string&) override { return true; }
};

// A bounded batch: a run that keeps logging keeps the queue from ever running dry.
void pump() {
    MSG msg;
    for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <typename Done> bool pumpUntil(Done done, int timeoutMs = 30000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    pump();
    return true;
}

class MainWindowScreenshotTest : public testing::Test {
  protected:
    OpeningDesktop desktop;
    test::FakeSystem clock; // stands still: every shot of a test falls in the same second
    test::RecordingProcesses processes;
    Platform platform{windowsFileSystem(), clock, desktop, processes};

    std::unique_ptr<MainWindow> open() {
        auto w = std::make_unique<MainWindow>(platform, StartArguments{});
        EXPECT_TRUE(w->create(GetModuleHandleW(nullptr)));
        pump();
        return w;
    }
    void hotKey(MainWindow& w, int id) {
        SendMessageW(w.hwnd(), WM_HOTKEY, static_cast<WPARAM>(id), MAKELPARAM(kModAlt | kModShift, kVkF9));
    }
    std::string work(const std::string& name) { return test::tempDir() + "\\KW_Temp\\" + name; }
    std::string shotName() {
        return screenshotFileName(clock.shortDate(clock.time), clock.longTime(clock.time));
    }
    std::vector<std::string> pictures() {
        std::vector<std::string> found;
        windowsFileSystem().listFolder(test::tempDir() + "KW_Temp\\", [&](const FolderEntry& e) {
            if (e.name.size() > 4 && e.name.substr(e.name.size() - 4) == ".jpg")
                found.push_back(e.name);
            return true;
        });
        return found;
    }
};

} // namespace

TEST_F(MainWindowScreenshotTest, HotKeyTwiceInOneSecondGivesOnePictureTwoRowsAndTheWindowBack) {
    auto w = open();
    HWND h = w->hwnd();
    hotKey(*w, 2); // not ours
    EXPECT_TRUE(pictures().empty());

    hotKey(*w, 1);
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_TRUE(test::fileExists(work(kScreenshotTable)));
    hotKey(*w, 1);
    EXPECT_TRUE(IsWindowVisible(h));

    std::string name = shotName();
    ASSERT_EQ(pictures(), std::vector<std::string>{name});
    auto picture = test::decodeJpeg(test::readFileBytes(work(name))); // the second shot's, whole
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, GetSystemMetrics(SM_CXSCREEN));

    auto table = test::linesOf(ansiToUtf8(test::readFileBytes(work(kScreenshotTable))));
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], "Имя файла:\tБайт:\tДата:\t\t \t ");
    for (int row : {1, 2})
        EXPECT_EQ(table[row].rfind(name + "\t", 0), 0u) << table[row];

    // Both shots in the event log, and the log saved with them.
    auto log = w->engine().eventLog().texts();
    ASSERT_GE(log.size(), 4u);
    std::string shotLine = "Screenshot ---> \"" + work(name) + "\"";
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{" ", shotLine, " ", shotLine}));
    EXPECT_NE(test::readFileBytes(work("KW_Scan!.rtf")).find("Screenshot ---> "), std::string::npos);

    // The node shows the table; a double click on a file name opens that picture.
    ViewerPane& viewer = w->viewer();
    viewer.selectNode(static_cast<int>(findAssociation("Снимки экрана") - resultTree().data()));
    TableGrid& grid = viewer.table(1);
    ASSERT_EQ(grid.model().rowCount(), 3);
    EXPECT_EQ(toUtf8(grid.model().cell(0, 2)), name);
    grid.setCurrent({0, 2});
    viewer.tableDoubleClick();
    EXPECT_EQ(desktop.opened, std::vector<std::string>{test::tempDir() + "\\KW_Temp\\" + name});
}

TEST_F(MainWindowScreenshotTest, ShotDuringARunKeepsItsTwoLinesTogetherAndTheLogOnDiskCurrent) {
    auto w = open();
    CollectionRun& engine = w->engine();
    // The system step's sections do nothing here: the shot is what matters.
    for (SectionProcedure quick : std::initializer_list<SectionProcedure>{
             ExportSystemRegistryBranches, RunConsoleCommands, CollectSystemSection, CollectCommonDataFolder,
             CollectSharedFolder, CollectSuiteInstallLogs})
        engine.replaceSection(quick, [] {});
    // A section that keeps logging from the run's thread until it is stopped.
    std::atomic<bool> inSection{false};
    engine.replaceSection(ToolButton17Click, [&] {
        inSection = true;
        for (int i = 0; i < 3000 && !engine.stopFlag(); ++i) {
            engine.eventLog().append("    строка раздела " + std::to_string(i));
            engine.processMessages();
            Sleep(10);
        }
    });
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_START, 0);
    ASSERT_TRUE(pumpUntil([&] { return inSection.load(); }));
    hotKey(*w, 1);
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_STOP, 0);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }));

    auto log = engine.eventLog().texts();
    std::string shotLine = "Screenshot ---> \"" + work(shotName()) + "\"";
    auto at = std::find(log.begin(), log.end(), shotLine);
    ASSERT_NE(at, log.end());
    EXPECT_EQ(*(at - 1), " ");
    // The run's own lines around the shot are all there, in their order.
    int next = 0;
    for (const std::string& line : log) {
        if (line.rfind("    строка раздела ", 0) == 0) {
            EXPECT_EQ(line, "    строка раздела " + std::to_string(next++));
        }
    }
    EXPECT_GT(next, 0);
    EXPECT_TRUE(IsWindowVisible(w->hwnd()));
    EXPECT_EQ(test::linesOf(ansiToUtf8(test::readFileBytes(work(kScreenshotTable)))).size(), 2u);
    // The shot's save made the file; the run's Stop banner, saved after it, is there too.
    std::string saved = test::readFileBytes(work("KW_Scan!.rtf"));
    size_t shot = saved.find("Screenshot ---> ");
    ASSERT_NE(shot, std::string::npos);
    EXPECT_NE(saved.find("*********************", shot), std::string::npos);
}

} // namespace kw
