// "KW_Scan.exe verify PACKAGE [REPORT]": whether a package arrived as it was made, for scripts of the
// support service; the same check as opening a package in the window.
#include "app/VerifyCommand.h"

#include "app/CommandLineTools.h"
#include "platform/Processes.h"
#include "platform/Text.h"
#include "results/PackageManifest.h"

namespace kw {

int runVerifyCommand(const std::vector<std::string>& args) {
    if (args.size() != 2 && args.size() != 3) {
        tellStandardError("Использование: KW_Scan.exe verify <пакет> [<файл отчёта>]");
        return 2;
    }
    const std::string& package = args[1];
    FileSystem& files = windowsFileSystem();
    UnpackedPackage unpacked(files,
                             files.tempDirectory() + "KW_Verify_" + std::to_string(currentProcessId()));
    if (auto error = unpacked.unpack(package)) {
        tellStandardError("Не удалось открыть файл \"" + package + "\": " + *error);
        return 2;
    }
    PackageCheck check = checkUnpackedPackage(files, unpacked.folder(), unpacked.members().written,
                                              unpacked.members().refused);
    if (check.manifest != ManifestState::Checked) {
        tellStandardError(checkLogLines(check, package).front());
        return 2;
    }
    if (args.size() == 3 && !files.writeFile(args[2], verifyReportText(check))) {
        tellStandardError("Не удалось записать отчёт \"" + args[2] + "\"");
        return 2;
    }
    if (check.differing() == 0)
        return 0;
    for (const std::string& line : checkLogLines(check, package))
        tellStandardError(line);
    return 1;
}

} // namespace kw
