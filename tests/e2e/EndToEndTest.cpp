// Runs KW_Scan.exe itself, as a user or a script would, in the prefix the test is given
// (64-bit and 32-bit Windows), on the demo machine, and checks what it leaves in the work folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <regex>
#include <thread>

#include "app/resource.h"
#include "core/RtfWriter.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"
#include "results/ResultViewer.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"
#include "viewer/ViewerPane.h"
#include <commctrl.h>

namespace kw {
namespace {

std::string rtfBody(const std::string& text, LogColor color, bool bold) {
    std::string rtf = writeRtf({{text, color, bold}});
    size_t from = rtf.rfind("\\cf");
    return rtf.substr(from, rtf.rfind("\\par") + 4 - from);
}

// The tree's items in tree order, walked through the control of the other process (handles only).
std::vector<HTREEITEM> treeItems(HWND tree) {
    std::vector<HTREEITEM> out;
    auto next = [tree](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    HTREEITEM item = next(nullptr, TVGN_ROOT);
    while (item) {
        out.push_back(item);
        if (HTREEITEM child = next(item, TVGN_CHILD)) {
            item = child;
            continue;
        }
        while (item && !next(item, TVGN_NEXT))
            item = next(item, TVGN_PARENT);
        if (item)
            item = next(item, TVGN_NEXT);
    }
    return out;
}

class EndToEndTest : public testing::Test {
  protected:
    std::string work(const char* name) { return test::tempDir() + "KW_Temp\\" + name; }
};

TEST_F(EndToEndTest, FullRunWritesBothLogsAndTheSettingsCopy) {
    copyDemoTempFiles();
    Child c = startFullRunKeepingResults();
    ASSERT_TRUE(c.process) << programPath();
    ASSERT_TRUE(waitFor([&] { return test::fileExists(work("KW_scan.ini")); }, 120000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the end-of-run block finishes

    std::string timing = ansiToUtf8(test::readFileBytes(work("KW_Scan!.txt")));
    auto lines = test::linesOf(timing);
    // Times and dates vary; everything else is fixed text.
    const std::string t = R"(\d{1,2}:\d\d:\d\d)";
    const std::string d = R"(\d\d\.\d\d\.\d{4})";
    const std::string stars = R"(\*{21})";
    std::vector<std::string> patterns = {
        stars + " Начало сбора информации " + d + " - " + t + R"( \| Тип: "Полный "  )" + stars,
        "Информация о системе - " + t,
        "COD - " + t,
        "TAVIR Shared - " + t,
        "ПЕЛТРАН - " + t,
        "МИРТАЛ-3D MCAD/AEC - " + t,
        "МИРТАЛ-3D Home - " + t,
        "МИРТАЛ-3D Viewer - " + t,
        "МОРВАНТАЙД - " + t,
        "САПР ТП ТЕССАРИН - " + t,
        "Справочник технолога - " + t,
        "Стандартные Изделия - " + t,
        "Rudazizod o Ridaduvodu - " + t,
        "Единицы измерения - " + t,
        "Нормирование материалов - " + t,
        "Нормирование трудозатрат - " + t,
        "ПЕЛТРАН:КБ - " + t,
        "Ferry-OAK - " + t,
        "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД - " + t,
        "КВАДРИКС:MDM - " + t,
        stars + " Сбор информации завершен " + d + " - " + t + R"( \|  Выполнен за: \()" + t + " - " + t +
            R"(\) = )" + t + " " + stars,
        " "};
    ASSERT_EQ(lines.size(), patterns.size()) << timing;
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << lines[i];
    EXPECT_TRUE(timing.ends_with(" \r\n"));

    std::string rtf = test::readFileBytes(work("KW_Scan!.rtf"));
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251", 0), 0u);
    EXPECT_NE(
        rtf.find(rtfBody("KW_Scan! V19.11.01k (01.11.2019) [" + programPath() + "]", LogColor::Black, true)),
        std::string::npos);
    // Banners alternate bold, so the legend's weight depends on how many products wrote one.
    auto green = [&](const std::string& text) {
        return rtf.find(rtfBody(text, LogColor::Green, false)) != std::string::npos ||
               rtf.find(rtfBody(text, LogColor::Green, true)) != std::string::npos;
    };
    EXPECT_TRUE(green("Сокращения:"));
    EXPECT_TRUE(green("     \"[-]\" - файл или продукт не найден"));
    EXPECT_NE(rtf.find(rtfBody("********************* Системная информация: *********************",
                               LogColor::Blue, false)),
              std::string::npos);

    std::string ini = test::readFileBytes(work("KW_scan.ini"));
    EXPECT_NE(ini.find("[TAVIR]\r\nAll=0\r\nPeltrand=1\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Libs=1\r\n"), std::string::npos);

    HWND w = mainWindowOf(c.id);
    ASSERT_NE(w, nullptr);

    // Every node whose file the run wrote opens it; the others say the file is missing.
    HWND tree = descendant(w, viewer_id::kTree), text = descendant(w, viewer_id::kText1);
    HWND grid = descendant(w, viewer_id::kTable1);
    ASSERT_TRUE(tree && text && grid);
    auto items = treeItems(tree);
    auto nodes = resultTree();
    ASSERT_EQ(items.size(), nodes.size());
    int opened = 0, missing = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ResultNode& n = nodes[i];
        if (n.kind == ViewKind::Category)
            continue;
        std::string file(n.file);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[i]));
        std::string shown = windowText(text);
        if (test::fileExists(work(file.c_str()))) {
            ++opened;
            EXPECT_NE(shown, ResultViewer::notFoundLine(file)) << n.text;
            if (n.kind == ViewKind::Table && windowsFileSystem().fileSize(work(file.c_str())) > 0) {
                EXPECT_TRUE(IsWindowVisible(grid)) << n.text;
            }
        } else {
            ++missing;
            EXPECT_EQ(shown, ResultViewer::notFoundLine(file)) << n.text;
        }
    }
    EXPECT_GE(opened, 3); // at least the two logs and the settings copy
    EXPECT_GT(missing, 0);
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
    // Closing removes the work folders and keeps the settings.
    EXPECT_FALSE(windowsFileSystem().folderExists(test::tempDir() + "KW_Temp"));
    EXPECT_TRUE(test::fileExists(test::tempDir() + "KW_scan.ini"));
}

TEST_F(EndToEndTest, StopDuringTheSystemStepLeavesNoPackageAndTheProgramOpen) {
    copyDemoTempFiles();
    // A copy of the program with the save after a run on: a package would go beside it.
    std::string home = test::tempDir() + "home";
    windowsFileSystem().createFolder(home);
    ASSERT_FALSE(windowsFileSystem().copyFile(programPath(), home + "\\KW_Scan.exe"));
    test::writeFileBytes(test::tempDir() + "KW_scan.ini", "[Set]\r\nAutoSave=1\r\n");
    Child c = startProgram(home + "\\KW_Scan.exe", "full");
    ASSERT_TRUE(c.process);
    HWND w = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            w = mainWindowOf(c.id);
            return w && windowText(descendant(w, IDC_PROGRESS_CAPTION)) == "Информация о системе";
        },
        120000));
    PostMessageW(w, WM_COMMAND, IDC_STOP, 0); // from outside, as a user's click
    ASSERT_TRUE(waitFor([&] { return test::fileExists(work("KW_scan.ini")); }, 120000));
    // The end of the run would have saved by now, and the save closes the program.
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 3000), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(windowText(descendant(w, IDC_PROGRESS_CAPTION)), "СТОП");
    EXPECT_NE(ansiToUtf8(test::readFileBytes(work("KW_Scan!.txt"))).find("СТОП"), std::string::npos);
    int packages = 0;
    windowsFileSystem().listFolder(home + "\\", [&](const FolderEntry& e) {
        packages += e.name.ends_with(".cab");
        return true;
    });
    EXPECT_EQ(packages, 0);
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

} // namespace
} // namespace kw
