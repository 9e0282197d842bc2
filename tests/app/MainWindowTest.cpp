// Drives the real main window under Wine: commands go in as window messages, the controls are read back.
#include "app/MainWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <chrono>

#include "app/resource.h"
#include "platform/Cabinet.h"
#include "platform/Digest.h"
#include "platform/Text.h"
#include "products/PlmFamily.h"
#include "results/PackageManifest.h"
#include "tests/TempFolder.h"
#include "tests/WindowText.h"
#include "tests/core/FakeProcesses.h"
#include "tests/library/LibraryTestPackages.h"
#include "viewer/TextView.h"

namespace kw {
namespace {

struct FakeDesktop : Desktop {
    bool hotKeyFree = true;
    bool answer = true;
    std::optional<std::string> chosenFile; // what the open dialog answers; nothing: cancelled
    std::vector<std::string> messages, questions, filters, extensions, titles;
    std::optional<std::string> chooseFileToOpen(WindowHandle, const std::string& filter,
                                                const std::string& extension) override {
        extensions.push_back(extension);
        filters.push_back(filter);
        return chosenFile;
    }
    bool registerHotKey(WindowHandle, int, unsigned, unsigned) override { return hotKeyFree; }
    void unregisterHotKey(WindowHandle, int) override {}
    bool shellOpen(const std::string&) override { return true; }
    void showMessage(WindowHandle, const std::string& text, MessageKind) override {
        messages.push_back(text);
    }
    void showTitledMessage(WindowHandle, const std::string& title, const std::string& text,
                           MessageKind kind) override {
        titles.push_back(title);
        errors.push_back(kind == MessageKind::Error);
        messages.push_back(text);
    }
    std::vector<bool> errors; // of the titled messages: shown with the error icon
    bool confirm(WindowHandle, const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
};

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
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

std::string statusText(HWND window, int part) {
    wchar_t buf[512] = {};
    SendDlgItemMessageW(window, IDC_STATUS, SB_GETTEXTW, static_cast<WPARAM>(part),
                        reinterpret_cast<LPARAM>(buf));
    return toUtf8(buf);
}

bool toolButtonHidden(HWND window, int id) {
    return SendDlgItemMessageW(window, IDC_TOOLBAR, TB_ISBUTTONHIDDEN, static_cast<WPARAM>(id), 0) != 0;
}

bool menuEnabled(HWND window, int id) {
    UINT state = GetMenuState(GetMenu(window), static_cast<UINT>(id), MF_BYCOMMAND);
    return !(state & (MF_GRAYED | MF_DISABLED));
}

class MainWindowTest : public testing::Test {
  protected:
    FakeDesktop desktop;
    test::RecordingProcesses processes;
    Platform platform{windowsFileSystem(), windowsSystemInfo(), desktop, processes};

    std::unique_ptr<MainWindow> open(StartArguments args = {}) {
        // The save after a run (on by default) would pack the results and close the window under test.
        if (!test::fileExists(test::tempDir() + "KW_scan.ini"))
            test::writeFileBytes(test::tempDir() + "KW_scan.ini", "[Set]\r\nAutoSave=0\r\n");
        auto w = std::make_unique<MainWindow>(platform, args);
        EXPECT_TRUE(w->create(GetModuleHandleW(nullptr)));
        pump();
        return w;
    }
    void command(MainWindow& w, int id) { SendMessageW(w.hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    std::string work(const char* name) { return test::tempDir() + "\\KW_Temp\\" + name; }
};

TEST_F(MainWindowTest, RunFromThePuskButtonEndsIdleWithResultsOffered) {
    auto w = open();
    HWND h = w->hwnd();
    EXPECT_FALSE(menuEnabled(h, IDC_SAVE_PACKAGE));
    command(*w, IDC_START);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }));

    EXPECT_EQ(SendDlgItemMessageW(h, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(test::windowText(GetDlgItem(h, IDC_PERCENT)), "0%");
    EXPECT_EQ(statusText(h, 1), "0%");
    EXPECT_EQ(statusText(h, 2).rfind("Сбор информации завершен ", 0), 0u);
    EXPECT_FALSE(toolButtonHidden(h, IDC_START));
    EXPECT_TRUE(toolButtonHidden(h, IDC_STOP));
    EXPECT_TRUE(menuEnabled(h, IDC_OPTIONS));
    EXPECT_TRUE(menuEnabled(h, IDC_SAVE_PACKAGE));
    EXPECT_TRUE(menuEnabled(h, IDC_LOAD_COMPARE));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_PROGRESS_GROUP)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_EVENT_LOG)));
    EXPECT_EQ(statusText(h, 0), "\t\t События <");

    // The pane shows what the model holds, line for line.
    std::string shown = test::windowText(GetDlgItem(h, IDC_EVENT_LOG));
    std::string expected;
    // GetWindowText gives the rich-edit paragraphs back with CR LF.
    for (const auto& l : w->engine().eventLog().texts())
        expected += (expected.empty() ? "" : "\r\n") + l;
    EXPECT_EQ(shown, expected);
    EXPECT_NE(shown.find("Сокращения:"), std::string::npos);
    EXPECT_TRUE(test::fileExists(work("KW_Scan!.rtf")));
    EXPECT_TRUE(test::fileExists(work("KW_scan.ini")));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MainWindowTest, StopButtonEndsTheRunAtTheSectionsNextStoppingPoint) {
    auto w = open();
    HWND h = w->hwnd();
    CollectionRun& engine = w->engine();
    engine.replaceSection(ToolButton17Click, [&engine] {
        for (int i = 0; i < 20000 && !engine.stopFlag(); ++i) {
            engine.processMessages();
            Sleep(1);
        }
    });
    command(*w, IDC_START);
    ASSERT_TRUE(
        pumpUntil([&] { return test::windowText(GetDlgItem(h, IDC_PROGRESS_CAPTION)) == "ПЕЛТРАН"; }));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_PROGRESS_GROUP)));
    EXPECT_TRUE(toolButtonHidden(h, IDC_START));
    EXPECT_FALSE(menuEnabled(h, IDC_OPTIONS));
    command(*w, IDC_STOP);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }));

    EXPECT_EQ(test::windowText(GetDlgItem(h, IDC_PROGRESS_CAPTION)), "СТОП");
    EXPECT_EQ(test::windowText(GetDlgItem(h, IDC_PERCENT)), "0%");
    std::string log = test::windowText(GetDlgItem(h, IDC_EVENT_LOG));
    EXPECT_NE(log.find("********************* СТОП "), std::string::npos);
    EXPECT_EQ(log.find("Сокращения:"), std::string::npos);
    EXPECT_FALSE(toolButtonHidden(h, IDC_START));
}

TEST_F(MainWindowTest, ClearResultsAsksFirstAndCancelChangesNothing) {
    auto w = open();
    command(*w, IDC_START);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }));
    size_t lines = w->engine().eventLog().texts().size();

    desktop.answer = false;
    command(*w, IDC_CLEAR);
    EXPECT_EQ(desktop.questions, std::vector<std::string>{"Удалить результаты сканирования?"});
    EXPECT_EQ(w->engine().eventLog().texts().size(), lines);
    EXPECT_TRUE(test::fileExists(work("KW_scan.ini")));

    desktop.answer = true;
    command(*w, IDC_CLEAR);
    EXPECT_FALSE(test::fileExists(work("KW_scan.ini")));
    EXPECT_FALSE(menuEnabled(w->hwnd(), IDC_SAVE_PACKAGE));
    auto log = w->engine().eventLog().texts();
    EXPECT_EQ(log[0], "Результаты сканирования удалены.");
    ASSERT_TRUE(
        pumpUntil([&] { return statusText(w->hwnd(), 2).rfind("Удалены результаты - [", 0) == 0; }, 6000));
    EXPECT_EQ(w->engine().timingLog().lines().back(), " ");
}

TEST_F(MainWindowTest, EventsToggleHidesAndOpenLeavesItShown) {
    auto w = open();
    HWND h = w->hwnd();
    command(*w, IDC_EVENTS);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_EVENT_LOG)));
    EXPECT_EQ(statusText(h, 0), " События >");
    command(*w, IDC_EVENTS);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_EVENT_LOG)));
    EXPECT_EQ(statusText(h, 0), "\t\t События <");
}

TEST_F(MainWindowTest, SecondInstanceKeepsTheFirstOnesFoldersAndWarns) {
    auto first = open();
    test::writeFileBytes(work("(MIRTAL)mirtal.ini"), "first instance's data");
    auto second = open();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].rfind("ВНИМАНИЕ! Открыто новое окно KW_Scan!\r\n", 0), 0u);
    EXPECT_TRUE(test::fileExists(work("(MIRTAL)mirtal.ini")));
    SendMessageW(second->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(second->destroyed());
    EXPECT_TRUE(test::fileExists(work("(MIRTAL)mirtal.ini")));
    EXPECT_TRUE(test::fileExists(test::tempDir() + "KW_scan.ini"));

    SendMessageW(first->hwnd(), WM_CLOSE, 0, 0); // the first one cleans up after itself
    EXPECT_FALSE(windowsFileSystem().folderExists(test::tempDir() + "KW_Temp"));
}

TEST_F(MainWindowTest, SecondInstanceCleansUpOnceTheFirstHasClosed) {
    auto first = open();
    auto second = open();
    SendMessageW(first->hwnd(), WM_CLOSE, 0, 0);
    first.reset();
    Sleep(100); // the second takes the lock over
    windowsFileSystem().createFolder(test::tempDir() + "KW_Temp");
    test::writeFileBytes(work("(MIRTAL)mirtal.ini"), "the second instance's run");
    SendMessageW(second->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(windowsFileSystem().folderExists(test::tempDir() + "KW_Temp"));
}

// "Загрузить настройки" sets the tree panel's width and the status bar's last panel from the file.
TEST_F(MainWindowTest, LoadedSettingsSetTheTreeWidthAndTheLastStatusPanel) {
    auto w = open();
    const std::string ini = test::tempDir() + "loaded.ini";
    test::writeFileBytes(ini, utf8ToAnsi("[position]\r\nTree_width=200\r\n[Tools]\r\nstatus1=Отдел СТП\r\n"));
    desktop.chosenFile = ini;
    w->options().set(Option::Debug, true);
    command(*w, IDC_LOAD_SETTINGS);
    pump();
    EXPECT_EQ(statusText(w->hwnd(), 3), "Отдел СТП");
    // "Показать лог" belongs to the progress group: never over the results of an idle window.
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(w->hwnd(), IDC_SHOW_LOG)));
    RECT tree{};
    GetWindowRect(FindWindowExW(w->viewer().hwnd(), nullptr, L"SysTreeView32", nullptr), &tree);
    EXPECT_EQ(tree.right - tree.left, 200);
}

TEST_F(MainWindowTest, HotKeyHeldElsewhereIsReported) {
    desktop.hotKeyFree = false;
    auto w = open();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_NE(desktop.messages[0].find("Файл / Загрузить информацию для сравнения"), std::string::npos);
}

TEST_F(MainWindowTest, StartArgumentsAreRunsOrPackages) {
    EXPECT_TRUE(parseStartArguments({"full"}).autoStart);
    EXPECT_FALSE(parseStartArguments({"full"}).hidden);
    EXPECT_TRUE(parseStartArguments({"FULLIN"}).hidden);
    EXPECT_EQ(parseStartArguments({"fullin", "D:\\Пакеты СТП"}).packageFolder, "D:\\Пакеты СТП");
    EXPECT_FALSE(parseStartArguments({"other", "full"}).autoStart);
    EXPECT_EQ(parseStartArguments({"other", "full"}).packages, (std::vector<std::string>{"other", "full"}));
    EXPECT_EQ(parseStartArguments({"a.cab", "b.cab", "c.cab"}).unused, std::vector<std::string>{"c.cab"});
    EXPECT_EQ(parseStartArguments({"full", "x"}).unused, std::vector<std::string>{"x"});
    EXPECT_FALSE(parseStartArguments({}).autoStart);
}

TEST_F(MainWindowTest, FirstActivationStartsTheVisibleRunOrOpensWhatTheArgumentsName) {
    EXPECT_EQ(firstActivationRequest(parseStartArguments({"full"})), FirstActivation::FullRun);
    // A hidden run starts without an activation; only arguments beyond its folder are left to report.
    EXPECT_EQ(firstActivationRequest(parseStartArguments({"fullin", "D:\\Пакеты"})),
              FirstActivation::Nothing);
    EXPECT_EQ(firstActivationRequest(parseStartArguments({"fullin", "D:\\Пакеты", "x"})),
              FirstActivation::OpenPackages);
    EXPECT_EQ(firstActivationRequest(parseStartArguments({"full", "x"})), FirstActivation::FullRun);
    EXPECT_EQ(firstActivationRequest(parseStartArguments({"a.cab"})), FirstActivation::OpenPackages);
    EXPECT_EQ(firstActivationRequest(parseStartArguments({})), FirstActivation::Nothing);
}

TEST_F(MainWindowTest, CancelledOpenDialogChangesNothing) {
    auto w = open();
    HWND h = w->hwnd();
    test::writeFileBytes(work("KW_Scan!.rtf"), "{\\rtf1 results}");
    size_t lines = w->engine().eventLog().texts().size();
    command(*w, IDC_LOAD_PACKAGE);
    pump();
    ASSERT_EQ(desktop.filters.size(), 1u);
    EXPECT_EQ(desktop.filters[0], "KW_Scan! (*.kw;*.cab)|*.kw;*.cab|Все файлы (*.*)|*.*");
    EXPECT_EQ(test::readFileBytes(work("KW_Scan!.rtf")), "{\\rtf1 results}");
    EXPECT_EQ(w->engine().eventLog().texts().size(), lines);
    // "(2)" waits for results to compare with.
    EXPECT_FALSE(menuEnabled(h, IDC_LOAD_COMPARE));
    command(*w, IDC_LOAD_COMPARE);
    pump();
    EXPECT_EQ(desktop.filters.size(), 1u);
}

TEST_F(MainWindowTest, OpenedPackageThatDiffersFromItsListIsSaidOnceAndOpened) {
    // A package whose list names a file that is not in it.
    std::string src = test::tempDir() + "src";
    windowsFileSystem().createFolder(src);
    const std::string software = "other computer\r\n";
    test::writeFileBytes(src + "\\software.txt", software);
    test::writeFileBytes(src + "\\KW_Manifest.csv",
                         manifestText({{"software.txt", static_cast<std::int64_t>(software.size()),
                                        sha256Hex(software), "Параметры программного обеспечения"},
                                       {"Paths.txt", 3, sha256Hex("C:\\"), "Каталоги"}}));
    std::string package = test::tempDir() + "partial.cab";
    ASSERT_FALSE(writeCabinet(
        package, {{src + "\\software.txt", "software.txt"}, {src + "\\KW_Manifest.csv", "KW_Manifest.csv"}},
        "KW_Archive"));

    auto w = open();
    HWND h = w->hwnd();
    desktop.chosenFile = package;
    command(*w, IDC_LOAD_PACKAGE);
    ASSERT_TRUE(pumpUntil([&] { return !desktop.messages.empty(); }));
    pumpUntil([&] { return false; }, 300); // no second message follows
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(
        desktop.messages[0].rfind("Пакет \"partial.cab\" не совпадает со своим составом (KW_Manifest.csv): "
                                  "файлов с расхождениями - 1.\r\n\"Paths.txt\" - отсутствует\r\n",
                                  0),
        0u)
        << desktop.messages[0];
    EXPECT_EQ(statusText(h, 2), "Не совпадают с составом пакета файлов: 1 - partial.cab");
    // Opened all the same: the engineer decides.
    EXPECT_EQ(test::readFileBytes(work("software.txt")), software);
    // The open dialog lists "*.kw" packages first and adds "kw" to a name typed without an extension.
    ASSERT_EQ(desktop.extensions.size(), 1u);
    EXPECT_EQ(desktop.extensions[0], "kw");
}

TEST_F(MainWindowTest, WorkFolderThatCannotBeListedIsAnErrorBoxTitledOshibka) {
    auto w = open();
    // The work folder's place taken by a file: its listing fails.
    windowsFileSystem().deleteFolderTree(test::tempDir() + "KW_Temp");
    test::writeFileBytes(test::tempDir() + "KW_Temp", "not a folder");
    command(*w, IDC_SAVE_PACKAGE);
    ASSERT_TRUE(pumpUntil([&] { return !desktop.titles.empty(); }));
    EXPECT_EQ(desktop.titles[0], "Ошибка");
    EXPECT_TRUE(desktop.errors[0]);
    EXPECT_EQ(desktop.messages.back().rfind("Не удалось получить список файлов каталога", 0), 0u)
        << desktop.messages.back();
    EXPECT_FALSE(w->destroyed()); // the results stay; nothing closes
    windowsFileSystem().deleteFile(test::tempDir() + "KW_Temp");
}

// With a library chosen, a package opened in the window joins it, and the status bar says so.
TEST_F(MainWindowTest, APackageOpenedInTheWindowJoinsTheChosenLibrary) {
    const std::string lib = test::tempDir() + "lib.sqlite";
    std::string package =
        test::savePackage(test::runFiles("PC-1", "ivan", 1), test::tempDir() + "in", "PC-1");
    ASSERT_FALSE(package.empty());
    test::writeFileBytes(test::tempDir() + "KW_scan.ini",
                         utf8ToAnsi("[Set]\r\nAutoSave=0\r\n[Library]\r\nPlace=" + lib + "\r\n"));
    auto w = open();
    desktop.chosenFile = package;
    command(*w, IDC_LOAD_PACKAGE);
    ASSERT_TRUE(pumpUntil([&] { return statusText(w->hwnd(), 2) == "Библиотека пакетов: добавлен"; }))
        << statusText(w->hwnd(), 2);
    EXPECT_EQ(PackageLibrary({lib}).packageCount(), 1);
}

TEST_F(MainWindowTest, PackageOpenedForComparisonShowsSideTwoAndLeavesSideOne) {
    // A package made from a folder of the test's own.
    std::string src = test::tempDir() + "src";
    windowsFileSystem().createFolder(src);
    test::writeFileBytes(src + "\\software.txt", "other computer\r\n");
    std::string package = test::tempDir() + "other.cab";
    ASSERT_FALSE(writeCabinet(package, {{src + "\\software.txt", "software.txt"}}, "KW_Archive"));

    auto w = open();
    HWND h = w->hwnd();
    test::writeFileBytes(work("software.txt"), "this computer\r\n");
    desktop.chosenFile = package;
    command(*w, IDC_LOAD_PACKAGE); // into side 1 first, so that "(2)" is offered
    ASSERT_TRUE(pumpUntil([&] { return menuEnabled(h, IDC_LOAD_COMPARE); }));
    EXPECT_EQ(test::readFileBytes(work("software.txt")), "other computer\r\n");
    HWND caption1 = GetDlgItem(w->viewer().hwnd(), viewer_id::kCaption1);
    EXPECT_EQ(test::windowText(caption1), "(1) other.cab");
    EXPECT_TRUE(IsWindowVisible(caption1));
    EXPECT_TRUE(menuEnabled(h, IDC_SAVE_PACKAGE));

    test::writeFileBytes(work("software.txt"), "this computer\r\n");
    command(*w, IDC_LOAD_COMPARE);
    ASSERT_TRUE(pumpUntil([&] { return w->viewer().side2Visible(); }));
    EXPECT_EQ(test::readFileBytes(test::tempDir() + "KW_Temp2\\software.txt"), "other computer\r\n");
    EXPECT_EQ(test::readFileBytes(work("software.txt")), "this computer\r\n");
    EXPECT_EQ(test::windowText(GetDlgItem(w->viewer().hwnd(), viewer_id::kCaption2)), "(2) other.cab");
    HWND strip = GetDlgItem(w->viewer().hwnd(), viewer_id::kToolStrip);
    EXPECT_FALSE(SendMessageW(strip, TB_ISBUTTONHIDDEN, viewer_id::kCompareLines, 0));

    // Clearing the results takes side 2 and the comparison away again.
    command(*w, IDC_CLEAR);
    pump();
    EXPECT_FALSE(w->viewer().side2Visible());
    EXPECT_TRUE(SendMessageW(strip, TB_ISBUTTONHIDDEN, viewer_id::kCompareLines, 0));
    EXPECT_FALSE(menuEnabled(h, IDC_LOAD_COMPARE));
}

TEST_F(MainWindowTest, FullArgumentStartsAFullRunOnActivation) {
    auto w = open({true, false});
    ASSERT_TRUE(pumpUntil([&] { return test::fileExists(work("KW_scan.ini")) && !w->runInProgress(); }));
    EXPECT_TRUE(w->options().get(Option::MirtalLibs));
    EXPECT_EQ(w->engine().startVariant(), StartVariant::Full);
    EXPECT_NE(w->engine().timingLog().lines()[0].find("| Тип: \"Полный"), std::string::npos);
}

} // namespace
} // namespace kw

namespace kw {
namespace {

// The saved event log reads back in a rich-edit control with its text and colours.
TEST(SavedEventLogTest, RichEditReadsBackTextAndColours) {
    EventLog log;
    log.setColor(LogColor::Blue);
    log.append("********************* Системная информация: *********************");
    log.setColor(LogColor::Green);
    log.append("Сокращения: {x} \\ €");
    std::string rtf = log.toRtf();

    LoadLibraryW(L"Msftedit.dll");
    HWND edit = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 200, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    TextView view;
    view.attach(edit);
    view.setRichText(rtf);
    EXPECT_EQ(test::windowText(edit),
              "********************* Системная информация: *********************\r\nСокращения: {x} \\ €");

    auto colourAt = [&](int pos) { return test::charFormatAt(edit, pos).crTextColor; };
    EXPECT_EQ(colourAt(0), RGB(0, 0, 255));
    EXPECT_EQ(colourAt(70), RGB(0, 128, 0));
    DestroyWindow(edit);
}

} // namespace
} // namespace kw

namespace kw {
namespace {

TEST_F(MainWindowTest, DoubleClickOnTheProgressGroupHidesTheTimingLogAndTurnsDebugOn) {
    auto w = open();
    HWND h = w->hwnd();
    CollectionRun& engine = w->engine();
    engine.replaceSection(ToolButton17Click, [&engine] {
        for (int i = 0; i < 20000 && !engine.stopFlag(); ++i) {
            engine.processMessages();
            Sleep(1);
        }
    });
    SendMessageW(h, WM_COMMAND, IDC_START, 0);
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(GetDlgItem(h, IDC_PROGRESS_GROUP)) != 0; }));
    RECT r;
    GetWindowRect(GetDlgItem(h, IDC_PROGRESS_GROUP), &r);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
    SendMessageW(h, WM_LBUTTONDBLCLK, 0, MAKELPARAM(r.left + 5, r.top + 5));
    EXPECT_TRUE(w->options().get(Option::Debug));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_TIMING)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_SHOW_LOG)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_SAVE_LOG)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_HIDE_LOG)));
    SendMessageW(h, WM_COMMAND, IDC_STOP, 0);
    ASSERT_TRUE(pumpUntil([&] { return !w->runInProgress(); }));
    // With the option on, the end of the run shows the timing log again and turns the option off.
    EXPECT_FALSE(w->options().get(Option::Debug));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_TIMING)));
}

} // namespace
} // namespace kw
