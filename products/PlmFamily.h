// The PLM family: ПЕЛТРАН with its integrator, proxies, services and modules, Wrokan, the ПГС and ОРД
// modules, the КБ suite, and the two folders the whole suite shares (COD and "TAVIR Shared").
#pragma once
#include <span>
#include <string>

#include "products/SectionRows.h"

namespace kw {

class CollectionRun;
class ProductSection;

void ToolButton17Click(CollectionRun& run);
void CollectCommonDataFolder(CollectionRun& run);
void CollectSharedFolder(CollectionRun& run);
void CollectPeltrandKB(CollectionRun& run);
void CollectPeltrandModules(CollectionRun& run);

// The integrator names its log in its INI: an absolute path, a path relative to baseFolder, or one
// with environment variables. outPath is left unchanged when the captured copy is missing.
void ReadIntegratorParameter(ProductSection& section, const std::string& copyPath,
                             const std::string& iniSection, const std::string& entry, std::string& outPath,
                             const std::string& baseFolder);

extern const SectionDeclaration kPeltrandSection;
extern const SectionDeclaration kCommonDataSection;
extern const SectionDeclaration kSharedFolderSection;
extern const SectionDeclaration kPeltrandKBSection;
extern const SectionDeclaration kPeltrandModulesSection;

} // namespace kw
