// Two packages of the demo machine, the second taken after a registry value, an INI file and a program
// file changed: "KW_Scan.exe compare" names those topics, with what is left of each side, and keeps
// the untouched ones as the same or, where only the run's own noise differs, the same without it. With
// one planted change the HTML report has that one differing topic, holding the planted line.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <set>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/results/HtmlCheck.h"

namespace kw {
namespace {

const std::string kMirtalBin = "C:\\Program Files\\TAVIR\\MIRTAL-3D v21\\Bin\\";

struct ReportRow {
    std::string state;
    int left1 = 0, left2 = 0;
};

// The report's rows by file name (the first node of a file wins), and its header.
std::map<std::string, ReportRow> readReport(const std::string& path, std::string& header) {
    std::map<std::string, ReportRow> rows;
    bool first = true;
    for (const std::string& line : test::linesOf(ansiToUtf8(test::readFileBytes(path)))) {
        if (first) {
            header = line;
            first = false;
            continue;
        }
        std::vector<std::string> cells;
        size_t from = 0;
        for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            cells.push_back(line.substr(from, tab - from));
        cells.push_back(line.substr(from));
        if (cells.size() < 5)
            continue;
        rows.emplace(cells[1], ReportRow{cells[2], std::stoi(cells[3]), std::stoi(cells[4])});
    }
    return rows;
}

// Puts the demo machine back as it was, whatever the test met.
class ChangedMachine {
  public:
    ChangedMachine() {
        ini_ = test::readFileBytes(kMirtalBin + "MIRTAL.ini");
        program_ = test::readFileBytes(kMirtalBin + "MIRTAL.Exe");
        HANDLE h = CreateFileW(toWide(kMirtalBin + "MIRTAL.Exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            GetFileTime(h, nullptr, nullptr, &programTime_);
            CloseHandle(h);
        }
    }
    void change() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TAVIR\\Quadrix", 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                          &key) == ERROR_SUCCESS) {
            const wchar_t value[] = L"changed";
            RegSetValueExW(key, L"KW_Test", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
            RegCloseKey(key);
        }
        test::writeFileBytes(kMirtalBin + "MIRTAL.ini", ini_ + "KW_Test=1\r\n");
        test::writeFileBytes(kMirtalBin + "MIRTAL.Exe", program_ + "patch");
    }
    ~ChangedMachine() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TAVIR\\Quadrix", 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                          &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"KW_Test");
            RegCloseKey(key);
        }
        test::writeFileBytes(kMirtalBin + "MIRTAL.ini", ini_);
        test::writeFileBytes(kMirtalBin + "MIRTAL.Exe", program_);
        HANDLE h = CreateFileW(toWide(kMirtalBin + "MIRTAL.Exe").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            SetFileTime(h, nullptr, nullptr, &programTime_);
            CloseHandle(h);
        }
    }

  private:
    std::string ini_, program_;
    FILETIME programTime_{};
};

TEST(CompareEndToEndTest, ReportNamesTheChangedTopicsOfTwoDemoPackages) {
    copyDemoTempFiles();
    ChangedMachine machine;
    ASSERT_FALSE(test::readFileBytes(kMirtalBin + "MIRTAL.Exe").empty());
    std::string before = test::tempDir() + "before", after = test::tempDir() + "after";
    ASSERT_EQ(runToEnd("fullin \"" + before + "\""), 0u);
    machine.change();
    ASSERT_EQ(runToEnd("fullin \"" + after + "\""), 0u);
    std::string a = onlyPackageIn(before), b = onlyPackageIn(after);
    ASSERT_FALSE(a.empty() || b.empty());

    std::string report = test::tempDir() + "отчёт.txt";
    EXPECT_EQ(runToEnd("compare \"" + a + "\" \"" + b + "\" \"" + report + "\""), 1u);
    std::string header;
    auto rows = readReport(report, header);
    EXPECT_EQ(header, "Раздел\tФайл\tСостояние\tОсталось в (1)\tОсталось в (2)");
    // The new value is one more line of the export; the INI file has one more line at its end; in the
    // inventory of the program folder both the INI file and the program file are a row apart.
    ASSERT_TRUE(rows.count("(REG)Quadrix.txt"));
    EXPECT_EQ(rows["(REG)Quadrix.txt"].state, "различаются");
    EXPECT_EQ(rows["(REG)Quadrix.txt"].left1, 0);
    EXPECT_EQ(rows["(REG)Quadrix.txt"].left2, 1);
    ASSERT_TRUE(
        rows.count("(MIRTAL)mirtal.ini")); // the tree spells it so; the file names compare as Windows does
    EXPECT_EQ(rows["(MIRTAL)mirtal.ini"].state, "различаются");
    EXPECT_EQ(rows["(MIRTAL)mirtal.ini"].left1, 0);
    EXPECT_EQ(rows["(MIRTAL)mirtal.ini"].left2, 1);
    ASSERT_TRUE(rows.count("(MIRTAL_Bin)Files.csv"));
    EXPECT_EQ(rows["(MIRTAL_Bin)Files.csv"].state, "различаются");
    EXPECT_EQ(rows["(MIRTAL_Bin)Files.csv"].left1, 2);
    EXPECT_EQ(rows["(MIRTAL_Bin)Files.csv"].left2, 2);
    ASSERT_TRUE(rows.count("(REG)HKLM_TAVIR.txt"));
    EXPECT_EQ(rows["(REG)HKLM_TAVIR.txt"].left2, 1);
    // Nothing else differs: the logs, the hardware page and the other captures of the run differ only by
    // its time, durations and free memory.
    const std::set<std::string> planted = {"(REG)Quadrix.txt", "(MIRTAL)mirtal.ini", "(MIRTAL_Bin)Files.csv",
                                           "(REG)HKLM_TAVIR.txt"};
    for (const auto& [file, row] : rows)
        if (!planted.count(file))
            EXPECT_TRUE(row.state == "совпадают" || row.state == "совпадают без учёта шума")
                << file << ": " << row.state;
    EXPECT_EQ(rows["KW_Scan!.txt"].state, "совпадают без учёта шума");
    // The page shows the lines themselves.
    std::string page = test::tempDir() + "отчёт.html";
    EXPECT_EQ(runToEnd("compare \"" + a + "\" \"" + b + "\" \"" + page + "\""), 1u);
    test::HtmlCheck html = test::checkHtml(test::readFileBytes(page));
    ASSERT_TRUE(html.wellFormed) << html.error;
    EXPECT_NE(html.text.find("\nKW_Test=1\n"), std::string::npos);
    EXPECT_NE(html.text.find("\"KW_Test\"=\"changed\""), std::string::npos);
    EXPECT_NE(html.text.find("\nMIRTAL.Exe\n"), std::string::npos);
    // What was not touched stays the same.
    for (const char* same : {"(MIRTAL_sys)Files.csv", "(Quadrix)Configuration.xml", "(REG)Morvantide.txt",
                             "(MIRTAL_Home_Bin)Files.csv"}) {
        ASSERT_TRUE(rows.count(same)) << same;
        EXPECT_EQ(rows[same].state, "совпадают") << same;
        EXPECT_EQ(rows[same].left1 + rows[same].left2, 0) << same;
    }

    // A package against itself differs nowhere; a file that is no package is trouble.
    EXPECT_EQ(runToEnd("compare \"" + a + "\" \"" + a + "\" \"" + report + "\""), 0u);
    for (const auto& [file, row] : readReport(report, header))
        EXPECT_EQ(row.state, "совпадают") << file;
    test::writeFileBytes(test::tempDir() + "notes.txt", "no package");
    EXPECT_EQ(runToEnd("compare \"" + a + "\" \"" + test::tempDir() + "notes.txt\" \"" + report + "\""), 2u);
    EXPECT_EQ(runToEnd("compare \"" + a + "\""), 2u);
}

// The user's own settings file of the calculation module: captured, and in no inventory or registry export.
class ChangedSettings {
  public:
    ChangedSettings() {
        wchar_t path[MAX_PATH] = {};
        ExpandEnvironmentStringsW(L"%APPDATA%\\TAVIR\\Wrokan\\WrokanConf.ini", path, MAX_PATH);
        path_ = toUtf8(path);
        original_ = test::readFileBytes(path_);
    }
    void change() { test::writeFileBytes(path_, original_ + "KW_Test=1\r\n"); }
    ~ChangedSettings() { test::writeFileBytes(path_, original_); }
    bool found() const { return !original_.empty(); }

  private:
    std::string path_, original_;
};

TEST(CompareEndToEndTest, OnePlantedChangeIsTheOneDifferingTopicOfTheHtmlReport) {
    copyDemoTempFiles();
    ChangedSettings settings;
    ASSERT_TRUE(settings.found());
    std::string before = test::tempDir() + "before", after = test::tempDir() + "after";
    ASSERT_EQ(runToEnd("fullin \"" + before + "\""), 0u);
    settings.change();
    ASSERT_EQ(runToEnd("fullin \"" + after + "\""), 0u);
    std::string a = onlyPackageIn(before), b = onlyPackageIn(after);
    ASSERT_FALSE(a.empty() || b.empty());

    std::string report = test::tempDir() + "report.html";
    EXPECT_EQ(runToEnd("compare \"" + a + "\" \"" + b + "\" \"" + report + "\""), 1u);
    std::string page = test::readFileBytes(report);
    test::HtmlCheck html = test::checkHtml(page);
    ASSERT_TRUE(html.wellFormed) << html.error;
    // The differing rows of the summary, by their file cell.
    std::vector<std::string> differing;
    for (size_t at = page.find("<tr class=\"differs\">"); at != std::string::npos;
         at = page.find("<tr class=\"differs\">", at + 1)) {
        size_t file = page.find("</td><td>", at) + 9;
        differing.push_back(page.substr(file, page.find("</td>", file) - file));
    }
    EXPECT_EQ(differing, std::vector<std::string>{"(Wrokan)WrokanConf.ini"});
    EXPECT_NE(html.text.find("(Wrokan)WrokanConf.ini — различаются"), std::string::npos);
    EXPECT_NE(html.text.find("Только в (1): 0"), std::string::npos);
    EXPECT_NE(html.text.find("Только в (2): 1"), std::string::npos);
    EXPECT_NE(html.text.find("\nKW_Test=1\n"), std::string::npos);
    EXPECT_NE(html.text.find("совпадают без учёта шума"), std::string::npos);

    // With the times kept, the logs differ too.
    EXPECT_EQ(runToEnd("compare /keep-times \"" + a + "\" \"" + a + "\" \"" + report + "\""), 0u);
    EXPECT_EQ(runToEnd("compare /keep-times \"" + a + "\" \"" + b + "\" \"" + report + "\""), 1u);
    EXPECT_NE(test::checkHtml(test::readFileBytes(report)).text.find("KW_Scan!.txt — различаются"),
              std::string::npos);
}

} // namespace
} // namespace kw
