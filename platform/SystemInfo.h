// System information: the clock and the locale's date and time formats, the user's rights, and the
// machine readings of the system section (names, folders, memory, drives, screen, network addresses).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw {

struct LocalTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Milliseconds between two local times (b - a), over day boundaries too.
std::int64_t millisecondsBetween(const LocalTime& a, const LocalTime& b);
// A time of day from milliseconds since midnight (whole days are dropped).
LocalTime timeOfDay(std::int64_t milliseconds);

struct MemoryStatus {
    std::uint64_t totalPhysical = 0;
    std::uint64_t availablePhysical = 0;
    unsigned memoryLoad = 0; // percent
};

// The figures of one drive root; a drive that cannot be read (an empty CD drive) has none.
struct DiskSpace {
    std::int64_t size = 0;
    std::int64_t free = 0;
};

struct ScreenArea {
    int width = 0, height = 0;                    // the whole screen
    int top = 0, left = 0, bottom = 0, right = 0; // the work area without the task bar
};

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual LocalTime now() = 0;
    virtual std::string shortDate(const LocalTime& t) = 0; // the locale's short date format
    virtual std::string longTime(const LocalTime& t) = 0;  // the locale's long time format
    // Membership of the Administrators group (S-1-5-32-544) in the thread's or process's token.
    virtual bool isAdministrator() = 0;

    virtual std::string computerName() = 0;
    virtual std::string userName() = 0;
    virtual std::string windowsDirectory() = 0;
    virtual std::string systemDirectory() = 0;
    // The value of an environment variable, empty when it is not set.
    virtual std::string environmentVariable(const std::string& name) = 0;
    virtual unsigned processorCount() = 0;
    // Desktop composition is on (Vista and later, when dwmapi says so).
    virtual bool aeroEnabled() = 0;

    virtual MemoryStatus memoryStatus() = 0;
    virtual std::uint32_t logicalDrives() = 0;   // bit 0 is A:
    virtual unsigned driveType(char letter) = 0; // GetDriveType of the root "X:\"
    virtual std::optional<DiskSpace> diskSpace(char letter) = 0;
    virtual std::string volumeFileSystem(char letter) = 0; // empty when the volume cannot be read
    // The locale's thousands separator, for the drive figures.
    virtual std::string thousandSeparator() = 0;

    virtual int screenPixelsPerInch() = 0; // LOGPIXELSX of the screen
    virtual std::vector<std::string> displayAdapters() = 0;
    virtual ScreenArea screenArea() = 0;
    virtual bool networkPresent() = 0; // bit 0 of SM_NETWORK

    // The first address of the host's own name in dotted form, empty when it does not resolve.
    virtual std::string hostAddress() = 0;
    // The first NetBIOS adapter's address as 00-1A-2B-3C-4D-5E, or "mac not found".
    virtual std::string adapterAddress() = 0;
};

SystemInfo& windowsSystemInfo();

} // namespace kw
