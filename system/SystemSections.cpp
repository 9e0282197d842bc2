// The system step's procedures: the registry exports, the console catalogue and the system section.
#include "system/SystemSections.h"

#include <memory>

#include "core/CollectionRun.h"
#include "core/ConsoleCapture.h"
#include "core/RegistryReaders.h"
#include "system/ConsoleCatalogue.h"
#include "system/SystemRegistryExports.h"
#include "system/SystemSection.h"

namespace kw {

void registerSystemSections(CollectionRun& run) {
    auto section = std::make_shared<SystemSection>(run, run.platform().com);
    run.registerSection(Section::ExportSystemRegistryBranches, [&run] { ExportSystemRegistryBranches(run); });
    run.registerSection(Section::RunConsoleCommands, [&run] {
        ConsoleCapture console(run);
        ConsoleCommandStarter starter{[&](const std::string& command, const std::string& file) {
                                          console.startShellCommand(command, file);
                                      },
                                      [&](const std::string& program, const std::string& file) {
                                          run.platform().desktop.shellExecute(
                                              program, "/nfo " + quoteArgument(run.folders().workPath(file)));
                                      }};
        RunConsoleCommands(run.options(), run.eventLog(), run.platform().system.userName(), starter);
    });
    run.registerSection(Section::CollectSystemSection, [section] { section->CollectSystemSection(); });
}

} // namespace kw
