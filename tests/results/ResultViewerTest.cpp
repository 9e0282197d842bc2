// The loaders behind a tree selection, on real folders and recorded views: which file each side
// shows, and how.
#include "results/ResultViewer.h"

#include <gtest/gtest.h>

#include "platform/Text.h"
#include "results/HeldFiles.h"
#include "tests/TempFolder.h"

namespace kw {
namespace {

struct RecordedSide final : SideViews {
    bool text = true, tableShown = false, rich = false, wrap = false;
    std::wstring plain;
    std::string rtf;
    TableModel model;
    int fitted = 0;
    void showText(bool v) override { text = v; }
    void showTable(bool v) override { tableShown = v; }
    void setPlainText(const std::wstring& t) override {
        plain = t;
        rich = false;
    }
    void setRichText(const std::string& r) override {
        rtf = r;
        rich = true;
    }
    void setWordWrap(bool on) override { wrap = on; }
    TableModel& table() override { return model; }
    void tableChanged() override {}
    void autoFitTable() override { ++fitted; }
};

class ResultViewerTest : public testing::Test {
  protected:
    void SetUp() override {
        files.createFolder(work);
        files.createFolder(compare);
    }
    void put(const std::string& folder, const std::string& name, const std::string& bytes) {
        test::writeFileBytes(folder + "\\" + name, bytes);
    }
    void select(const char* text) {
        const ResultNode* n = findAssociation(text);
        ASSERT_NE(n, nullptr) << text;
        viewer.TreeView1Change(n);
    }
    FileSystem& files = windowsFileSystem();
    OptionSet options;
    RecordedSide side1, side2;
    std::string work = test::tempDir() + "KW_Temp", compare = test::tempDir() + "KW_Temp2";
    ResultViewer viewer{files, options, side1, side2, work, compare};
};

TEST_F(ResultViewerTest, BothMHomeNodesOpenTheirOwnFiles) {
    put(work, "(MIRTAL)mHome.ini", "[MCAD]");
    put(work, "(MIRTAL_Home)mHome.ini", "[Home]");
    select("mHome.ini ");
    EXPECT_EQ(side1.plain, L"[MCAD]");
    select("mHome.ini");
    EXPECT_EQ(side1.plain, L"[Home]");
    EXPECT_TRUE(side1.text);
    EXPECT_FALSE(side1.tableShown);
}

TEST_F(ResultViewerTest, CategoriesShowTheHintOnBothSides) {
    side1.tableShown = side2.tableShown = true;
    for (const ResultNode& n : resultTree()) {
        if (n.text != "Журналы")
            continue;
        side1.plain = side2.plain = L"";
        viewer.TreeView1Change(&n);
        EXPECT_EQ(side1.plain, L"Выберите подкатегорию");
        EXPECT_EQ(side2.plain, L"Выберите подкатегорию");
        EXPECT_FALSE(side1.tableShown);
        EXPECT_FALSE(side2.tableShown);
    }
}

TEST_F(ResultViewerTest, EachSideReportsItsOwnMissingFile) {
    put(compare, "software.txt", "Windows 7");
    select("Параметры программного обеспечения");
    EXPECT_EQ(side1.plain, L"Файл: software.txt не найден");
    EXPECT_EQ(side2.plain, L"Windows 7");
    select("Установленные программы");
    EXPECT_EQ(side1.plain, L"Файл: programs.csv не найден");
    EXPECT_TRUE(side1.text);
    EXPECT_FALSE(side1.tableShown);
}

TEST_F(ResultViewerTest, TextFilesKeepTheirEncodingAndRichTextItsFormatting) {
    put(work, "software.txt", utf8ToAnsi("Версия: 6.1"));
    put(work, "(REG)BIOS.txt",
        std::string("\xFF\xFEW\0i\0n\0\x04\x04", 10)); // UTF-16 as reg export writes it
    put(work, "KW_Scan!.rtf", "{\\rtf1\\ansi x}");
    select("Параметры программного обеспечения");
    EXPECT_EQ(side1.plain, L"Версия: 6.1");
    EXPECT_TRUE(side1.wrap); // "Перенос по словам" is on by default
    select("BIOS");
    EXPECT_EQ(side1.plain, L"Win\x0404");
    select("KW_Scan!");
    EXPECT_TRUE(side1.rich);
    EXPECT_EQ(side1.rtf, "{\\rtf1\\ansi x}");
    options.set(Option::WordWrap, false);
    select("BIOS");
    EXPECT_FALSE(side1.wrap);
    EXPECT_FALSE(side2.wrap);
}

// A file too large to hold shows its beginning and how much that is, a table its first rows.
TEST_F(ResultViewerTest, FilesTooLargeToHoldShowTheirBeginning) {
    std::string line = utf8ToAnsi("строка") + "\r\n";
    std::string text;
    while (text.size() <= static_cast<size_t>(kHeldTextBytes))
        text += line;
    put(work, "software.txt", text);
    select("Параметры программного обеспечения");
    EXPECT_EQ(side1.plain.substr(0, 8), L"строка\r\n");
    EXPECT_NE(side1.plain.rfind(L"показано начало, 64 МБ из 65 МБ]"), std::wstring::npos);
    text.clear();
}

TEST_F(ResultViewerTest, TheOemToggleConvertsConsoleFilesOnly) {
    const std::string oem = "\x8F\xE0\xA8\xA2\xA5\xE2"; // "Привет" in code page 866
    put(work, "(cmd)ipconfig_all.txt", oem);
    put(work, "software.txt", oem);
    select("IPconfig /all - полная конфигурация TCP/IP для всех адаптеров");
    EXPECT_EQ(side1.plain, L"Привет");
    viewer.setConsoleConversion(false);
    select("IPconfig /all - полная конфигурация TCP/IP для всех адаптеров");
    EXPECT_EQ(side1.plain, toWide(ansiToUtf8(oem))); // raw: read in the ANSI code page
    select("Параметры программного обеспечения");
    std::wstring raw = side1.plain;
    viewer.setConsoleConversion(true);
    select("Параметры программного обеспечения");
    EXPECT_EQ(side1.plain, raw);

    // An empty console file leaves the view empty.
    put(work, "(cmd)set.txt", "");
    side1.plain = L"old";
    select("Set - список установленных переменных среды и их значений");
    EXPECT_EQ(side1.plain, L"");
}

TEST_F(ResultViewerTest, TablesLoadOnEachSideThenFitAndSort) {
    put(work, "programs.csv", utf8ToAnsi("Имя\tВерсия\r\nzeta\t1\r\nAlpha\t\r\n"));
    put(compare, "programs.csv", "Name\r\n");
    select("Установленные программы");
    EXPECT_TRUE(side1.tableShown);
    EXPECT_FALSE(side1.text);
    EXPECT_EQ(side1.plain, L"Открываем таблицу");
    ASSERT_EQ(side1.model.rowCount(), 3);
    EXPECT_EQ(side1.model.cell(0, 1), L"Alpha"); // "Автосортировка" is on
    EXPECT_EQ(side1.model.cell(1, 1), L"");      // a trailing tab adds no cell
    EXPECT_EQ(side1.fitted, 1);
    EXPECT_EQ(side2.model.rowCount(), 2);
    EXPECT_EQ(side2.model.cell(0, 0), L"Name");

    // An empty table file: no table, and nothing left of the node shown before.
    put(work, "programs64.csv", "");
    select("(x64) Установленные программы");
    EXPECT_FALSE(side1.tableShown);
    EXPECT_TRUE(side1.text);
    EXPECT_EQ(side1.plain, L"");
    EXPECT_EQ(side2.plain, L"Файл: programs64.csv не найден");
}

TEST_F(ResultViewerTest, FindingsKeepTheirOrderAndSayWhenThereAreNone) {
    const std::string header = utf8ToAnsi("Код:\tВажность:\tПроблема:\tЧто сделать:\tИсточник:\r\n");
    put(work, "KW_Findings.csv", header + "S04\tx\tp\tt\ts\r\nC02\tx\tp\tt\ts\r\n");
    put(compare, "KW_Findings.csv", header);
    select("Найденные проблемы");
    ASSERT_TRUE(side1.tableShown);
    EXPECT_EQ(side1.model.cell(0, 1), L"S04"); // the most important first, not sorted by code
    EXPECT_FALSE(side2.tableShown);
    EXPECT_EQ(side2.plain, L"Найденные проблемы: проблем не найдено.");
}

} // namespace
} // namespace kw
