// A clock the test moves by hand; dates and times are still formatted by the system's locale.
#pragma once
#include "platform/SystemInfo.h"

namespace kw::test {

class FakeSystem : public SystemInfo {
public:
    LocalTime time{2026, 12, 8, 10, 0, 0, 0};
    bool administrator = true;

    void advanceSeconds(int s) { time = addMs(time, s * 1000LL); }

    LocalTime now() override { return time; }
    std::string shortDate(const LocalTime& t) override { return windowsSystemInfo().shortDate(t); }
    std::string longTime(const LocalTime& t) override { return windowsSystemInfo().longTime(t); }
    bool isAdministrator() override { return administrator; }

private:
    static LocalTime addMs(LocalTime t, long long ms) {
        LocalTime d = timeOfDay(t.hour * 3600000LL + t.minute * 60000LL + t.second * 1000LL + t.millisecond + ms);
        d.year = t.year;
        d.month = t.month;
        d.day = t.day;
        return d;
    }
};

} // namespace kw::test
