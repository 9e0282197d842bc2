// Win32 desktop: hot keys, ShellExecute and message boxes.
#include "platform/Desktop.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/Text.h"

namespace kw {
namespace {

class WindowsDesktop final : public Desktop {
  public:
    bool registerHotKey(WindowHandle w, int id, unsigned mods, unsigned vk) override {
        return RegisterHotKey(static_cast<HWND>(w), id, mods, vk) != 0;
    }
    void unregisterHotKey(WindowHandle w, int id) override { UnregisterHotKey(static_cast<HWND>(w), id); }

    bool shellOpen(const std::string& target) override {
        auto r = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", toWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return r > 32;
    }

    bool shellExecute(const std::string& program, const std::string& parameters) override {
        auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, toWide(program).c_str(),
                                                         toWide(parameters).c_str(), nullptr, SW_SHOWNORMAL));
        return r > 32;
    }

    void showMessage(WindowHandle owner, const std::string& text, MessageKind kind) override {
        showTitledMessage(owner, "KW_Scan!", text, kind);
    }

    void showTitledMessage(WindowHandle owner, const std::string& title, const std::string& text,
                           MessageKind kind) override {
        UINT icon = kind == MessageKind::Error     ? MB_ICONERROR
                    : kind == MessageKind::Warning ? MB_ICONWARNING
                                                   : MB_ICONINFORMATION;
        MessageBoxW(static_cast<HWND>(owner), toWide(text).c_str(), toWide(title).c_str(), MB_OK | icon);
    }

    bool confirm(WindowHandle owner, const std::string& text) override {
        return MessageBoxW(static_cast<HWND>(owner), toWide(text).c_str(), L"KW_Scan!",
                           MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }

    std::optional<std::string> chooseFileToOpen(WindowHandle owner, const std::string& filter,
                                                const std::string& extension) override {
        return fileDialog(owner, filter, "", extension, false);
    }

    std::optional<std::string> chooseFileToSave(WindowHandle owner, const std::string& filter,
                                                const std::string& name,
                                                const std::string& extension) override {
        return fileDialog(owner, filter, name, extension, true);
    }

    std::optional<std::string> chooseFolder(WindowHandle owner, const std::string& title) override {
        std::wstring caption = toWide(title);
        BROWSEINFOW bi{};
        bi.hwndOwner = static_cast<HWND>(owner);
        bi.lpszTitle = caption.c_str();
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
        if (!chosen)
            return std::nullopt;
        wchar_t path[MAX_PATH + 1] = {};
        bool ok = SHGetPathFromIDListW(chosen, path);
        CoTaskMemFree(chosen);
        return ok ? std::optional<std::string>(toUtf8(path)) : std::nullopt;
    }

  private:
    static std::optional<std::string> fileDialog(WindowHandle owner, const std::string& filter,
                                                 const std::string& name, const std::string& extension,
                                                 bool save) {
        std::wstring pattern = toWide(filter);
        for (auto& c : pattern)
            if (c == L'|')
                c = L'\0';
        pattern.append(2, L'\0');
        std::wstring file(32768, L'\0');
        std::wstring offered = toWide(name), ext = toWide(extension);
        offered.copy(file.data(), std::min(offered.size(), file.size() - 1));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = static_cast<HWND>(owner);
        ofn.lpstrFilter = pattern.c_str();
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                    (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)))
            return std::nullopt;
        return toUtf8(file.c_str());
    }
};

} // namespace

Desktop& windowsDesktop() {
    static WindowsDesktop instance;
    return instance;
}

} // namespace kw
