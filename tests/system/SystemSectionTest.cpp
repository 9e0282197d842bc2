// The system section on described machines: the fixed lines of "software.txt" and "hardware.txt",
// the installed-programs tables, and what a 32-bit Windows leaves out.
#include "system/SystemSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "core/CollectionRun.h"
#include "platform/Text.h"
#include "system/InstalledPrograms.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"
#include "tests/system/FakeComPlus.h"
#include "tests/system/FakeRegistry.h"

namespace kw {
namespace {

constexpr RegistryRoot LM = RegistryRoot::LocalMachine;
constexpr RegistryView Wide = RegistryView::Wow64_64;
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class SystemSectionTest : public testing::Test {
  protected:
    test::FakeSystem machine;
    test::FakeRegistry registry;
    test::FakeCom com;
    test::RecordingProcesses processes;
    OptionSet options;
    Settings settings;
    std::unique_ptr<CollectionRun> run;

    void SetUp() override {
        registry.setString(LM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                           "Windows 7 Professional");
        registry.setString(LM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CSDVersion",
                           "Service Pack 1");
        registry.setString(LM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "BuildLab", "7601.win7sp1");
        registry.setString(LM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                           "C:\\windows");
        registry.setString(LM, "Software\\Microsoft\\OLE", "EnableDCOM", "y");
        machine.drives = 1u | 4u | 8u;
        machine.types = {{'A', 2}, {'C', 3}, {'D', 5}};
        machine.spaces['C'] = {238LL << 30, 57LL << 30};
        machine.fileSystems['C'] = "NTFS";
        machine.adapters = {"Wine Adapter"};
    }

    // Runs the section once and gives the lines of a work-folder file (nothing when it is missing).
    std::optional<std::vector<std::string>> collect(const char* file = "software.txt",
                                                    SystemInfo* system = nullptr) {
        run = std::make_unique<CollectionRun>(Platform{windowsFileSystem(), system ? *system : machine,
                                                       windowsDesktop(), processes, registry, com},
                                              options, settings);
        run->folders().CreateWorkFolder("KW_Temp");
        SystemSection(*run, com).CollectSystemSection();
        return lines(file);
    }
    std::optional<std::vector<std::string>> lines(const char* file) {
        auto bytes = windowsFileSystem().readFile(run->folders().workPath(file));
        if (!bytes)
            return std::nullopt;
        std::vector<std::string> result = splitLines(ansiToUtf8(*bytes));
        if (!result.empty() && result.back().empty())
            result.pop_back(); // after the last line break
        return result;
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<std::string> events() { return run->eventLog().texts(); }
};

TEST_F(SystemSectionTest, SoftwareHoldsWindowsDcomAndDefaultTexts) {
    auto s = collect();
    ASSERT_TRUE(s);
    auto at = std::find(s->begin(), s->end(), "Windows:");
    ASSERT_NE(at, s->end());
    EXPECT_EQ(*(at + 1), "Windows 7 Professional Service Pack 1 [7601.win7sp1]  -  C:\\windows");
    EXPECT_EQ(*(at + 2), "WinVer:");
    EXPECT_EQ(*(at + 3), "64-разрядная операционная система.");
    // In the file the Windows line is one line with a bare CR inside it.
    std::string bytes = windowsFileSystem().readFile(run->folders().workPath("software.txt")).value_or("");
    EXPECT_NE(bytes.find("  -  C:\\windows\rWinVer:\r\n"), std::string::npos);
    EXPECT_TRUE(has(*s, "Имя компьютера: TESTPC"));
    EXPECT_TRUE(has(*s, "Имя пользователя: Ivan Petrov"));
    EXPECT_TRUE(has(*s, "[+] Использование DCOM на этом компьютере разрешено"));
    EXPECT_TRUE(has(*s, "Default Authentication Level (Уровень проверки подлинности по умолчанию): Connect "
                        "(Подключиться) [не найден]"));
    EXPECT_TRUE(has(*s, "Default Impersonation Level  (Уровень олицетворения по умолчанию):_______ Identify "
                        "(Определить)[не найден]"));
    EXPECT_TRUE(has(*s, "Windows Firewall: параметр реестра не обнаружен"));
    EXPECT_TRUE(has(*s, "параметр реестра не обнаружен"));
    EXPECT_TRUE(has(*s, "DEP: \"Включить DEP только для основных программ и служб Windows\" (ключ реестра не "
                        "обнаружен)"));
}

// Memory that runs out in one step (a huge log, say) costs that step only: the files of the others are
// written, and the log says which step failed.
TEST_F(SystemSectionTest, AStepThatFailsCostsThatStepOnly) {
    struct NoMemory : test::FakeSystem {
        MemoryStatus memoryStatus() override { throw std::bad_alloc(); }
    } system;
    system.drives = machine.drives, system.types = machine.types, system.spaces = machine.spaces;
    auto software = collect("software.txt", &system);
    ASSERT_TRUE(software);
    EXPECT_TRUE(lines("hardware.txt"));
    EXPECT_TRUE(lines("Paths.txt"));
    EXPECT_TRUE(has(events(), "[!!] [Сведения о системе: Память] - EOutOfMemory ошибка, с сообщением: "
                              "Недостаточно памяти для завершения операции."));
}

TEST_F(SystemSectionTest, SecuritySettingsFromTheRegistry) {
    const std::string policies = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    registry.setDword(LM, "SOFTWARE\\Microsoft\\Ole", "LegacyAuthenticationLevel", 4);
    registry.setDword(LM, "SOFTWARE\\Microsoft\\Ole", "LegacyImpersonationLevel", 9);
    registry.setDword(
        LM, "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile",
        "EnableFirewall", 0);
    registry.setDword(LM, policies, "EnableLUA", 1);
    registry.setDword(LM, policies, "PromptOnSecureDesktop", 1);
    registry.setDword(LM, policies, "ConsentPromptBehaviorAdmin", 2);
    registry.setDword(LM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\NoExecuteState",
                      "LastNoExecuteRadioButtonState", 14013);
    registry.setString(LM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
                       "C:\\Games\\old.exe", "DisableNXShowUI");
    auto s = collect();
    ASSERT_TRUE(s);
    EXPECT_TRUE(has(
        *s, "Default Authentication Level (Уровень проверки подлинности по умолчанию): Packet (Пакет) [4]"));
    EXPECT_TRUE(has(*s, "Default Impersonation Level  (Уровень олицетворения по умолчанию):_______ "));
    EXPECT_TRUE(has(*s, "[-] Windows Firewall Отключен (0)"));
    auto uac = std::find(s->begin(), s->end(), "[+] включен");
    ASSERT_NE(uac, s->end());
    EXPECT_EQ(*(uac + 1), "    [3] уровень: Всегда уведомлять");
    EXPECT_TRUE(has(*s, "DEP: Включить DEP для всех программ и служб, кроме выбранных ниже (14013)"));
    auto layers = std::find(s->begin(), s->end(), "Программы внесенные в исключения DEP: ");
    ASSERT_NE(layers, s->end());
    EXPECT_EQ(*(layers + 1), "    \"C:\\\\Games\\\\old.exe\"=\"DisableNXShowUI\"");
}

TEST_F(SystemSectionTest, FirewallTwoAndAMissingUacValue) {
    const std::string policies = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    registry.setDword(
        LM, "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile",
        "EnableFirewall", 2);
    registry.setDword(LM, policies, "EnableLUA", 1);
    auto s = collect();
    ASSERT_TRUE(s);
    auto fw = std::find(s->begin(), s->end(), "Windows Firewall:");
    ASSERT_NE(fw, s->end());
    EXPECT_EQ(*(fw + 1), " "); // no firewall line: the UAC block follows at once
    EXPECT_EQ(*(fw + 2), "UAC:");
    EXPECT_FALSE(has(*s, "[+] включен"));
    std::vector<std::string> log = events();
    EXPECT_TRUE(has(log, "!!! Возникла проблема с обработкой EnableLUA"));
}

TEST_F(SystemSectionTest, SqlServerBlockWithSniKeyFromPatchLevel) {
    registry.setString(LM, "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\\CurrentVersion", "CurrentVersion",
                       "10.50.1600.1");
    registry.setString(LM, "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL", "MSSQLSERVER",
                       "MSSQL10_50.MSSQLSERVER");
    const std::string setup = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL10_50.MSSQLSERVER\\Setup";
    registry.setString(LM, setup, "Collation", "Cyrillic_General_CI_AS");
    registry.setString(LM, setup, "EditionType", "Express Edition");
    registry.setString(LM, setup, "PatchLevel", "10.50.1600.1");
    registry.setMulti(LM, "SOFTWARE\\Microsoft\\MSSQLServer\\Client\\SNI10.0", "ProtocolOrder",
                      {"sm", "tcp", "np"});
    registry.setMulti(LM, "SOFTWARE\\Microsoft\\Microsoft SQL Server", "InstalledInstances", {"MSSQLSERVER"});
    auto s = collect();
    ASSERT_TRUE(s);
    auto at = std::find(s->begin(), s->end(), "Protocol SQL: ");
    ASSERT_NE(at, s->end());
    EXPECT_EQ(std::vector<std::string>(at + 1, at + 4), (std::vector<std::string>{"sm", "tcp", "np"}));
    EXPECT_TRUE(has(*s, "PatchLevel: 10.50.1600.1"));
    EXPECT_TRUE(has(*s, "EditionType: Express Edition"));
    auto instances = std::find(s->begin(), s->end(), "Instances SQL: ");
    ASSERT_NE(instances, s->end());
    EXPECT_EQ(*(instances + 1), "MSSQLSERVER");
    EXPECT_EQ(std::vector<std::string>(instances - 2, instances), (std::vector<std::string>{"np", " "}));
    EXPECT_TRUE(has(*s, "Aliases SQL: "));
}

TEST_F(SystemSectionTest, SqlServerWithoutProtocolListGoesOn) {
    registry.setString(LM, "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\\CurrentVersion", "CurrentVersion",
                       "9.00.5000.00");
    const std::string setup = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Setup";
    registry.setString(LM, setup, "Collation", "Cyrillic_General_CI_AS");
    registry.setString(LM, setup, "PatchLevel", "9.00.5000.00");
    registry.setString(LM, "SOFTWARE\\Microsoft\\MSSQLServer\\Client\\SNI9.0", "Other", "x"); // key, no list
    auto s = collect();
    ASSERT_TRUE(s);
    EXPECT_FALSE(has(*s, "Aliases SQL: "));
    std::vector<std::string> log = events();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.find("SNI9.0\\ProtocolOrder") != std::string::npos &&
               l.find("Cannot Read MULTI_SZ Value") != std::string::npos;
    }));
    EXPECT_TRUE(lines("hardware.txt")); // the section went on to the end
}

TEST_F(SystemSectionTest, EmptyProductNameAndThirtyTwoBitWindows) {
    registry = test::FakeRegistry();
    registry.wow64 = false;
    auto s = collect();
    ASSERT_TRUE(s);
    EXPECT_FALSE(has(*s, "Windows:"));
    EXPECT_FALSE(has(*s, "32-разрядная операционная система."));
    EXPECT_FALSE(lines("programs64.csv"));
}

TEST_F(SystemSectionTest, InstalledProgramsRows) {
    registry.setString(LM, kUninstall + "\\{A}", "DisplayName", "Update 1");
    registry.setString(LM, kUninstall + "\\{A}", "ParentDisplayName", "Microsoft Office");
    registry.setString(LM, kUninstall + "\\{A}", "Publisher", "Microsoft");
    registry.setString(LM, kUninstall + "\\Nameless", "Publisher", "Nobody");
    registry.setString(LM, kUninstall + "\\{B}", "ParentDisplayName", "ТАВИР");
    registry.setDword(LM, kUninstall + "\\Broken", "DisplayName", 5);
    registry.setString(LM, kUninstall + "\\Z", "DisplayName", "MIRTAL-3D 21.0");
    registry.setString(LM, kUninstall + "\\Z", "InstallLocation", "C:\\Program Files\\TAVIR");
    registry.setString(LM, kUninstall + "\\W", "DisplayName", "ELEMLib 64", Wide);
    auto programs = collect("programs.csv");
    ASSERT_TRUE(programs);
    EXPECT_EQ(*programs, (std::vector<std::string>{
                             kProgramsHeader, "Microsoft Office_Update 1\tMicrosoft\t\t\t\t",
                             "ТАВИР_\t\t\t\t\t", "MIRTAL-3D 21.0\t\t\t\t\tC:\\Program Files\\TAVIR"}));
    EXPECT_TRUE(has(events(), "Ошибка при извлечении данных о программе"));
    EXPECT_EQ(lines("programs64.csv"), (std::vector<std::string>{kProgramsHeader, "ELEMLib 64\t\t\t\t\t"}));
}

TEST_F(SystemSectionTest, NoUninstallKeyInAViewWritesNoTableForIt) {
    registry.setString(LM, kUninstall + "\\Z", "DisplayName", "MIRTAL-3D 21.0");
    collect();
    EXPECT_TRUE(lines("programs.csv"));
    EXPECT_FALSE(lines("programs64.csv"));
    EXPECT_TRUE(has(events(), "[!!] Не удалось открыть раздел реестра HKEY_LOCAL_MACHINE\\" + kUninstall +
                                  ", файл programs64.csv не записан"));
}

TEST_F(SystemSectionTest, HardwareLines) {
    machine.pixelsPerInch = 144;
    auto h = collect("hardware.txt");
    ASSERT_TRUE(h);
    EXPECT_TRUE(has(*h, "8193 Мб -- Всего физической памяти (в байтах): 8589934592"));
    EXPECT_TRUE(has(*h, "    A:\\ Removable\t - DiskSize: 0 Gb\t - DiskFree: 0 Gb []"));
    EXPECT_TRUE(has(*h, "    C:\\ Fixed\t - DiskSize: 238 Gb\t - DiskFree: 57 Gb [NTFS]"));
    EXPECT_TRUE(has(*h, "    D:\\ CD-ROM\t - DiskSize: 0 Gb\t - DiskFree: 0 Gb []"));
    EXPECT_TRUE(has(*h, "В системе используется КРУПНЫЙ шрифт > 120"));
    EXPECT_TRUE(has(*h, "    Wine Adapter"));
    EXPECT_TRUE(has(*h, "Разрешение экрана: 1920 x 1080"));
    EXPECT_TRUE(has(*h, "Рабочая область: 0 x 0 x 1040 x 1920"));
    EXPECT_TRUE(has(*h, "IP: "));
    EXPECT_TRUE(has(*h, "MAC: mac not found"));
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_NE(processes.started[0].find("dxdiag.exe /whql:off /t "), std::string::npos);
    EXPECT_TRUE(lines("Paths.txt"));
}

TEST_F(SystemSectionTest, ComPlusReportsWithTheOption) {
    options.set(Option::ComPlus, true);
    com.data.applications = {{"TAVIR Sync", "{s}", {{"RunForever", "-1"}, {"AccessChecksLevel", "1"}}}};
    collect();
    EXPECT_TRUE(has(events(), "Данные по \"TAVIR Sync\" ---> \"TAVIR Sync.rtf\""));
    std::string rtf = windowsFileSystem().readFile(run->folders().workPath("TAVIR_Sync.rtf")).value_or("");
    EXPECT_NE(rtf.find("[-1]"), std::string::npos);

    options.set(Option::ComPlus, false);
    collect();
    EXPECT_TRUE(
        has(events(), "[X] Не могу собрать \"Мой компьютер / Приложения COM+\", не активна настройка"));
}

} // namespace
} // namespace kw
