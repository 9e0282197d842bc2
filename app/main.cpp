// KW_Scan!: collects the Windows picture and every installed TAVIR product's data for the support service.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "app/CheckCommand.h"
#include "app/CommandLineTools.h"
#include "app/CompareCommand.h"
#include "app/LibraryCommand.h"
#include "app/MainWindow.h"
#include "app/VerifyCommand.h"
#include "platform/Text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::vector<std::string> args;
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i)
            args.push_back(kw::toUtf8(argv[i]));
        LocalFree(argv);
    }
    // The commands that work without a window, for scripts: "compare" (a report of two packages),
    // "check" (the findings of a package, told by the exit code), "verify" (whether a package arrived as
    // it was made), "library" (the support library of received packages).
    using Command = int (*)(const std::vector<std::string>&);
    static constexpr std::pair<const char*, Command> kCommands[] = {{"compare", kw::runCompareCommand},
                                                                    {"check", kw::runCheckCommand},
                                                                    {"verify", kw::runVerifyCommand},
                                                                    {"library", kw::runLibraryCommand}};
    for (auto [name, command] : kCommands)
        if (!args.empty() && kw::sameTextIgnoringCase(args[0], name))
            return kw::runWindowlessCommand(command, args);
    kw::Platform platform{kw::windowsFileSystem(), kw::windowsSystemInfo(), kw::windowsDesktop(),
                          kw::windowsProcesses()};
    kw::MainWindow window(platform, kw::parseStartArguments(args));
    if (!window.create(instance))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.translateAccelerator(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return window.exitCode();
}
