// Registers the procedures of the system step with the engine.
#pragma once

namespace kw {
class CollectionRun;
void registerSystemSections(CollectionRun& run);
} // namespace kw
