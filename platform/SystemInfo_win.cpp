// Win32 clock, locale formats and the administrator test.
#include "platform/SystemInfo.h"

#include <windows.h>

#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

SYSTEMTIME toSystemTime(const LocalTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year < 1601 ? 1899 : t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = static_cast<WORD>(t.millisecond);
    return st;
}

bool tokenHasAdministrators(HANDLE token, PSID admins) {
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::string buf(size, '\0');
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf.data());
    if (!GetTokenInformation(token, TokenGroups, groups, size, &size)) return false;
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, admins)) return true;
    return false;
}

class WindowsSystemInfo final : public SystemInfo {
public:
    LocalTime now() override {
        SYSTEMTIME st;
        GetLocalTime(&st);
        return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
    }

    std::string shortDate(const LocalTime& t) override {
        SYSTEMTIME st = toSystemTime(t);
        wchar_t buf[128];
        int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 128);
        return n > 0 ? toUtf8({buf, static_cast<size_t>(n - 1)}) : std::string();
    }

    std::string longTime(const LocalTime& t) override {
        SYSTEMTIME st = toSystemTime(t);
        wchar_t buf[128];
        int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 128);
        return n > 0 ? toUtf8({buf, static_cast<size_t>(n - 1)}) : std::string();
    }

    bool isAdministrator() override {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID admins = nullptr;
        if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                      0, &admins))
            return false;
        HANDLE raw = nullptr;
        if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &raw) &&
            !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
            raw = nullptr;
        KernelHandle token(raw);
        bool result = token && tokenHasAdministrators(token.get(), admins);
        FreeSid(admins);
        return result;
    }
};

} // namespace

SystemInfo& windowsSystemInfo() {
    static WindowsSystemInfo instance;
    return instance;
}

} // namespace kw
