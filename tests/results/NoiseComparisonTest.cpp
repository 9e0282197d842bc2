// The noise of the whole-result comparison on lines taken from two runs of the demo machine a minute
// apart, the leftovers a report shows, and the HTML page.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/ComparisonHtml.h"
#include "results/FolderComparison.h"
#include "results/NoiseRules.h"
#include "tests/TempFolder.h"
#include "tests/results/HtmlCheck.h"

namespace kw {
namespace {

constexpr const char* kInventoryHeader = "Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:";

std::string ansiLines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines)
        (text += l) += "\r\n";
    return utf8ToAnsi(text);
}

// What masking leaves of one line of a file.
std::string maskedLine(const NoiseOptions& o, const std::string& file, const std::string& line,
                       ResultNames names = {}) {
    std::wstring wide = toWide(line);
    std::wstring_view view = wide;
    auto out = NoiseMask(o, std::move(names)).masked(file, std::span(&view, 1));
    return out ? toUtf8(out->front()) : line;
}

TEST(NoiseRulesTest, TheTableReadsWholeAndMasksWhatTwoRunsOfOneComputerDifferIn) {
    EXPECT_TRUE(brokenNoiseRules().empty()) << brokenNoiseRules().front();
    EXPECT_GE(noiseRules().size(), 15u);
    EXPECT_TRUE(fileNameMatches("KW_Scan!.*", "kw_scan!.RTF"));
    EXPECT_TRUE(fileNameMatches("(cmd)Net_Statistics_*.txt", "(cmd)Net_Statistics_Server.txt"));
    EXPECT_FALSE(fileNameMatches("(cmd)set.txt", "(cmd)set.txt.bak"));

    // Lines of two runs a minute apart (and, for tasklist and netstat, of a Windows that lists processes).
    struct Pair {
        const char* file;
        const char* run1;
        const char* run2;
    };
    const Pair noise[] = {
        {"KW_Scan!.txt", "Информация о системе - 00:00:13", "Информация о системе - 0:00:15"},
        {"KW_Scan!.txt",
         "********************* Начало сбора информации 09.12.2026 - 18:49:30 | Тип: \"Полный \"  *****",
         "********************* Начало сбора информации 10.12.2026 - 9:50:48 | Тип: \"Полный \"  *****"},
        {"KW_Scan!.txt",
         "********************* Сбор информации завершен 09.12.2026 - 18:50:05 |  Выполнен за: (18:50:05 - "
         "18:49:30) = 00:00:34 *********************",
         "********************* Сбор информации завершен 09.12.2026 - 18:51:25 |  Выполнен за: (18:51:25 - "
         "18:50:48) = 00:00:37 *********************"},
        {"KW_Scan!.rtf", "Загружена информация из файла \"D:\\VM_09122026_185006.cab\" - [18:52:01]",
         "Загружена информация из файла \"D:\\VM_09122026_185127.cab\" - [18:53:11]"},
        {"KW_Scan!.rtf", "[C:\\users\\root\\Temp\\\\KW_Temp\\MSSQLServer.txt] ---> \"(REG)MSSQLServer.txt\"",
         "[C:\\Users\\ivan\\AppData\\Local\\Temp\\\\KW_Temp\\MSSQLServer.txt] ---> \"(REG)MSSQLServer.txt\""},
        {"hardware.txt", "21031 Мб -- Доступно физической памяти (в байтах): 22051594240",
         "21213 Мб -- Доступно физической памяти (в байтах): 22241898496"},
        {"hardware.txt", "    C:\\ Fixed\t - DiskSize: 252 Gb\t - DiskFree: 70 Gb [NTFS]",
         "    C:\\ Fixed\t - DiskSize: 252 Gb\t - DiskFree: 69 Gb [NTFS]"},
        {"DxDiag.txt", "Time of this report: 12/9/2026, 18:49:44",
         "Time of this report: 12/9/2026, 18:51:04"},
        {"DxDiag.txt", "          Page File: 3117MB used, 20987MB available",
         "          Page File: 2969MB used, 21135MB available"},
        {"(cmd)set.txt", "XAUTHORITY=/tmp/xvfb-run.h5VnAA/Xauthority",
         "XAUTHORITY=/tmp/xvfb-run.U7UpoA/Xauthority"},
        {"(cmd)tasklist.txt", "svchost.exe                    788 Services                   0    12 345 КБ",
         "svchost.exe                   1904 Services                   0     9 876 КБ"},
        {"(cmd)netstat.txt", "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       788",
         "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       1904"},
        {"(cmd)systeminfo.txt", "Доступная физическая память:       1 234 МБ",
         "Доступная физическая память:       2 345 МБ"},
    };
    const NoiseOptions on{.timesAndPaths = true}, off{.timesAndPaths = false};
    for (const Pair& p : noise) {
        EXPECT_EQ(maskedLine(on, p.file, p.run1), maskedLine(on, p.file, p.run2)) << p.file << ": " << p.run1;
        EXPECT_NE(maskedLine(off, p.file, p.run1), maskedLine(off, p.file, p.run2)) << p.file;
    }
    // What a file says about the computer stays: file dates in the event log, times inside captures,
    // other figures of the hardware page, the temporary folder's own files.
    for (auto [file, line] : std::initializer_list<std::pair<const char*, const char*>>{
             {"KW_Scan!.rtf",
              "C:\\Program Files\\TAVIR\\Handbrix\\TechReference.exe\t - 77 байт  -  \t01.02.2024 "
              "08:30:00\t - версия: 00"},
             {"(Peltrand)Monitoring.log", "2024-03-15 09:14:06 Монитор запущен - 00:00:13"},
             {"hardware.txt", "24106 Мб -- Всего физической памяти (в байтах): 25276121088"},
             {"(Tessarin)_Log.csv", "a.csv\t120\t15.03.2024 12:30:00\t00\t \tC:\\TAVIR\\Logs\\"}})
        EXPECT_EQ(maskedLine(on, file, line), line) << file;
    EXPECT_EQ(
        maskedLine(on, "KW_Scan!.rtf", "[C:\\users\\root\\Temp\\LogApp.log] ---> \"(Tessarin)LogApp.log\""),
        "[‹временный каталог›\\LogApp.log] ---> \"(Tessarin)LogApp.log\"");
    // A line far longer than any noise (a dump read as text) stays whole; the patterns would recurse
    // past the stack on it.
    const std::string longLine = "a " + std::string(200000, '7') + " Services 0 1 КБ";
    EXPECT_EQ(maskedLine(on, "(cmd)tasklist.txt", longLine), longLine);

    // Names: each result's own, as whole words, and only when asked.
    ResultNames names;
    std::wstring software = toWide("Windows:\r\nИмя компьютера: VM-Ivanov\r\nИмя пользователя: root\r\n");
    collectNames("software.txt", splitLines(software), names);
    ASSERT_EQ(names.computer, std::vector<std::wstring>{L"VM-Ivanov"});
    ASSERT_EQ(names.user, std::vector<std::wstring>{L"root"});
    const NoiseOptions withNames{.timesAndPaths = false, .hostAndUser = true};
    EXPECT_EQ(maskedLine(withNames, "Paths.txt", "    Desktop = C:\\users\\ROOT\\Desktop", names),
              "    Desktop = C:\\users\\‹пользователь›\\Desktop");
    EXPECT_EQ(maskedLine(withNames, "(REG)Network.txt", "\"Server\"=\"\\\\vm-ivanov\\rootfs\"", names),
              "\"Server\"=\"\\\\‹компьютер›\\rootfs\"");
    EXPECT_EQ(maskedLine(on, "Paths.txt", "    Desktop = C:\\users\\root\\Desktop", names),
              "    Desktop = C:\\users\\root\\Desktop");
}

class TwoResults {
  public:
    explicit TwoResults(const std::string& name)
        : folder1_(test::tempDir() + name + "1"), folder2_(test::tempDir() + name + "2") {
        files_.createFolder(folder1_);
        files_.createFolder(folder2_);
    }
    void put(int side, const std::string& file, const std::string& bytes) {
        test::writeFileBytes((side == 1 ? folder1_ : folder2_) + "\\" + file, bytes);
    }
    void putBoth(const std::string& file, const std::string& bytes) {
        put(1, file, bytes);
        put(2, file, bytes);
    }
    FolderComparison compare(const NoiseOptions& noise = {}) {
        return compareFolders(files_, folder1_, folder2_, {}, {}, noise);
    }

  private:
    FileSystem& files_ = windowsFileSystem();
    std::string folder1_, folder2_;
};

const TopicComparison& rowOf(const FolderComparison& c, std::string_view file) {
    for (const TopicComparison& r : c.rows)
        if (r.file == file)
            return r;
    throw std::runtime_error("no row for " + std::string(file));
}

// Two runs of one computer; the second after one line of an INI capture and one inventory row changed.
void writeTwoRuns(TwoResults& r) {
    r.put(
        1, "KW_Scan!.txt",
        ansiLines({"********************* Начало сбора информации 09.12.2026 - 18:49:30 | Тип: \"Полный \"  "
                   "*********************",
                   "Информация о системе - 00:00:13", "COD - 00:00:01",
                   "********************* Сбор информации завершен 09.12.2026 - 18:50:05 |  Выполнен за: "
                   "(18:50:05 - 18:49:30) = 00:00:34 *********************"}));
    r.put(
        2, "KW_Scan!.txt",
        ansiLines({"********************* Начало сбора информации 09.12.2026 - 18:50:48 | Тип: \"Полный \"  "
                   "*********************",
                   "Информация о системе - 00:00:15", "COD - 00:00:01",
                   "********************* Сбор информации завершен 09.12.2026 - 18:51:25 |  Выполнен за: "
                   "(18:51:25 - 18:50:48) = 00:00:37 *********************"}));
    r.put(1, "hardware.txt",
          ansiLines({"Память:", "21031 Мб -- Доступно физической памяти (в байтах): 22051594240",
                     "Память загружена на 12%"}));
    r.put(2, "hardware.txt",
          ansiLines({"Память:", "21213 Мб -- Доступно физической памяти (в байтах): 22241898496",
                     "Память загружена на 11%"}));
    r.putBoth("software.txt", ansiLines({"Имя компьютера: VM", "Имя пользователя: root"}));
    r.put(1, "(MIRTAL)mirtal.ini", ansiLines({"[Main]", "Lang=RU", "Start=09:14:06"}));
    r.put(2, "(MIRTAL)mirtal.ini", ansiLines({"[Main]", "Lang=EN", "Start=09:14:06"}));
    r.put(1, "(MIRTAL_Bin)Files.csv",
          ansiLines({kInventoryHeader, "MIRTAL.Exe\t77\t20.02.2024 16:05:00\t00\taa11\tC:\\TAVIR\\Bin\\",
                     "MIRTAL.ini\t30\t15.03.2024 12:30:00\t00\tbb22\tC:\\TAVIR\\Bin\\"}));
    r.put(2, "(MIRTAL_Bin)Files.csv",
          ansiLines({kInventoryHeader, "MIRTAL.Exe\t77\t20.02.2024 16:05:00\t00\taa11\tC:\\TAVIR\\Bin\\",
                     "MIRTAL.ini\t30\t09.12.2026 18:50:40\t00\tcc33\tC:\\TAVIR\\Bin\\"}));
}

TEST(FolderNoiseTest, RunsAMinuteApartAgreeWithoutNoiseAndPlantedChangesShowLineByLine) {
    TwoResults r("runs");
    writeTwoRuns(r);
    FolderComparison c = r.compare();
    EXPECT_EQ(rowOf(c, "KW_Scan!.txt").state, TopicState::SameWithoutNoise);
    EXPECT_EQ(rowOf(c, "hardware.txt").state, TopicState::SameWithoutNoise);
    EXPECT_EQ(rowOf(c, "software.txt").state, TopicState::Same);
    EXPECT_EQ(c.result1.computer, "VM");
    EXPECT_EQ(c.result2.collected, "09.12.2026 18:50:48");

    const TopicComparison& ini = rowOf(c, "(MIRTAL)mirtal.ini");
    EXPECT_EQ(ini.state, TopicState::Different);
    EXPECT_FALSE(ini.table);
    EXPECT_EQ(ini.only1.lines, std::vector<std::string>{"Lang=RU"});
    EXPECT_EQ(ini.only2.lines, std::vector<std::string>{"Lang=EN"});
    const TopicComparison& inventory = rowOf(c, "(MIRTAL_Bin)Files.csv");
    EXPECT_EQ(inventory.state, TopicState::Different);
    EXPECT_TRUE(inventory.table);
    EXPECT_EQ(inventory.header, kInventoryHeader);
    EXPECT_EQ(inventory.only2.lines,
              std::vector<std::string>{"MIRTAL.ini\t30\t09.12.2026 18:50:40\t00\tcc33\tC:\\TAVIR\\Bin\\"});
    // The differing topics come first.
    EXPECT_TRUE(differs(c.rows[0].state) && differs(c.rows[1].state));
    EXPECT_FALSE(differs(c.rows[2].state));

    // Times kept: the logs and the hardware page differ, line by line as the files hold them.
    FolderComparison kept = r.compare({.timesAndPaths = false});
    const TopicComparison& log = rowOf(kept, "KW_Scan!.txt");
    EXPECT_EQ(log.state, TopicState::Different);
    EXPECT_EQ(log.left1, 3u);
    EXPECT_EQ(log.only1.lines.front().substr(0, 21), "*********************");
    EXPECT_EQ(rowOf(kept, "hardware.txt").state, TopicState::Different);
}

TEST(FolderNoiseTest, AnotherComputerAndUserAgreeOnlyWhenTheirNamesAreLeftOut) {
    TwoResults r("names");
    r.put(1, "software.txt", ansiLines({"Имя компьютера: VM", "Имя пользователя: root"}));
    r.put(2, "software.txt", ansiLines({"Имя компьютера: PC-2", "Имя пользователя: ivan"}));
    r.put(1, "Paths.txt", ansiLines({"    Desktop = C:\\users\\root\\Desktop"}));
    r.put(2, "Paths.txt", ansiLines({"    Desktop = C:\\users\\Ivan\\Desktop"}));
    EXPECT_EQ(rowOf(r.compare(), "Paths.txt").state, TopicState::Different);
    FolderComparison c = r.compare({.timesAndPaths = true, .hostAndUser = true});
    EXPECT_EQ(rowOf(c, "Paths.txt").state, TopicState::SameWithoutNoise);
    EXPECT_EQ(rowOf(c, "software.txt").state, TopicState::SameWithoutNoise);
}

// Each result's own temporary folder, named by its event log, is noise whatever the folder is called;
// a drive's root is not taken for one.
TEST(FolderNoiseTest, EachSidesOwnTemporaryFolderIsNoiseWhateverItsName) {
    TwoResults r("temp");
    r.put(1, "KW_Scan!.rtf",
          utf8ToAnsi("{\\rtf1\\ansi \\par создан временный каталог: C:\\\\TMP\\\\KW_Temp\\par "
                     "[C:\\\\TMP\\\\KW_Temp\\\\a.txt]\\par}"));
    r.put(2, "KW_Scan!.rtf",
          utf8ToAnsi("{\\rtf1\\ansi \\par создан временный каталог: D:\\\\Scratch\\\\KW_Temp\\par "
                     "[D:\\\\Scratch\\\\KW_Temp\\\\a.txt]\\par}"));
    r.put(1, "(cmd)set.txt", ansiLines({"TEMP=C:\\TMP", "TMP=C:\\TMP", "OS=Windows_NT"}));
    r.put(2, "(cmd)set.txt", ansiLines({"TEMP=D:\\Scratch", "TMP=D:\\Scratch", "OS=Windows_NT"}));
    FolderComparison c = r.compare();
    EXPECT_EQ(rowOf(c, "(cmd)set.txt").state, TopicState::SameWithoutNoise);
    EXPECT_EQ(rowOf(c, "KW_Scan!.rtf").state, TopicState::SameWithoutNoise);
    EXPECT_EQ(rowOf(r.compare({.timesAndPaths = false}), "(cmd)set.txt").state, TopicState::Different);

    ResultNames root;
    std::wstring line = L"создан временный каталог: C:\\KW_Temp";
    std::wstring_view view = line;
    collectNames("KW_Scan!.rtf", std::span(&view, 1), root);
    EXPECT_TRUE(root.temporary.empty());
}

TEST(ComparisonHtmlTest, ThePageIsWellFormedAndShowsTheDifferingLinesOnly) {
    TwoResults r("html");
    writeTwoRuns(r);
    // Markup and control characters in a capture stay text.
    r.put(1, "(Quadrix)Configuration.xml", "<server name=\"a&b\">\x01</server>\r\n");
    r.put(2, "(Quadrix)Configuration.xml", "<server name='c'/>\r\n");
    FolderComparison c = r.compare();
    std::string page = comparisonReportHtml(c, "C:\\VM_09122026_185006.cab", "<второй>.cab");
    test::HtmlCheck check = test::checkHtml(page);
    ASSERT_TRUE(check.wellFormed) << check.error;
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("http"), std::string::npos); // nothing fetched from elsewhere
    for (const char* shown : {"C:\\VM_09122026_185006.cab", "<второй>.cab", "\nVM\n", "09.12.2026 18:49:30",
                              "\nLang=RU\n", "\nLang=EN\n", "\n09.12.2026 18:50:40\n", "\ncc33\n",
                              "<server name=\"a&b\">\xEF\xBF\xBD</server>", "совпадают без учёта шума",
                              "Только в (1): 1", "Не учитывать время, длительности и временные пути: да"})
        EXPECT_NE(check.text.find(shown), std::string::npos) << shown;
    // Only differing topics have a section: the noise of the logs is in the summary, not in a section.
    EXPECT_EQ(check.text.find("Выполнен за"), std::string::npos);
    EXPECT_EQ(page.find("<h2 id=\"topic3\""), std::string::npos);

    // Two identical results: every topic the same, no section, exit code 0.
    TwoResults same("same");
    same.putBoth("software.txt", ansiLines({"Имя компьютера: VM"}));
    same.putBoth("(MIRTAL)mirtal.ini", ansiLines({"[Main]"}));
    FolderComparison none = same.compare();
    test::HtmlCheck quiet = test::checkHtml(comparisonReportHtml(none, "a.cab", "a.cab"));
    ASSERT_TRUE(quiet.wellFormed) << quiet.error;
    EXPECT_NE(quiet.text.find("Разделов: 2, различаются: 0, совпадают без учёта шума: 0, совпадают: 2."),
              std::string::npos);
    EXPECT_EQ(quiet.text.find("Только в"), std::string::npos);
}

TEST(ComparisonHtmlTest, EachSideShowsItsFirst500LeftoversAndCountsTheRest) {
    TwoResults r("limit");
    std::string a = utf8ToAnsi(std::string(kInventoryHeader) + "\r\n"), b = a, text1;
    for (int i = 0; i < 620; ++i) {
        a += "a" + std::to_string(i) + ".dll\t1\t \t00\tx\tC:\\TAVIR\\\r\n";
        text1 += "line " + std::to_string(i) + "\r\n";
    }
    for (int i = 0; i < 3; ++i)
        b += "b" + std::to_string(i) + ".dll\t1\t \t00\ty\tC:\\TAVIR\\\r\n";
    r.put(1, "(COD)Files.csv", a);
    r.put(2, "(COD)Files.csv", b);
    r.put(1, "PCrypt.ini", text1); // only in (1): every line is its leftover
    FolderComparison c = r.compare();
    const TopicComparison& table = rowOf(c, "(COD)Files.csv");
    EXPECT_EQ(table.left1, 620u);
    ASSERT_EQ(table.only1.lines.size(), kLeftoversShown);
    EXPECT_EQ(table.only1.more, 120u);
    EXPECT_EQ(table.only1.lines.back(), "a499.dll\t1\t \t00\tx\tC:\\TAVIR\\");
    EXPECT_EQ(table.only2.lines.size(), 3u);
    EXPECT_EQ(table.only2.more, 0u);
    const TopicComparison& lonely = rowOf(c, "PCrypt.ini");
    EXPECT_EQ(lonely.state, TopicState::OnlyIn1);
    EXPECT_EQ(lonely.only1.lines.size(), kLeftoversShown);
    EXPECT_EQ(lonely.only1.more, 120u);

    test::HtmlCheck check = test::checkHtml(comparisonReportHtml(c, "", ""));
    ASSERT_TRUE(check.wellFormed) << check.error;
    EXPECT_NE(check.text.find("\na499.dll\n"), std::string::npos);
    EXPECT_EQ(check.text.find("\na500.dll\n"), std::string::npos);
    EXPECT_NE(check.text.find("Не показано ещё: 120"), std::string::npos);
}

} // namespace
} // namespace kw
