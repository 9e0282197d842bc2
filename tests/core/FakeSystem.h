// A machine the test describes by hand: a clock it moves, names, memory, drives, screen and addresses.
// Dates and times are still formatted by the system's locale.
#pragma once
#include <map>

#include "platform/SystemInfo.h"

namespace kw::test {

class FakeSystem : public SystemInfo {
  public:
    LocalTime time{2026, 12, 8, 10, 0, 0, 0};
    bool administrator = true;
    std::string computer = "TESTPC", user = "Ivan Petrov";
    MemoryStatus memory{8589934592ull, 4294967296ull, 50};
    std::uint32_t drives = 0;
    std::map<char, unsigned> types;
    std::map<char, DiskSpace> spaces; // a drive missing here cannot be read
    std::map<char, std::string> fileSystems;
    std::string separator = " ";
    int pixelsPerInch = 96;
    std::vector<std::string> adapters;
    ScreenArea screen{1920, 1080, 0, 0, 1040, 1920};
    std::string ip, mac = "mac not found";
    std::string windir = "C:\\windows";

    void advanceSeconds(int s) { time = addMs(time, s * 1000LL); }

    LocalTime now() override { return time; }
    std::string shortDate(const LocalTime& t) override { return windowsSystemInfo().shortDate(t); }
    std::string longTime(const LocalTime& t) override { return windowsSystemInfo().longTime(t); }
    bool isAdministrator() override { return administrator; }
    std::string computerName() override { return computer; }
    std::string userName() override { return user; }
    std::string windowsDirectory() override { return "C:\\windows"; }
    std::string systemDirectory() override { return "C:\\windows\\system32"; }
    std::string environmentVariable(const std::string& name) override {
        return name == "windir" ? windir : std::string();
    }
    unsigned processorCount() override { return 2; }
    bool aeroEnabled() override { return false; }
    MemoryStatus memoryStatus() override { return memory; }
    std::uint32_t logicalDrives() override { return drives; }
    unsigned driveType(char letter) override { return types.count(letter) ? types[letter] : 1; }
    std::optional<DiskSpace> diskSpace(char letter) override {
        if (!spaces.count(letter))
            return std::nullopt;
        return spaces[letter];
    }
    std::string volumeFileSystem(char letter) override { return fileSystems[letter]; }
    std::string thousandSeparator() override { return separator; }
    int screenPixelsPerInch() override { return pixelsPerInch; }
    std::vector<std::string> displayAdapters() override { return adapters; }
    ScreenArea screenArea() override { return screen; }
    bool networkPresent() override { return true; }
    std::string hostAddress() override { return ip; }
    std::string adapterAddress() override { return mac; }

  private:
    static LocalTime addMs(LocalTime t, long long ms) {
        LocalTime d =
            timeOfDay(t.hour * 3600000LL + t.minute * 60000LL + t.second * 1000LL + t.millisecond + ms);
        d.year = t.year;
        d.month = t.month;
        d.day = t.day;
        return d;
    }
};

} // namespace kw::test
