// "KW_Scan.exe check PACKAGE [REPORT]": unpacks the package into a folder of its own, evaluates the rules on
// it, writes the findings' table to REPORT and says by the exit code whether there is a problem.
#include "app/CheckCommand.h"

#include "app/CommandLineTools.h"
#include "app/RunFindings.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/Text.h"
#include "results/ResultPackage.h"

namespace kw {

int runCheckCommand(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) {
        tellStandardError("Использование: KW_Scan.exe check <пакет> [<файл отчёта>]");
        return 2;
    }
    FileSystem& files = windowsFileSystem();
    UnpackedPackage unpacked(files, files.tempDirectory() + "KW_Check_" + std::to_string(currentProcessId()));
    if (auto error = unpacked.unpack(args[1])) {
        tellStandardError("Не удалось открыть файл \"" + args[1] + "\": " + *error);
        return 2;
    }
    // A cabinet of some other program has neither the settings copy nor the event log of a run: its
    // findings would say nothing about a computer.
    if (!files.plainFileExists(unpacked.folder() + "\\KW_scan.ini") &&
        !files.plainFileExists(unpacked.folder() + "\\KW_Scan!.rtf")) {
        tellStandardError(
            "Файл \"" + args[1] +
            "\" не является пакетом результатов KW_Scan!: в нём нет ни KW_scan.ini, ни KW_Scan!.rtf");
        return 2;
    }
    std::vector<Finding> findings =
        evaluateFindings(files, unpacked.folder(), builtInRules().rules, &builtInEditionLookup());
    for (const std::string& line : findingLogLines(findings))
        tellStandardOutput(line);
    if (args.size() == 3 && !files.writeFile(args[2], utf8ToAnsi(findingsTableText(findings)))) {
        tellStandardError("Не удалось записать отчёт \"" + args[2] + "\"");
        return 2;
    }
    return hasProblems(findings) ? 1 : 0;
}

} // namespace kw
