// The CAD family: МИРТАЛ-3D with its converter, COM registration and electrical add-on, its home
// edition and its viewer edition.
#pragma once
#include <span>
#include <string>

#include "products/SectionRows.h"

namespace kw {

class CollectionRun;
class ProductSection;

void ToolButton2Click(CollectionRun& run);
void CollectMirtalHome(CollectionRun& run);
void CollectMirtalViewer(CollectionRun& run);

// The entry of section "Directories" of a captured INI copy (relative to the Bin folder, "..\" standing
// for the install folder) replaces folder when it holds "..\"; folder keeps its default otherwise.
void ReadDirectoriesEntry(ProductSection& section, const std::string& copyPath, const std::string& entry,
                          const std::string& installFolder, std::string& folder);

extern const SectionDeclaration kMirtalSection;
extern const SectionDeclaration kMirtalHomeSection;
extern const SectionDeclaration kMirtalViewerSection;

} // namespace kw
