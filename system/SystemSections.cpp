// The system step's own topic: the registry exports, the console catalogue and the system section, under
// the option "Информация о системе".
#include "system/SystemSections.h"

#include "core/CollectionRun.h"
#include "core/ConsoleCapture.h"
#include "core/RegistryReaders.h"
#include "system/ConsoleCatalogue.h"
#include "system/SystemRegistryExports.h"
#include "system/SystemSection.h"

namespace kw {
namespace {

constexpr Topic kSystemInformation{
    .gate = Option::SystemInfo,
    .caption = "Информация о системе",
    .skipLine = "[X] Не могу собрать \"Информацию о системе\", не активна настройка",
    .duration = DurationLine::EvenAfterStop,
};
constexpr SectionProcedure kProcedures[] = {ExportSystemRegistryBranches, RunConsoleCommands,
                                            CollectSystemSection};

} // namespace

void RunConsoleCommands(CollectionRun& run) {
    ConsoleCapture console(run);
    ConsoleCommandStarter starter{
        .startCapture = [&](const std::string& command,
                            const std::string& file) { console.startShellCommand(command, file); },
        .startProgram =
            [&](const std::string& program, const std::string& file) {
                run.platform().desktop.shellExecute(program,
                                                    "/nfo " + quoteArgument(run.folders().workPath(file)));
            },
    };
    RunConsoleCommands(run.options(), run.eventLog(), run.platform().system.userName(), starter);
}

void CollectSystemSection(CollectionRun& run) {
    SystemSection(run, run.platform().com).CollectSystemSection();
}

void registerSystemSections(CollectionRun& run) {
    run.addTopic(StepPlace::SystemStep, kSystemInformation, kProcedures);
}

} // namespace kw
