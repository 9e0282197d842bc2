// The section list: every product section of a run in its place, and its registration with the engine.
#pragma once
#include <vector>

#include "products/SectionRows.h"

namespace kw {

class CollectionRun;

// Adds the sections to the run: those of the system step after the system information (so after
// registerSystemSections), then one step each in the list's order.
void registerProductSections(CollectionRun& run);

// Every declared section, those of the system step first, for the conformance tests.
std::vector<const SectionDeclaration*> productSections();

} // namespace kw
