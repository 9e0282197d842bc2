// The system registry branches of a run: the registry export tool's five files and the fourteen
// branch exports of the system step.
#pragma once

namespace kw {

class CollectionRun;

void ExportSystemRegistryBranches(CollectionRun& run);

} // namespace kw
