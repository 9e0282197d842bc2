// "KW_Scan.exe check PACKAGE [REPORT]": unpacks the package into a folder of its own, evaluates the rules on
// it, writes the findings' table to REPORT and says by the exit code whether there is a problem.
#include "app/CheckCommand.h"

#include <windows.h>

#include "app/RunFindings.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/ResultPackage.h"

namespace kw {
namespace {

// Messages go to the console the command was started from, if there is one.
void tell(const std::string& text) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return; // no console (ERROR_ACCESS_DENIED: already attached)
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    std::string bytes = utf8ToAnsi(text + "\r\n");
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The unpacked package lives as long as the command.
struct ScratchFolder {
    FileSystem& files;
    std::string path;
    ~ScratchFolder() { files.deleteFolderTree(path); }
};

} // namespace

int runCheckCommand(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) {
        tell("Использование: KW_Scan.exe check <пакет> [<файл отчёта>]");
        return 2;
    }
    FileSystem& files = windowsFileSystem();
    ScratchFolder scratch{files, files.tempDirectory() + "KW_Check_" + std::to_string(GetCurrentProcessId())};
    files.deleteFolderTree(scratch.path);
    if (!files.plainFileExists(args[1]) || !files.createFolder(scratch.path)) {
        tell("Не удалось открыть файл \"" + args[1] + "\"");
        return 2;
    }
    ExtractedCabinet extracted;
    if (auto error = unpackPlainMembers(args[1], scratch.path, scratch.path, extracted)) {
        tell("Не удалось открыть файл \"" + args[1] + "\": " + error->message);
        return 2;
    }
    std::vector<Finding> findings =
        evaluateFindings(files, scratch.path, builtInRules().rules, &builtInEditionLookup());
    for (const std::string& line : findingLogLines(findings))
        tell(line);
    if (args.size() == 3 && !files.writeFile(args[2], utf8ToAnsi(findingsTableText(findings)))) {
        tell("Не удалось записать отчёт \"" + args[2] + "\"");
        return 2;
    }
    return hasProblems(findings) ? 1 : 0;
}

} // namespace kw
