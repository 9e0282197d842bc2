// Result packages made for the library's tests by the program's own save: each a work folder of the files
// given, so that its contents list is true, on a computer and at a time of the test's choosing.
#pragma once
#include <map>
#include <string>

#include "core/CollectionRun.h"
#include "results/ResultPackage.h"
#include "tests/ForwardingFileSystem.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"

namespace kw::test {

inline const std::string kInventoryHead = "Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:\r\n";

// The files of a run on `computer` collected at `day`.12.2026 10:00: the head the library reads, MIRTAL
// 21.0 installed with one inventory, and `extra` files beside them (UTF-8 texts are written as ANSI).
inline std::map<std::string, std::string> runFiles(
    const std::string& computer, const std::string& user, int day,
    const std::string& bin =
        "MIRTAL.exe\t100\t01.01.2020\t21.0.1.0\taa11\tC:\\Program Files\\TAVIR\\MIRTAL-3D v21\\Bin\\\r\n") {
    std::string date = (day < 10 ? "0" : "") + std::to_string(day) + ".12.2026";
    return {
        {"software.txt", "Windows:\r\nWindows 7 Professional Service Pack 1\r\nИмя компьютера: " + computer +
                             "\r\nИмя пользователя: " + user + "\r\n"},
        {"KW_Scan!.txt", "********************* Начало сбора информации " + date +
                             " - 10:00:00 | Тип: \"Полный \"  *********************\r\n"},
        {"KW_Scan!.rtf", "{\\rtf1\\ansi KW_Scan! V19.11.01k (01.11.2019) [C:\\\\KW_Scan.exe]\\par}"},
        {"KW_scan.ini", "[Set]\r\nAutoSave=1\r\n"},
        {"(REG)MIRTAL.txt",
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D]\r\n\"CurrentVersion\"=\"21.0\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D\\21.0]\r\n"
         "\"InstallPath\"=\"C:\\\\Program Files\\\\TAVIR\\\\MIRTAL-3D v21\\\\\"\r\n"},
        {"(MIRTAL_Bin)Files.csv", kInventoryHead + bin},
    };
}

// Saves the files as a package into `out`; returns its path.
inline std::string savePackage(const std::map<std::string, std::string>& files, const std::string& out,
                               const std::string& computer = "TESTPC") {
    // The work folder in the test's own folder, not the prefix's temporary one, which tests running at
    // the same time in that prefix share.
    struct OwnTemporaryFolder final : ForwardingFileSystem {
        std::string tempDirectory() override { return tempDir(); }
    } fs;
    FakeSystem clock;
    clock.computer = computer;
    RecordingProcesses processes;
    OptionSet options;
    Settings settings;
    CollectionRun run{{fs, clock, windowsDesktop(), processes}, options, settings};
    fs.deleteFolderTree(run.folders().folderPath(kWorkFolder));
    run.folders().CreateWorkFolder(kWorkFolder);
    for (const auto& [name, text] : files)
        writeFileBytes(run.folders().workPath(name), utf8ToAnsi(text));
    fs.createFolder(out);
    struct Quiet : RunObserver {
    } quiet;
    SaveOutcome saved = ResultPackages(run, quiet).SavePackage(out);
    return saved.result == SaveResult::Saved ? saved.package : std::string();
}

} // namespace kw::test
