// The technology family: the CAPP product ТЕССАРИН with its csv logs and the PLM components it loads, the
// technologist's reference, material rating and labour rating.
#pragma once
#include <span>
#include <string>

#include "products/SectionRows.h"

namespace kw {

class CollectionRun;
class ProductSection;

void ToolButton10Click(CollectionRun& run);
void ToolButton9Click(CollectionRun& run);
void CollectMatRate(CollectionRun& run);
void CollectTaskRate(CollectionRun& run);

void CopyTessarinCsvLogs(ProductSection& section, const std::string& folder, const std::string& tag,
                         const std::string& mask);

extern const SectionDeclaration kTessarinSection;
extern const SectionDeclaration kHandbookSection;
extern const SectionDeclaration kMatRateSection;
extern const SectionDeclaration kTaskRateSection;

} // namespace kw
