// "Построчное сравнение" and "Сравнить все разделы" in the real results area: what the views keep, and
// the report of a whole comparison with its way back to a topic.
#include <gtest/gtest.h>
#include <windows.h>

#include <richedit.h>

#include <chrono>

#include "platform/Text.h"
#include "results/ComparisonReport.h"
#include "tests/TempFolder.h"
#include "tests/WindowText.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

struct SavingDesktop : Desktop {
    std::optional<std::string> saveAs;
    bool registerHotKey(WindowHandle, int, unsigned, unsigned) override { return true; }
    void unregisterHotKey(WindowHandle, int) override {}
    bool shellOpen(const std::string&) override { return true; }
    void showMessage(WindowHandle, const std::string&, MessageKind) override {}
    bool confirm(WindowHandle, const std::string&) override { return true; }
    std::optional<std::string> chooseFileToSave(WindowHandle, const std::string&, const std::string&,
                                                const std::string&) override {
        return saveAs;
    }
};

int indexOf(const char* text) {
    return static_cast<int>(findAssociation(text) - resultTree().data());
}

std::vector<std::string> firstCells(TableModel& m) {
    std::vector<std::string> out;
    for (const TableRow& row : m.dataRows())
        out.push_back(toUtf8(row[0]));
    return out;
}

class ViewerPaneCompareTest : public testing::Test {
  protected:
    void SetUp() override {
        files.createFolder(work);
        files.createFolder(compare);
        host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 900, 600, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(pane.create(host, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))));
        pane.move(0, 0, 900, 600);
        pane.showSide2(true);
    }
    void TearDown() override { DestroyWindow(host); }
    void both(const std::string& name, const std::string& one, const std::string& two) {
        test::writeFileBytes(work + "\\" + name, one);
        test::writeFileBytes(compare + "\\" + name, two);
    }
    bool pumpUntil(const std::function<bool()>& done) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            Sleep(5);
        }
        return true;
    }

    FileSystem& files = windowsFileSystem();
    SavingDesktop desktop;
    OptionSet options;
    Settings settings;
    std::string work = test::tempDir() + "KW_Temp", compare = test::tempDir() + "KW_Temp2";
    ViewerPane pane{files, desktop, options, settings, work, compare};
    HWND host = nullptr;
};

TEST_F(ViewerPaneCompareTest, TextSidesKeepOnlyTheirDifferencesUntilTheNodeIsSelectedAgain) {
    both("software.txt", "A\r\nB\r\nC\r\n", "B\r\nA\r\nC\r\n");
    pane.selectNode(indexOf("Параметры программного обеспечения"));
    pane.compareVisiblePair();
    EXPECT_EQ(test::windowText(pane.textView(1)), "B\r\n");
    EXPECT_EQ(test::windowText(pane.textView(2)), "B\r\n");
    pane.RefreshCurrentNode();
    EXPECT_EQ(test::windowText(pane.textView(1)), "A\r\nB\r\nC\r\n");

    // Rich text loses lines, not its formatting; letter case counts.
    const char* rtf1 =
        "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}\\cf1 Same line\\par Only here\\par Tail\\par}";
    const char* rtf2 = "{\\rtf1\\ansi Same line\\par ONLY HERE\\par Tail\\par}";
    both("TAVIR_Sync.rtf", rtf1, rtf2);
    pane.selectNode(indexOf("TAVIR Sync"));
    pane.compareVisiblePair();
    EXPECT_EQ(test::windowText(pane.textView(1)), "Only here");
    EXPECT_EQ(test::windowText(pane.textView(2)), "ONLY HERE");
    CHARFORMAT2W cf = test::charFormatAt(pane.textView(1), 0);
    EXPECT_EQ(cf.crTextColor, RGB(0, 0, 255));
}

TEST_F(ViewerPaneCompareTest, TablesLoseTheirPartneredRowsAndATableMeetsNoText) {
    const std::string header = "Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:\r\n";
    both("(MIRTAL_Bin)Files.csv",
         header + "a.dll\t10\t01.01.2020\t\tAAA\tC:\\Program Files\\TAVIR\\X\\\r\n"
                  "b.dll\t20\t01.01.2020\t1.0\tBBB\tC:\\Program Files\\TAVIR\\X\\\r\n",
         header + "xa.dll\t10\t02.02.2021\t00\tAAA\tD:\\TAVIR\\X\\\r\n"
                  "b.dll\t20\t01.01.2020\t1.0\tCCC\tD:\\TAVIR\\X\\\r\n");
    options.set(Option::AutoSort, false);
    pane.selectNode(indexOf("Список файлов [MIRTAL-3D Vxx\\Bin]"));
    pane.compareVisiblePair();
    EXPECT_EQ(firstCells(pane.table(1).model()), std::vector<std::string>{"b.dll"});
    EXPECT_EQ(firstCells(pane.table(2).model()), std::vector<std::string>{"b.dll"});
    // Without md5 the last pair matches too, and the headers alone remain.
    options.set(Option::CompareNoMd5, true);
    pane.compareVisiblePair();
    EXPECT_EQ(pane.table(1).model().rowCount(), 1);
    EXPECT_EQ(pane.table(2).model().rowCount(), 1);

    // Side 2 has no such file: its view shows the not-found line, and side 1 stays whole.
    files.deleteFile(compare + "\\(MIRTAL_Bin)Files.csv");
    pane.RefreshCurrentNode();
    pane.compareVisiblePair();
    EXPECT_EQ(firstCells(pane.table(1).model()), (std::vector<std::string>{"a.dll", "b.dll"}));

    // Side 2's current cell stays on the last row a side-1 row was tried against, counted among the rows
    // left at that moment.
    both(
        "(MIRTAL_Bin)Files.csv",
        header + "a.dll\t10\t01.01.2020\t\tAAA\tC:\\TAVIR\\X\\\r\nc.dll\t30\t01.01.2020\t\tCCC\tC:"
                 "\\TAVIR\\X\\\r\n",
        header +
            "b.dll\t20\t01.01.2020\t\tBBB\tC:\\TAVIR\\X\\\r\na.dll\t10\t01.01.2020\t\tAAA\tC:\\TAVIR\\X\\\r\n"
            "c.dll\t30\t01.01.2020\t\tDDD\tC:\\TAVIR\\X\\\r\n");
    options.set(Option::CompareNoMd5, false);
    pane.RefreshCurrentNode();
    pane.compareVisiblePair();
    ASSERT_EQ(firstCells(pane.table(2).model()), (std::vector<std::string>{"b.dll", "c.dll"}));
    EXPECT_EQ(pane.table(2).current().row, 2);
}

TEST_F(ViewerPaneCompareTest, WholeComparisonReportsDifferingTopicsFirstAndLeadsBackToThem) {
    both("software.txt", "same\r\n", "same\r\n");
    both("(REG)HKLM_TAVIR.txt", "Version=21\r\n", "Version=22\r\n");
    test::writeFileBytes(work + "\\KW_Scan!.txt", "timing\r\n");
    pane.compareAll();
    EXPECT_TRUE(pane.comparingAll());
    ASSERT_TRUE(pumpUntil([&] { return !pane.comparingAll(); }));
    ASSERT_TRUE(pane.reportShown());
    const auto& rows = pane.report().rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].state, TopicState::Different); // tree order among the differing ones
    EXPECT_EQ(rows[0].file, "(REG)HKLM_TAVIR.txt");
    EXPECT_EQ(rows[1].state, TopicState::OnlyIn1);
    EXPECT_EQ(rows[2].state, TopicState::Same);
    EXPECT_EQ(pane.reportTable().model().rowCount(), 4); // the header and the three topics
    EXPECT_FALSE(IsWindowVisible(pane.textView(1)));

    // A double click on a row opens that topic on both sides.
    pane.reportTable().setCurrent({0, 1});
    pane.reportDoubleClick();
    EXPECT_FALSE(pane.reportShown());
    EXPECT_EQ(pane.selectedNode(), rows[0].node);
    EXPECT_EQ(test::windowText(pane.textView(2)), "Version=22\r\n");

    desktop.saveAs = test::tempDir() + "report.txt";
    ASSERT_TRUE(pane.saveReport(false));
    EXPECT_EQ(test::readFileBytes(*desktop.saveAs), comparisonReportTsv(pane.report()));
}

TEST_F(ViewerPaneCompareTest, TheReportBarSwitchesTheNoiseAndSavesThePage) {
    both("KW_Scan!.txt", "COD - 00:00:01\r\n", "COD - 00:00:03\r\n");
    pane.compareAll();
    ASSERT_TRUE(pumpUntil([&] { return !pane.comparingAll(); }));
    EXPECT_EQ(pane.report().rows.at(0).state, TopicState::SameWithoutNoise);
    HWND times = GetDlgItem(pane.hwnd(), viewer_id::kReportBar),
         names = GetDlgItem(pane.hwnd(), viewer_id::kReportBar + 1);
    ASSERT_TRUE(IsWindowVisible(times));
    EXPECT_EQ(test::windowText(times), "Не учитывать время, длительности и временные пути");
    EXPECT_EQ(SendMessageW(times, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(names, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Switched off, the times count again: the comparison runs again at once.
    SendMessageW(times, BM_CLICK, 0, 0);
    EXPECT_FALSE(pane.reportNoise().timesAndPaths);
    ASSERT_TRUE(pumpUntil([&] { return !pane.comparingAll(); }));
    EXPECT_EQ(pane.report().rows.at(0).state, TopicState::Different);
    EXPECT_EQ(pane.report().rows.at(0).only2.lines, std::vector<std::string>{"COD - 00:00:03"});

    desktop.saveAs = test::tempDir() + "report.html";
    SendMessageW(GetDlgItem(pane.hwnd(), viewer_id::kReportBar + 2), BM_CLICK, 0, 0);
    EXPECT_NE(test::readFileBytes(*desktop.saveAs).find("<td>COD - 00:00:03</td>"), std::string::npos);
}

} // namespace
} // namespace kw
