// Shows one of the program's dialogs for a few seconds, for screenshots: options, about, about-expanded,
// start. Run by scripts/screens-dialogs.sh under Xvfb.
#include <windows.h>

#include <string>

#include "settings/AboutBox.h"
#include "settings/OptionsDialog.h"
#include "settings/StartForm.h"

int wmain(int argc, wchar_t** argv) {
    std::wstring which = argc > 1 ? argv[1] : L"options";
    int seconds = argc > 2 ? _wtoi(argv[2]) : 5;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    kw::OptionSet options;
    kw::Settings settings;
    kw::OptionsDialog optionsDialog(options);
    kw::AboutBox about;
    kw::StartForm start(settings);
    kw::DialogWindow* shown = nullptr;
    if (which == L"options") {
        optionsDialog.create(inst, nullptr);
        shown = &optionsDialog;
    } else if (which == L"start") {
        start.create(inst, nullptr);
        shown = &start;
    } else {
        about.create(inst, nullptr);
        if (which == L"about-expanded")
            about.Image2Click();
        shown = &about;
    }
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000,
             [](HWND, UINT, UINT_PTR, DWORD) WINAPI -> void { PostQuitMessage(0); });
    shown->showModal();
    return 0;
}
