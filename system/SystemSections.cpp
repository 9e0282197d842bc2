// The system step's procedures. The registry exports, the console catalogue and the system section
// are filled in as they are built; until then they collect nothing.
#include "system/SystemSections.h"

#include "core/CollectionRun.h"

namespace kw {

void registerSystemSections(CollectionRun& run) {
    run.registerSection(Section::ExportSystemRegistryBranches, [] {});
    run.registerSection(Section::RunConsoleCommands, [] {});
    run.registerSection(Section::CollectSystemSection, [] {});
}

} // namespace kw
