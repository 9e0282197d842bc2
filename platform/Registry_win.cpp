// Win32 registry reads in both views; IsWow64Process is looked up at run time (old systems lack it).
#include "platform/Registry.h"

#include <windows.h>

#include "platform/OptionalFunctions.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

HKEY rootKey(RegistryRoot r) {
    switch (r) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
        return HKEY_USERS;
    case RegistryRoot::PerformanceData:
        return HKEY_PERFORMANCE_DATA;
    case RegistryRoot::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    case RegistryRoot::DynData:
        return HKEY_DYN_DATA;
    }
    return HKEY_LOCAL_MACHINE;
}

// The program is 32-bit, so its own view is the 32-bit one. A 64-bit build of the same sources (the
// stand-in for the tests and benches on machines that run no 32-bit code) names that view, so that it
// reads what the program reads; the 32-bit build is unchanged.
#ifdef _WIN64
constexpr REGSAM kOwnView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kOwnView = 0;
#endif

REGSAM accessOf(RegistryView view) {
    return KEY_READ | (view == RegistryView::Wow64_64 ? KEY_WOW64_64KEY : kOwnView);
}

RegKey openKey(RegistryRoot root, const std::string& key, RegistryView view, LONG* status = nullptr) {
    // A leading separator means "from the root", as callers write key paths; the API wants none.
    std::string_view path = key;
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    HKEY raw = nullptr;
    LONG r = RegOpenKeyExW(rootKey(root), toWide(path).c_str(), 0, accessOf(view), &raw);
    if (status)
        *status = r;
    return RegKey(r == ERROR_SUCCESS ? raw : nullptr);
}

// Reads one value by name, growing the buffer when the data grew between the two calls.
LONG queryValue(HKEY key, const std::wstring& name, DWORD& type, std::string& data) {
    DWORD size = 0;
    LONG r = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; r == ERROR_SUCCESS && attempt < 4; ++attempt) {
        data.assign(size, '\0');
        DWORD got = size;
        r = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (r == ERROR_MORE_DATA) {
            size = got > size ? got : size * 2 + 16;
            r = ERROR_SUCCESS;
            continue;
        }
        if (r == ERROR_SUCCESS)
            data.resize(got);
        return r;
    }
    return r;
}

class WindowsRegistry final : public Registry {
  public:
    std::optional<std::string> readString(RegistryRoot root, const std::string& key, const std::string& value,
                                          RegistryView view) override {
        RegistryRead r = readValue(root, key, value, view);
        if (r.status != RegistryStatus::Ok)
            return std::nullopt;
        if (r.value.type != REG_SZ && r.value.type != REG_EXPAND_SZ)
            return std::nullopt;
        return registryStringOf(r.value.data);
    }

    std::optional<RegistryKeyContents> readKey(RegistryRoot root, const std::string& key,
                                               RegistryView view) override {
        RegKey k = openKey(root, key, view);
        if (!k)
            return std::nullopt;
        RegistryKeyContents out;
        DWORD maxName = 0, maxData = 0, maxSubkey = 0;
        RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxName,
                         &maxData, nullptr, nullptr);
        std::wstring name(maxName + 2, L'\0');
        for (DWORD i = 0;; ++i) {
            DWORD nameLen = static_cast<DWORD>(name.size());
            LONG r = RegEnumValueW(k.get(), i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr);
            if (r == ERROR_MORE_DATA) {
                name.resize(name.size() * 2 + 256);
                --i;
                continue;
            }
            if (r != ERROR_SUCCESS)
                break;
            RegistryValue v;
            std::wstring wname(name.data(), nameLen);
            v.name = toUtf8(wname);
            DWORD type = 0;
            // A value that cannot be read still shows with its name and type.
            if (queryValue(k.get(), wname, type, v.data) != ERROR_SUCCESS)
                v.data.clear();
            v.type = type;
            out.values.push_back(std::move(v));
        }
        std::wstring sub(maxSubkey + 2, L'\0');
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(sub.size());
            LONG r = RegEnumKeyExW(k.get(), i, sub.data(), &len, nullptr, nullptr, nullptr, nullptr);
            if (r == ERROR_MORE_DATA) {
                sub.resize(sub.size() * 2 + 256);
                --i;
                continue;
            }
            if (r != ERROR_SUCCESS)
                break;
            out.subkeys.push_back(toUtf8({sub.data(), len}));
        }
        return out;
    }

    RegistryRead readValue(RegistryRoot root, const std::string& key, const std::string& value,
                           RegistryView view) override {
        RegistryRead out;
        LONG status = 0;
        RegKey k = openKey(root, key, view, &status);
        if (!k) {
            out.status = status == ERROR_FILE_NOT_FOUND ? RegistryStatus::NoKey : RegistryStatus::Failed;
            out.error = static_cast<unsigned>(status);
            return out;
        }
        std::wstring name = toWide(value);
        DWORD type = 0;
        LONG r = queryValue(k.get(), name, type, out.value.data);
        out.value.name = value;
        out.value.type = type;
        out.error = static_cast<unsigned>(r);
        out.status = r == ERROR_SUCCESS          ? RegistryStatus::Ok
                     : r == ERROR_FILE_NOT_FOUND ? RegistryStatus::NoValue
                                                 : RegistryStatus::Failed;
        return out;
    }

    bool isWow64() override {
#ifdef _WIN64
        return true; // 64-bit Windows, where the 32-bit program runs under WOW64
#endif
        auto fn = optional_api::isWow64Process();
        BOOL wow = FALSE;
        return fn && fn(GetCurrentProcess(), &wow) && wow;
    }
};

} // namespace

Registry& windowsRegistry() {
    static WindowsRegistry instance;
    return instance;
}

const char* registryRootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users:
        return "HKEY_USERS";
    case RegistryRoot::PerformanceData:
        return "HKEY_PERFORMANCE_DATA";
    case RegistryRoot::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    case RegistryRoot::DynData:
        return "HKEY_DYN_DATA";
    }
    return "HKEY_LOCAL_MACHINE";
}

std::optional<std::uint32_t> registryDwordOf(const RegistryRead& r) {
    if (r.status != RegistryStatus::Ok || r.value.type != kRegDword || r.value.data.size() < 4)
        return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(r.value.data.data());
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::string registryStringOf(const std::string& bytes) {
    std::wstring w;
    w.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (c == 0)
            break;
        w.push_back(c);
    }
    return toUtf8(w);
}

} // namespace kw
