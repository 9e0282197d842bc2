// The fixed texts and rules of the system section: security levels, UAC, DEP, memory, drives, screen font.
#include <gtest/gtest.h>

#include "system/HardwareBlocks.h"
#include "system/SecurityTexts.h"
#include "tests/core/FakeSystem.h"

namespace kw {
namespace {

TEST(SecurityTexts, LevelTablesAndValuesOutsideThem) {
    EXPECT_EQ(authenticationLevelText("6"), "Packet Privacy (Секретности пакетов) [6]");
    EXPECT_EQ(authenticationLevelText("0"), "Default (По умолчанию) [0]");
    EXPECT_EQ(impersonationLevelText("4"), "Delegate (Делегирование) [4]");
    for (const char* outside : {"7", "-1", "", "2x", "4294967295"})
        EXPECT_EQ(authenticationLevelText(outside), "");
    EXPECT_EQ(impersonationLevelText("5"), "");
}

TEST(SecurityTexts, UacRows) {
    using L = std::vector<std::string>;
    EXPECT_EQ(decideUac({}).lines, L{"параметр реестра не обнаружен"});
    EXPECT_EQ(decideUac({"0", {}, {}}).lines, L{"[-] отключен [0] уровень: Никогда не уведомлять"});
    EXPECT_EQ(decideUac({"1", "0", "5"}).lines,
              (L{"[+] включен", "    [1] уровень: Уведомлять только при попытках программ внести изменения в "
                                "компьютер (не затемнять рабочий стол)"}));
    EXPECT_EQ(
        decideUac({"1", "1", "5"}).lines,
        (L{"[+] включен", "    [2] уровень: По умолчанию - уведомлять только при попытках программ внести "
                          "изменения в компьютер"}));
    EXPECT_EQ(decideUac({"1", "1", "2"}).lines, (L{"[+] включен", "    [3] уровень: Всегда уведомлять"}));
    EXPECT_EQ(decideUac({"1", "1", "0"}).lines, L{"[+] включен"});
    EXPECT_TRUE(decideUac({"2", {}, {}}).lines.empty());
    UacDecision missing = decideUac({"1", {}, "5"});
    EXPECT_TRUE(missing.readError);
    EXPECT_TRUE(missing.lines.empty());
}

TEST(SecurityTexts, DepRemainderRule) {
    EXPECT_EQ(
        depPolicyLine(false, {}),
        "DEP: \"Включить DEP только для основных программ и служб Windows\" (ключ реестра не обнаружен)");
    EXPECT_EQ(depPolicyLine(true, {}), "DEP: параметр реестра не обнаружен");
    EXPECT_EQ(depPolicyLine(true, "14012"),
              "DEP: \"Включить DEP только для основных программ и служб Windows\" (14012)");
    EXPECT_EQ(depPolicyLine(true, "50013"),
              "DEP: Включить DEP для всех программ и служб, кроме выбранных ниже (50013)");
    EXPECT_EQ(depPolicyLine(true, "12"), std::nullopt);   // nothing is left after three characters
    EXPECT_EQ(depPolicyLine(true, "1213"), std::nullopt); // the remainder is "3"
}

TEST(HardwareBlocks, MemoryInMegabytesRoundsTiesToEvenThenAddsOne) {
    EXPECT_EQ(memoryMegabytes(8589934592ull), 8193);
    EXPECT_EQ(memoryMegabytes(1048576ull / 2), 1);     // 0.5 -> 0
    EXPECT_EQ(memoryMegabytes(1048576ull * 3 / 2), 3); // 1.5 -> 2
    EXPECT_EQ(memoryMegabytes(1048576ull * 5 / 2), 3); // 2.5 -> 2
    EXPECT_EQ(memoryMegabytes(1048576ull * 5 / 2 + 1), 4);
    EXPECT_EQ(memoryLines({8589934592ull, 1073741824ull, 37}),
              (std::vector<std::string>{"8193 Мб -- Всего физической памяти (в байтах): 8589934592",
                                        "1025 Мб -- Доступно физической памяти (в байтах): 1073741824",
                                        "Память загружена на 37%"}));
}

TEST(HardwareBlocks, DriveLinesWithFloppyAndEmptyCdDrive) {
    test::FakeSystem machine;
    machine.drives = (1u << 0) | (1u << 2) | (1u << 3);
    machine.types = {{'A', 2}, {'C', 3}, {'D', 5}};
    machine.spaces['C'] = {238LL * 1073741824 + 1073741823 / 2, 57LL * 1073741824};
    machine.fileSystems['C'] = "NTFS";
    machine.spaces['A'] = {1, 1}; // must not be asked
    EXPECT_EQ(driveLines(machine),
              (std::vector<std::string>{
                  " ", "Логические разделы: ", "    A:\\ Removable\t - DiskSize: 0 Gb\t - DiskFree: 0 Gb []",
                  "    C:\\ Fixed\t - DiskSize: 238 Gb\t - DiskFree: 57 Gb [NTFS]",
                  "    D:\\ CD-ROM\t - DiskSize: 0 Gb\t - DiskFree: 0 Gb []"}));
}

TEST(HardwareBlocks, GigabytesRoundAndGroup) {
    const std::int64_t gb = 1073741824;
    EXPECT_EQ(gigabytesText(gb / 2, "\xC2\xA0"), "1");
    EXPECT_EQ(gigabytesText(gb / 2 - 1, " "), "0");
    EXPECT_EQ(gigabytesText(1234567 * gb, "\xC2\xA0"), "1\xC2\xA0"
                                                       "234\xC2\xA0"
                                                       "567");
    EXPECT_EQ(gigabytesText(999 * gb, " "), "999");
    EXPECT_EQ(driveTypeText(6), "RAMDisk");
    EXPECT_EQ(driveTypeText(7), "Unknown");
    EXPECT_EQ(driveTypeText(1), "Path does not exists");
}

TEST(HardwareBlocks, ScreenFontAndAdapters) {
    EXPECT_EQ(screenFontLine(96), "\rВ системе используется стандартный шрифт = 96");
    EXPECT_EQ(screenFontLine(120), "\rВ системе используется КРУПНЫЙ шрифт > 120");
    EXPECT_EQ(screenFontLine(144), "\rВ системе используется КРУПНЫЙ шрифт > 120");
    test::FakeSystem machine;
    machine.adapters = {"Wine Adapter", "Second"};
    EXPECT_EQ(displayAdapterLines(machine),
              (std::vector<std::string>{" ", "Видеокарта: ", "    Wine Adapter", "    Second"}));
}

TEST(HardwareBlocks, RealMachineReadingsUnderWine) {
    SystemInfo& real = windowsSystemInfo();
    EXPECT_GT(real.memoryStatus().totalPhysical, 0u);
    EXPECT_TRUE(real.logicalDrives() & (1u << 2)); // C:
    EXPECT_EQ(real.driveType('C'), 3u);
    EXPECT_TRUE(real.diskSpace('C').has_value());
    EXPECT_FALSE(real.computerName().empty());
    EXPECT_FALSE(real.userName().empty());
    EXPECT_GE(real.processorCount(), 1u);
    EXPECT_FALSE(real.windowsDirectory().empty());
    EXPECT_FALSE(real.environmentVariable("windir").empty());
    EXPECT_GT(real.screenPixelsPerInch(), 0);
    ScreenArea area = real.screenArea();
    EXPECT_GT(area.width, 0);
    EXPECT_LE(area.bottom, area.height);
    std::string mac = real.adapterAddress();
    EXPECT_TRUE(mac == "mac not found" || mac.size() == 17) << mac;
}

} // namespace
} // namespace kw
