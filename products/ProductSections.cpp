// Registers the product sections with the engine. A section never stops the run: what escapes one is
// written to the event log and the run goes on with the next step.
#include "products/ProductSections.h"

#include <exception>

#include "core/CollectionRun.h"
#include "products/CadFamily.h"
#include "products/PlmFamily.h"

namespace kw {
namespace {

void CollectSuiteInstallLogs(CollectionRun& run) {
    if (!run.options().get(Option::SuiteLogs)) {
        run.eventLog().append("[X] Журналы установки КОМПЛЕКСа");
        return;
    }
}

struct Registration {
    Section section;
    const char* name;  // in the log line when the section fails
    void (*procedure)(CollectionRun&);
};

constexpr Registration kSections[] = {
    {Section::CollectCommonDataFolder, "COD", CollectCommonDataFolder},
    {Section::CollectSharedFolder, "TAVIR Shared", CollectSharedFolder},
    {Section::CollectSuiteInstallLogs, "Журналы установки КОМПЛЕКСа", CollectSuiteInstallLogs},
    {Section::Peltrand, "ПЕЛТРАН", ToolButton17Click},
    {Section::MirtalMain, "МИРТАЛ-3D MCAD/AEC", ToolButton2Click},
    {Section::CollectMirtalHome, "МИРТАЛ-3D Home", CollectMirtalHome},
    {Section::CollectMirtalViewer, "МИРТАЛ-3D Viewer", CollectMirtalViewer},
    {Section::CollectPeltrandKB, "ПЕЛТРАН:КБ", CollectPeltrandKB},
    {Section::CollectPeltrandModules, "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД", CollectPeltrandModules},
};

constexpr Section kNotYetBuilt[] = {
    Section::CollectMorvantide, Section::Tessarin,      Section::Handbook,       Section::StandardParts,
    Section::CollectMaterials,  Section::CollectUnits,  Section::CollectMatRate, Section::CollectTaskRate,
    Section::CollectFerryLogs,  Section::CollectQuadrix,
};

void runGuarded(CollectionRun& run, const Registration& r) {
    try {
        r.procedure(run);
    } catch (const std::exception& e) {
        run.eventLog().setColor(LogColor::Black);
        run.eventLog().append(std::string("[!!] [") + r.name + "] - Exception ошибка, с сообщением: " + e.what());
    }
}

} // namespace

void registerProductSections(CollectionRun& run) {
    for (Section s : kNotYetBuilt) run.registerSection(s, [] {});
    for (const Registration& r : kSections) run.registerSection(r.section, [&run, &r] { runGuarded(run, r); });
}

} // namespace kw
