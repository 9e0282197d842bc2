// The data and enterprise sections: the MRP product Morvantide, the MDM product Quadrix, the logs of the
// document-management product Ferry-OAK and its tools, and the installation logs of the product suite.
#pragma once
#include <span>
#include <string>

#include "products/SectionRows.h"

namespace kw {

class CollectionRun;
class ProductSection;

void CollectMorvantide(CollectionRun& run);
void CollectQuadrix(CollectionRun& run);
void CollectFerryLogs(CollectionRun& run);
void CollectSuiteInstallLogs(CollectionRun& run);

void CopyFerryLogs(ProductSection& section, const std::string& folder, const std::string& tag,
                   const std::string& mask);

// The MDM product's template folder: its install folder with every "\Bin" (any letter case) replaced.
std::string quadrixTemplateFolder(const std::string& installFolder);

extern const SectionDeclaration kMorvantideSection;
extern const SectionDeclaration kQuadrixSection;
extern const SectionDeclaration kFerryOakSection;
extern const SectionDeclaration kSuiteInstallLogsSection;

} // namespace kw
