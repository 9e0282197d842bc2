// System information: the clock and the locale's date and time formats, and the user's rights.
#pragma once
#include <cstdint>
#include <string>

namespace kw {

struct LocalTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Milliseconds between two local times (b - a), over day boundaries too.
std::int64_t millisecondsBetween(const LocalTime& a, const LocalTime& b);
// A time of day from milliseconds since midnight (whole days are dropped).
LocalTime timeOfDay(std::int64_t milliseconds);

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual LocalTime now() = 0;
    virtual std::string shortDate(const LocalTime& t) = 0;  // the locale's short date format
    virtual std::string longTime(const LocalTime& t) = 0;   // the locale's long time format
    // Membership of the Administrators group (S-1-5-32-544) in the thread's or process's token.
    virtual bool isAdministrator() = 0;
};

SystemInfo& windowsSystemInfo();

} // namespace kw
