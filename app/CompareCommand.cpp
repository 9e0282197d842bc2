// "KW_Scan.exe compare PACKAGE1 PACKAGE2 REPORT": which topics two packages differ in, written as a
// tab-separated report, with no window, so that a support engineer can run it over many packages.
// The exit code follows diff: 0 no topic differs, 1 some do, 2 trouble (a package or the report).
#include "app/CompareCommand.h"

#include <windows.h>

#include "app/CommandLineTools.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/ComparisonReport.h"
#include "results/FolderComparison.h"
#include "results/ResultPackage.h"
#include "settings/Settings.h"

namespace kw {

int runCompareCommand(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        tellStandardError("Использование: KW_Scan.exe compare <пакет 1> <пакет 2> <файл отчёта>");
        return 2;
    }
    FileSystem& files = windowsFileSystem();
    // The options of the group "Сравнение" as the user last saved them.
    OptionSet options;
    Settings settings;
    std::string temp = files.tempDirectory();
    readSettingsOnActivation(
        IniFile::parse(ansiToUtf8(files.readFile(temp + kSettingsFileName).value_or(""))), options, settings);

    std::string stem = temp + "KW_Compare_" + std::to_string(GetCurrentProcessId()) + "_";
    UnpackedPackage first(files, stem + "1"), second(files, stem + "2");
    for (auto [package, side] : {std::pair{&args[1], &first}, std::pair{&args[2], &second}}) {
        if (auto error = side->unpack(*package)) {
            tellStandardError("Не удалось открыть файл \"" + *package + "\": " + *error);
            return 2;
        }
    }
    FolderComparison report =
        compareFolders(files, first.folder(), second.folder(), compareOptionsOf(options));
    if (!files.writeFile(args[3], comparisonReportTsv(report))) {
        tellStandardError("Не удалось записать отчёт \"" + args[3] + "\"");
        return 2;
    }
    for (const TopicComparison& row : report.rows)
        if (row.state != TopicState::Same)
            return 1;
    return 0;
}

} // namespace kw
