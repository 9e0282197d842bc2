// The system information topic of the system step and its three procedures, in the order the run calls
// them.
#pragma once

namespace kw {

class CollectionRun;

// Adds the topic to the run's system step, ahead of anything the product sections add there.
void registerSystemSections(CollectionRun& run);

// The console catalogue, started through the run's console capture and shell.
void RunConsoleCommands(CollectionRun& run);
// "software.txt", "hardware.txt", "Paths.txt" and the rest of the system section.
void CollectSystemSection(CollectionRun& run);

} // namespace kw
