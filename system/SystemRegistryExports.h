// The system registry branches of a run: the registry export tool's five files and the fourteen
// branch exports of the system step.
#pragma once
#include <string>
#include <vector>

namespace kw {

class CollectionRun;

void ExportSystemRegistryBranches(CollectionRun& run);

// The work-folder files the exports write (the converted ones of the tool), for the result tree's test.
std::vector<std::string> systemRegistryExportFiles();

} // namespace kw
