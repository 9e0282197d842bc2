// Win32 registry reads in both views; IsWow64Process is looked up at run time (old systems lack it).
#include "platform/Registry.h"

#include <windows.h>

#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

HKEY rootKey(RegistryRoot r) {
    switch (r) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_LOCAL_MACHINE;
}

class WindowsRegistry final : public Registry {
public:
    std::optional<std::string> readString(RegistryRoot root, const std::string& key, const std::string& value,
                                          RegistryView view) override {
        REGSAM sam = KEY_READ | (view == RegistryView::Wow64_64 ? KEY_WOW64_64KEY : 0);
        HKEY raw = nullptr;
        if (RegOpenKeyExW(rootKey(root), toWide(key).c_str(), 0, sam, &raw) != ERROR_SUCCESS) return std::nullopt;
        RegKey k(raw);
        std::wstring name = toWide(value);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(k.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
        return toUtf8(data);
    }

    bool isWow64() override {
        using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
        auto fn = reinterpret_cast<Fn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
        BOOL wow = FALSE;
        return fn && fn(GetCurrentProcess(), &wow) && wow;
    }
};

} // namespace

Registry& windowsRegistry() {
    static WindowsRegistry instance;
    return instance;
}

} // namespace kw
