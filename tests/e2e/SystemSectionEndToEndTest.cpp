// A full run of KW_Scan.exe on the demo machine, in the prefix the test is given: what the system step
// leaves in the work folder, read from the files themselves.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <regex>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"
#include "system/ConsoleCatalogue.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"

namespace kw {
namespace {

std::string work(const std::string& name) {
    return test::tempDir() + "KW_Temp\\" + name;
}

std::vector<std::string> fileLines(const std::string& name) {
    std::string text = ansiToUtf8(test::readFileBytes(work(name)));
    std::vector<std::string> lines = splitLines(text);
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What follows a line, or nothing when the line is missing.
std::vector<std::string> after(const std::vector<std::string>& lines, const std::string& line, size_t count) {
    auto at = std::find(lines.begin(), lines.end(), line);
    if (at == lines.end())
        return {};
    ++at;
    return {at, at + static_cast<std::ptrdiff_t>(std::min<size_t>(count, lines.end() - at))};
}

// The checks of one run, grouped by file; the run itself is the expensive part.
void checkSoftware();
void checkProgramTables();
void checkHardwareAndFolders();
void checkConsoleFiles();

TEST(SystemSectionEndToEnd, FullRunDescribesTheDemoMachine) {
    Child c = startFullRunKeepingResults();
    ASSERT_TRUE(c.process) << programPath();
    ASSERT_TRUE(waitFor([&] { return test::fileExists(work("KW_scan.ini")); }, 360000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the end-of-run block finishes
    {
        SCOPED_TRACE("software.txt");
        checkSoftware();
    }
    {
        SCOPED_TRACE("programs");
        checkProgramTables();
    }
    {
        SCOPED_TRACE("hardware.txt");
        checkHardwareAndFolders();
    }
    {
        SCOPED_TRACE("console");
        checkConsoleFiles();
    }
    std::cout << ansiToUtf8(test::readFileBytes(work("KW_Scan!.txt"))); // durations, for the record
    HWND w = mainWindowOf(c.id);
    ASSERT_NE(w, nullptr);
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

void checkSoftware() {
    std::vector<std::string> s = fileLines("software.txt");
    ASSERT_FALSE(s.empty());
    ASSERT_EQ(after(s, "Windows:", 3).size(), 3u);
    EXPECT_EQ(after(s, "Windows:", 3)[2], sixtyFourBitWindows() ? "64-разрядная операционная система."
                                                                : "32-разрядная операционная система.");
    EXPECT_TRUE(has(s, "[+] Использование DCOM на этом компьютере разрешено"));
    EXPECT_TRUE(has(s, "Default Authentication Level (Уровень проверки подлинности по умолчанию): Connect "
                       "(Подключиться) [2]"));
    EXPECT_TRUE(has(s, "Default Impersonation Level  (Уровень олицетворения по умолчанию):_______ Identify "
                       "(Определить)[не найден]"));
    EXPECT_TRUE(has(s, "[+] Windows Firewall Включен (1)"));
    EXPECT_EQ(
        after(s, "[+] включен", 1),
        std::vector<std::string>{"    [2] уровень: По умолчанию - уведомлять только при попытках программ "
                                 "внести изменения в компьютер"});
    EXPECT_TRUE(has(s, "DEP: \"Включить DEP только для основных программ и служб Windows\" (14012)"));
    EXPECT_EQ(after(s, "Программы внесенные в исключения DEP: ", 1),
              std::vector<std::string>{
                  "    \"C:\\\\Program Files\\\\TAVIR\\\\Old\\\\legacy.exe\"=\"DisableNXShowUI\""});
    EXPECT_TRUE(has(s, "SQL Server: 03.50"));
    EXPECT_TRUE(has(s, "PatchLevel: 10.50.1600.1"));
    EXPECT_EQ(after(s, "Protocol SQL: ", 3), (std::vector<std::string>{"sm", "tcp", "np"}));
    EXPECT_EQ(after(s, "Instances SQL: ", 1), std::vector<std::string>{"MSSQLSERVER"});
    EXPECT_EQ(after(s, "Aliases SQL: ", 1),
              std::vector<std::string>{"    \"TAVIRSQL\"=\"DBMSSOCN,sqlsrv01,1433\""});
}

void checkProgramTables() {
    std::vector<std::string> programs = fileLines("programs.csv");
    ASSERT_FALSE(programs.empty());
    EXPECT_EQ(programs[0], "Имя\tИздатель\tУстановлено\tВерсия\tИсточник\tРасположение");
    // The nameless registration gives no row.
    EXPECT_FALSE(std::any_of(programs.begin(), programs.end(), [](const std::string& r) {
        return r.find("\t20240315") != std::string::npos && r.rfind("\tТАВИР", 0) == 0;
    }));
    EXPECT_TRUE(std::any_of(programs.begin(), programs.end(),
                            [](const std::string& r) { return r.find("_") != std::string::npos; }));
    bool wide = sixtyFourBitWindows();
    EXPECT_EQ(test::fileExists(work("programs64.csv")), wide);
    EXPECT_EQ(test::fileExists(work("(REG)(64)HKLM_TAVIR.txt")), wide);
    EXPECT_TRUE(test::fileExists(work("(REG)HKLM_TAVIR.txt")));
    // The 64-bit rows are logged on both kinds of Windows.
    std::string rtf = test::readFileBytes(work("KW_Scan!.rtf"));
    EXPECT_NE(rtf.find("] ---> \"(REG)(64)HKLM_TAVIR.txt\""), std::string::npos);
    EXPECT_NE(rtf.find("] ---> \"(REG)(64)Policies_Installer.txt\""), std::string::npos);
}

void checkHardwareAndFolders() {
    std::vector<std::string> h = fileLines("hardware.txt");
    ASSERT_FALSE(h.empty());
    EXPECT_TRUE(has(h, "Память:"));
    EXPECT_TRUE(std::any_of(h.begin(), h.end(), [](const std::string& l) {
        return std::regex_match(l, std::regex(R"(\d+ Мб -- Всего физической памяти \(в байтах\): \d+)"));
    }));
    EXPECT_TRUE(std::any_of(h.begin(), h.end(),
                            [](const std::string& l) { return l.rfind("    C:\\ Fixed\t", 0) == 0; }));
    EXPECT_TRUE(has(h, "В системе используется стандартный шрифт = 96"));
    EXPECT_TRUE(std::any_of(h.begin(), h.end(), [](const std::string& l) {
        return std::regex_match(l, std::regex(R"(Рабочая область: \d+ x \d+ x \d+ x \d+)"));
    }));
    EXPECT_TRUE(
        std::any_of(h.begin(), h.end(), [](const std::string& l) { return l.rfind("MAC: ", 0) == 0; }));
    EXPECT_TRUE(test::fileExists(work("Paths.txt")));
    std::vector<std::string> proxy = fileLines("SocketProxyServer.log");
    ASSERT_GE(proxy.size(), 2u);
    EXPECT_EQ(proxy[0].rfind("SocketProxyServer.log: [", 0), 0u);
    EXPECT_EQ(proxy[1], std::string(68, '_'));
}

void checkConsoleFiles() {
    for (const ConsoleCommand& row : consoleCatalogue()) {
        if (row.gate)
            continue; // MSinfo32 and NetStat depend on the options
        EXPECT_TRUE(test::fileExists(work(row.outputFile))) << row.outputFile;
    }
    EXPECT_TRUE(test::fileExists(work("(cmd)netstat.txt"))); // on in the full preset
}

} // namespace
} // namespace kw
