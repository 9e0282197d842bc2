// The section list. Adding a product section is one line here, in the place of the run it takes: its
// progress value follows from its position.
#include "products/ProductSections.h"

#include "core/CollectionRun.h"
#include "products/CadFamily.h"
#include "products/CatalogueFamily.h"
#include "products/EnterpriseSections.h"
#include "products/PlmFamily.h"
#include "products/TechnologyFamily.h"

namespace kw {
namespace {

// In the system step, after the system information.
constexpr const SectionDeclaration* kSystemStep[] = {
    &kCommonDataSection,
    &kSharedFolderSection,
    &kSuiteInstallLogsSection,
};

// A step of its own each, after the system step.
constexpr const SectionDeclaration* kOwnSteps[] = {
    &kPeltrandSection,   &kMirtalSection,   &kMirtalHomeSection,      &kMirtalViewerSection,
    &kMorvantideSection, &kTessarinSection, &kHandbookSection,        &kStandardPartsSection,
    &kMaterialsSection,  &kUnitsSection,    &kMatRateSection,         &kTaskRateSection,
    &kPeltrandKBSection, &kFerryOakSection, &kPeltrandModulesSection, &kQuadrixSection,
};

} // namespace

void registerProductSections(CollectionRun& run) {
    for (const SectionDeclaration* s : kSystemStep)
        run.addTopic(StepPlace::SystemStep, s->topic, std::span(&s->collect, 1));
    for (const SectionDeclaration* s : kOwnSteps)
        run.addTopic(StepPlace::OwnStep, s->topic, std::span(&s->collect, 1));
    // The standard-parts library's components are recognised wherever an inventory meets them.
    run.setListedFileHook(
        [&run](const std::string& name, const std::string& folder) { MatchEditionRows(run, name, folder); });
}

std::vector<const SectionDeclaration*> productSections() {
    std::vector<const SectionDeclaration*> all(std::begin(kSystemStep), std::end(kSystemStep));
    all.insert(all.end(), std::begin(kOwnSteps), std::end(kOwnSteps));
    return all;
}

} // namespace kw
