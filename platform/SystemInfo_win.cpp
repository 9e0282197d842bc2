// Win32 clock, locale formats, the administrator test and the machine readings.
#include "platform/SystemInfo.h"

#include <windows.h>
#include <winsock2.h>

#include <nb30.h>

#include "platform/OptionalFunctions.h"
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
    if (size == 0)
        return false;
    std::string buf(size, '\0');
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf.data());
    if (!GetTokenInformation(token, TokenGroups, groups, size, &size))
        return false;
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, admins))
            return true;
    return false;
}

template <typename Call> std::string wideResult(DWORD capacity, Call call) {
    std::wstring buf(capacity, L'\0');
    DWORD n = call(buf.data(), capacity);
    if (n == 0 || n >= capacity)
        return {};
    buf.resize(n);
    return toUtf8(buf);
}

// Wrapper of the Windows Sockets session of one reading.
class SocketsSession {
  public:
    SocketsSession() { ok_ = WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
    ~SocketsSession() {
        if (ok_)
            WSACleanup();
    }
    bool ok() const { return ok_; }

  private:
    WSADATA data_{};
    bool ok_ = false;
};

struct AdapterStatusBuffer {
    ADAPTER_STATUS status;
    NAME_BUFFER names[30];
};

bool netbios(NCB& ncb) {
    return Netbios(&ncb) == NRC_GOODRET && ncb.ncb_retcode == NRC_GOODRET;
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
        if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                      0, 0, 0, &admins))
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

    std::string computerName() override {
        wchar_t buf[256];
        DWORD size = 255;
        return GetComputerNameW(buf, &size) ? toUtf8({buf, size}) : std::string();
    }

    std::string userName() override {
        wchar_t buf[51];
        DWORD size = 50;
        if (!GetUserNameW(buf, &size) || size == 0)
            return {};
        return toUtf8({buf, size - 1}); // the count includes the terminating zero
    }

    std::string windowsDirectory() override {
        return wideResult(261, [](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
    }
    std::string systemDirectory() override {
        return wideResult(261, [](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); });
    }

    std::string environmentVariable(const std::string& name) override {
        std::wstring wide = toWide(name);
        DWORD need = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
        if (need == 0)
            return {};
        return wideResult(need,
                          [&](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(wide.c_str(), b, n); });
    }

    unsigned processorCount() override {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return info.dwNumberOfProcessors;
    }

    bool aeroEnabled() override {
        OSVERSIONINFOW version{sizeof(version)};
        if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
            version.dwMajorVersion <= 5)
            return false;
        auto call = optional_api::dwmIsCompositionEnabled();
        BOOL enabled = FALSE;
        return call && SUCCEEDED(call(&enabled)) && enabled;
    }

    MemoryStatus memoryStatus() override {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof(status);
        if (!GlobalMemoryStatusEx(&status))
            return {};
        return {status.ullTotalPhys, status.ullAvailPhys, static_cast<unsigned>(status.dwMemoryLoad)};
    }

    std::uint32_t logicalDrives() override { return GetLogicalDrives(); }

    unsigned driveType(char letter) override { return GetDriveTypeW(root(letter).c_str()); }

    std::optional<DiskSpace> diskSpace(char letter) override {
        // No "insert a disk" box for an empty removable drive.
        UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
        ULARGE_INTEGER available, total, free;
        BOOL ok = GetDiskFreeSpaceExW(root(letter).c_str(), &available, &total, &free);
        SetErrorMode(old);
        if (!ok)
            return std::nullopt;
        return DiskSpace{static_cast<std::int64_t>(total.QuadPart),
                         static_cast<std::int64_t>(available.QuadPart)};
    }

    std::string volumeFileSystem(char letter) override {
        UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
        wchar_t name[MAX_PATH + 1];
        BOOL ok = GetVolumeInformationW(root(letter).c_str(), nullptr, 0, nullptr, nullptr, nullptr, name,
                                        MAX_PATH + 1);
        SetErrorMode(old);
        return ok ? toUtf8(name) : std::string();
    }

    std::string thousandSeparator() override {
        wchar_t buf[8];
        int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, 8);
        return n > 1 ? toUtf8({buf, static_cast<size_t>(n - 1)}) : std::string();
    }

    int screenPixelsPerInch() override {
        HDC dc = GetDC(nullptr);
        int result = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
        return result;
    }

    std::vector<std::string> displayAdapters() override {
        std::vector<std::string> result;
        DISPLAY_DEVICEW device{};
        device.cb = sizeof(device);
        for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) {
            result.push_back(toUtf8(device.DeviceString));
            device = {};
            device.cb = sizeof(device);
        }
        return result;
    }

    ScreenArea screenArea() override {
        ScreenArea area;
        area.width = GetSystemMetrics(SM_CXSCREEN);
        area.height = GetSystemMetrics(SM_CYSCREEN);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        area.top = work.top;
        area.left = work.left;
        area.bottom = work.bottom;
        area.right = work.right;
        return area;
    }

    bool networkPresent() override { return (GetSystemMetrics(SM_NETWORK) & 1) != 0; }

    std::string hostAddress() override {
        SocketsSession session;
        if (!session.ok())
            return {};
        char name[128] = {};
        if (gethostname(name, sizeof(name)) != 0)
            return {};
        hostent* host = gethostbyname(name);
        if (!host || !host->h_addr_list || !host->h_addr_list[0])
            return {};
        in_addr address;
        memcpy(&address, host->h_addr_list[0], sizeof(address));
        const char* text = inet_ntoa(address);
        return text ? text : "";
    }

    std::string adapterAddress() override {
        const std::string none = "mac not found";
        LANA_ENUM lanas{};
        NCB ncb{};
        ncb.ncb_command = NCBENUM;
        ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&lanas);
        ncb.ncb_length = sizeof(lanas);
        if (!netbios(ncb) || lanas.length == 0)
            return none;

        ncb = {};
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas.lana[0];
        if (!netbios(ncb))
            return none;

        AdapterStatusBuffer status{};
        ncb = {};
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas.lana[0];
        memset(ncb.ncb_callname, ' ', NCBNAMSZ);
        ncb.ncb_callname[0] = '*';
        ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&status);
        ncb.ncb_length = sizeof(status);
        if (!netbios(ncb))
            return none;

        char text[18];
        const UCHAR* a = status.status.adapter_address;
        snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
        return text;
    }

  private:
    static std::wstring root(char letter) { return {static_cast<wchar_t>(letter), L':', L'\\'}; }
};

} // namespace

SystemInfo& windowsSystemInfo() {
    static WindowsSystemInfo instance;
    return instance;
}

} // namespace kw
