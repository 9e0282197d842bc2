// Calendar arithmetic on local times, independent of the OS.
#include "platform/SystemInfo.h"

namespace kw {
namespace {

// Days since 1 January of year 0 in the proleptic Gregorian calendar.
std::int64_t dayNumber(int y, int m, int d) {
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

std::int64_t msOf(const LocalTime& t) {
    return dayNumber(t.year, t.month, t.day) * 86400000LL + t.hour * 3600000LL + t.minute * 60000LL +
           t.second * 1000LL + t.millisecond;
}

} // namespace

std::int64_t millisecondsBetween(const LocalTime& a, const LocalTime& b) {
    return msOf(b) - msOf(a);
}

LocalTime timeOfDay(std::int64_t ms) {
    ms %= 86400000LL;
    if (ms < 0)
        ms += 86400000LL;
    LocalTime t;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

} // namespace kw
