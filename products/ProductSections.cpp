// Registers the product sections with the engine. A section never stops the run: what escapes one is
// written to the event log and the run goes on with the next step.
#include "products/ProductSections.h"

#include <exception>

#include "core/CollectionRun.h"
#include "products/CadFamily.h"
#include "products/CatalogueFamily.h"
#include "products/EnterpriseSections.h"
#include "products/PlmFamily.h"
#include "products/TechnologyFamily.h"

namespace kw {
namespace {

struct Registration {
    Section section;
    const char* name; // in the log line when the section fails
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
    {Section::CollectMorvantide, "МОРВАНТАЙД", CollectMorvantide},
    {Section::Tessarin, "САПР ТП ТЕССАРИН", ToolButton10Click},
    {Section::Handbook, "Справочник технолога", ToolButton9Click},
    {Section::StandardParts, "Стандартные Изделия", ToolButton21Click},
    {Section::CollectMaterials, "Rudazizod o Ridaduvodu", CollectMaterials},
    {Section::CollectUnits, "Единицы измерения", CollectUnits},
    {Section::CollectMatRate, "Нормирование материалов", CollectMatRate},
    {Section::CollectTaskRate, "Нормирование трудозатрат", CollectTaskRate},
    {Section::CollectPeltrandKB, "ПЕЛТРАН:КБ", CollectPeltrandKB},
    {Section::CollectFerryLogs, "Ferry-OAK", CollectFerryLogs},
    {Section::CollectPeltrandModules, "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД", CollectPeltrandModules},
    {Section::CollectQuadrix, "КВАДРИКС:MDM", CollectQuadrix},
};

void runGuarded(CollectionRun& run, const Registration& r) {
    try {
        r.procedure(run);
    } catch (const std::exception& e) {
        run.eventLog().setColor(LogColor::Black);
        run.eventLog().append(std::string("[!!] [") + r.name +
                              "] - Exception ошибка, с сообщением: " + e.what());
    }
}

} // namespace

void registerProductSections(CollectionRun& run) {
    for (const Registration& r : kSections)
        run.registerSection(r.section, [&run, &r] { runGuarded(run, r); });
    // The standard-parts library's components are recognised wherever an inventory meets them.
    run.setListedFileHook(
        [&run](const std::string& name, const std::string& folder) { MatchEditionRows(run, name, folder); });
}

} // namespace kw
