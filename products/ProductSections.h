// Registers every product section with the engine.
#pragma once

namespace kw {
class CollectionRun;
void registerProductSections(CollectionRun& run);
} // namespace kw
