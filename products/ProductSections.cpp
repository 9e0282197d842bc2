// The product sections, one per TAVIR product family. Each is filled in as it is built; until then it
// collects nothing, so that the step table is complete and the run's log already has its final shape.
#include "products/ProductSections.h"

#include "core/CollectionRun.h"

namespace kw {
namespace {

void CollectSuiteInstallLogs(CollectionRun& run) {
    if (!run.options().get(Option::SuiteLogs)) {
        run.eventLog().append("[X] Журналы установки КОМПЛЕКСа");
        return;
    }
}

constexpr Section kNotYetBuilt[] = {
    Section::CollectCommonDataFolder, Section::CollectSharedFolder, Section::Peltrand,
    Section::MirtalMain,              Section::CollectMirtalHome,   Section::CollectMirtalViewer,
    Section::CollectMorvantide,       Section::Tessarin,            Section::Handbook,
    Section::StandardParts,           Section::CollectMaterials,    Section::CollectUnits,
    Section::CollectMatRate,          Section::CollectTaskRate,     Section::CollectPeltrandKB,
    Section::CollectFerryLogs,        Section::CollectPeltrandModules, Section::CollectQuadrix,
};

} // namespace

void registerProductSections(CollectionRun& run) {
    for (Section s : kNotYetBuilt) run.registerSection(s, [] {});
    run.registerSection(Section::CollectSuiteInstallLogs, [&run] { CollectSuiteInstallLogs(run); });
}

} // namespace kw
