// "KW_Scan.exe compare [OPTIONS] PACKAGE1 PACKAGE2 REPORT": which topics two packages differ in, written
// as an HTML page (REPORT ending in .html or .htm) or a tab-separated report, with no window, so that a
// support engineer can run it over many packages. The exit code follows diff: 0 no topic differs
// (noise aside, when it is left out), 1 some do, 2 trouble (a package or the report).
#include "app/CompareCommand.h"

#include <windows.h>

#include "app/CommandLineTools.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/ComparisonHtml.h"
#include "results/ComparisonReport.h"
#include "results/FolderComparison.h"
#include "results/ResultPackage.h"
#include "settings/Settings.h"

namespace kw {
namespace {

// The switches of the noise options, with "/" or "--" before them.
struct NoiseSwitch {
    std::string_view name;
    bool NoiseOptions::*option;
    bool value;
};
constexpr NoiseSwitch kNoiseSwitches[] = {
    {"ignore-times", &NoiseOptions::timesAndPaths,
     true}, // "Не учитывать время, длительности и временные пути"
    {"keep-times", &NoiseOptions::timesAndPaths, false},
    {"ignore-names", &NoiseOptions::hostAndUser, true}, // "Не учитывать имя компьютера и пользователя"
    {"keep-names", &NoiseOptions::hostAndUser, false},
};

// True when the argument is one of the switches; it is then applied.
bool applySwitch(std::string_view arg, NoiseOptions& noise) {
    if (arg.starts_with("--"))
        arg.remove_prefix(2);
    else if (arg.starts_with("/"))
        arg.remove_prefix(1);
    else
        return false;
    for (const NoiseSwitch& s : kNoiseSwitches) {
        if (sameTextIgnoringCase(arg, s.name)) {
            noise.*s.option = s.value;
            return true;
        }
    }
    return false;
}

bool wantsHtml(const std::string& report) {
    size_t dot = report.rfind('.');
    std::string_view ext =
        dot == std::string::npos ? std::string_view() : std::string_view(report).substr(dot);
    return sameTextIgnoringCase(ext, ".html") || sameTextIgnoringCase(ext, ".htm");
}

} // namespace

int runCompareCommand(const std::vector<std::string>& commandLine) {
    NoiseOptions noise;
    std::vector<std::string> args;
    for (const std::string& arg : commandLine)
        if (!applySwitch(arg, noise))
            args.push_back(arg);
    if (args.size() != 4) {
        tellStandardError(
            "Использование: KW_Scan.exe compare [/keep-times] [/ignore-names] <пакет 1> <пакет 2> "
            "<файл отчёта .html или .txt>");
        return 2;
    }
    FileSystem& files = windowsFileSystem();
    std::string temp = files.tempDirectory();
    std::string stem = temp + "KW_Compare_" + std::to_string(GetCurrentProcessId()) + "_";
    UnpackedPackage first(files, stem + "1"), second(files, stem + "2");
    for (auto [package, side] : {std::pair{&args[1], &first}, std::pair{&args[2], &second}}) {
        if (auto error = side->unpack(*package)) {
            tellStandardError("Не удалось открыть файл \"" + *package + "\": " + *error);
            return 2;
        }
    }
    return reportComparison(first.folder(), second.folder(), args[1], args[2], args[3], noise);
}

int reportComparison(const std::string& folder1, const std::string& folder2, const std::string& package1,
                     const std::string& package2, const std::string& report, const NoiseOptions& noise) {
    FileSystem& files = windowsFileSystem();
    // The options of the group "Сравнение" as the user last saved them.
    OptionSet options;
    Settings settings;
    readSettingsOnActivation(
        IniFile::parse(ansiToUtf8(files.readFile(files.tempDirectory() + kSettingsFileName).value_or(""))),
        options, settings);
    FolderComparison comparison =
        compareFolders(files, folder1, folder2, compareOptionsOf(options), {}, noise);
    const std::string text = wantsHtml(report) ? comparisonReportHtml(comparison, package1, package2)
                                               : comparisonReportTsv(comparison);
    if (!files.writeFile(report, text)) {
        tellStandardError("Не удалось записать отчёт \"" + report + "\"");
        return 2;
    }
    for (const TopicComparison& row : comparison.rows)
        if (differs(row.state))
            return 1;
    return 0;
}

} // namespace kw
