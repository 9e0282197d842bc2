// The catalogue and data family: the materials catalogue with its COM server, the units of measure and
// the standard-parts library ELEMLib with its edition lookup.
#pragma once
#include <span>
#include <string>

#include "products/SectionRows.h"

namespace kw {

class CollectionRun;

void CollectMaterials(CollectionRun& run);
void CollectUnits(CollectionRun& run);
void ToolButton21Click(CollectionRun& run);

// Every file an inventory lists: a component of the standard-parts library with the size and version of a
// row of the edition table is entered in "(ELEMLib_HotFix)Files.csv". folder ends in a separator.
void MatchEditionRows(CollectionRun& run, const std::string& fileName, const std::string& folder);

// The materials settings report "(Materials)Set.txt": the business-object servers, the catalogue server
// with its connection test, its launch settings and authentication level.
void ComposeMaterialsReport(CollectionRun& run);

extern const SectionDeclaration kMaterialsSection;
extern const SectionDeclaration kUnitsSection;
extern const SectionDeclaration kStandardPartsSection;

} // namespace kw
