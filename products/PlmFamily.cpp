// The PLM family's rows and its few procedural steps: the integrator's log named in its INI, the
// listing of the important program folders, the installer packages of the КБ suite.
#include "products/PlmFamily.h"

#include "core/CollectionRun.h"
#include "platform/Text.h"
#include "products/ProductSection.h"
#include "settings/IniFile.h"

namespace kw {
namespace {

using namespace rows;

void integratorLog(ProductSection& s);

// Settings of the technologist, the archive and the change notices in the common folder.
constexpr CaptureRow kCommonRows[] = {
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Template.Chang",
     .file = "changes.ini",
     .prefix = "(Peltrand)",
     .mark = "(K2009)"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Template.Chang\\Template.Lyt",
     .file = "BlankStyles.ini"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\PT",
     .file = "PT.ini",
     .heading = "Настройки ПЕЛТРАН-Технолога:"},
    {.kind = C::ExactCopy,
     .folder = F::Common,
     .sub = "\\Settings\\PT",
     .file = "PT.mdb",
     .heading = "PT.mdb:"},
    {.kind = C::Permissions,
     .folder = F::Common,
     .sub = "\\Settings\\PT",
     .file = "PT.mdb",
     .prefix = "PT.mdb"},
    {.kind = C::Permissions, .folder = F::Common, .sub = "\\Settings\\PT", .prefix = "PT"},
    {.kind = C::Inventory, .folder = F::Common, .sub = "\\Settings\\PT", .prefix = "Peltrand_PT_Settings"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\PeltrandTSRPlugin",
     .file = "ExportTPService.ini",
     .prefix = "(Peltrand)",
     .heading = "Настройки АРМ Технолога:"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\PeltrandTSRPlugin",
     .file = "Settings.xml",
     .prefix = "(Peltrand)",
     .header = Header::None},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\АРХИВ",
     .file = "Archive.ini",
     .prefix = "(COD)",
     .mark = "(K2011)"},
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Peltrand",
     .file = "Archive.ini",
     .prefix = "(AU)",
     .mark = "(K2011)"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Template.Chang",
     .file = "Changes.xml",
     .header = Header::None},
};

// A proxy's settings: in the common folder when they are there, else in the integrator's proxy folder.
constexpr CaptureRow proxy(std::string_view commonSub, std::string_view programSub, std::string_view file) {
    return {.kind = C::ByPath,
            .folder = F::Common,
            .sub = commonSub,
            .orFolder = F::Program,
            .orSub = programSub,
            .file = file,
            .prefix = "(Peltrand)"};
}

constexpr CaptureRow kProgramRows[] = {
    {.kind = C::ByPath, .folder = F::Program, .sub = "Client\\Integrator", .file = "PeltrandIntegrator.ini"},
    {.kind = C::Step, .step = integratorLog, .produces = "PeltrandIntegrator.log"},
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "Client\\Integrator\\Proxy_DX",
     .file = "DX_PropTab.ini",
     .prefix = "(Peltrand)"},
    proxy("\\Settings\\Proxy_TESSARIN", "Client\\Integrator\\Proxy_TESSARIN", "TessarinPropTab.ini"),
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "Client\\Integrator\\Proxy_MIRTAL3DSPDS",
     .file = "M3DSPDS_proxy.ini",
     .prefix = "(Peltrand)"},
    proxy("\\Settings\\Proxy_MIRTAL3D", "Client\\Integrator\\Proxy_MIRTAL3D", "M3DPropTab.ini"),
    proxy("\\Settings\\Proxy_MRCalc", "Client\\Integrator\\Proxy_MRCalc", "MRCalcPropTab.ini"),
    proxy("\\Settings\\Proxy_SolidWorks", "Client\\Integrator\\Proxy_SolidWorks", "SWPropTab.ini"),
    proxy("\\Settings\\Proxy_CAM", "Client\\Integrator\\Proxy_CAM", "CAM_proxy.ini"),
    proxy("\\Settings\\Proxy_AutoCAD", "Client\\Integrator\\Proxy_AutoCAD", "AutoCADPropTab.ini"),
    proxy("\\Settings\\Proxy_AD", "Client\\Integrator\\Proxy_AD", "eCADPropTab.ini"),
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\Effectivity",
     .file = "Effectivity.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\ARMTech",
     .file = "ARMTech.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\AltiumDesigner\\ElemLib",
     .file = "elCSV.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\RequestPlugin",
     .file = "RequestPlugin.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Common,
     .sub = "\\Settings\\RequestPlanPlugin",
     .file = "RequestPlanPlugin.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath, .folder = F::Program, .sub = "Client", .file = "Peltrand.ini"},
    {.kind = C::ByPath, .folder = F::Program, .sub = "Client", .file = "ClassifierESKD.ini"},
    {.kind = C::ByPath, .folder = F::Temp, .file = "PrintIT.log", .prefix = "(Peltrand)"},
    // The notification services keep their logs open while they run.
    {.kind = C::Locked,
     .folder = F::Temp,
     .sub = "\\TAVIR\\Peltrand\\Notification",
     .file = "CMCPeltrandMailService.log",
     .prefix = "(Peltrand)"},
    {.kind = C::Locked,
     .folder = F::Temp,
     .sub = "\\TAVIR\\Peltrand\\Notification",
     .file = "AutoNotificationListner.log",
     .prefix = "(Peltrand)",
     .gate = O::PeltrandLogs},
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Peltrand\\PWFAuditService\\",
     .file = "Audit.log",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Peltrand\\PWFAuditService\\",
     .file = "Monitoring.log",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Peltrand\\",
     .file = "SettingUpCOMPlus.log",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Peltrand\\",
     .file = "WFScriptLog.txt",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "Client\\Модуль АРХИВ",
     .file = "Archive.ini",
     .prefix = "(Peltrand)",
     .mark = "(K2009)"},
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "Client\\АРМ Технолога ПП",
     .orFolder = F::Program,
     .orSub = "Client\\АРМ технолога",
     .file = "TechARM.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "AppServer",
     .file = "PeltrandAppServerMain.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "AppServer",
     .file = "PeltrandAppServerMain.log",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::Program,
     .sub = "AppServer",
     .file = "PeltrandPasswd.ini",
     .prefix = "(Peltrand)"},
    // The same name as the change notices of the common folder: when present, this copy replaces that one.
    {.kind = C::ByPath,
     .folder = F::CommonFiles,
     .sub = "\\TAVIR Shared\\Template.Chang",
     .file = "changes.Ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\PELTRAND",
     .file = "Peltrand.ini",
     .prefix = "(Peltrand)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\Wrokan",
     .file = "Division.ini",
     .prefix = "(Wrokan)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\Wrokan",
     .file = "WrokanConf.ini",
     .prefix = "(Wrokan)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\Wrokan",
     .file = "config.xml",
     .prefix = "(Wrokan)",
     .header = Header::None},
};

constexpr CaptureRow kPluginStore[] = {{.kind = C::Inventory,
                                        .folder = F::AllUsersData,
                                        .sub = "\\TAVIR\\PELTRAND\\PluginStore\\",
                                        .prefix = "PeltrandPluginStore"}};
constexpr BranchRow kPlmBranches[] = {
    {.key = "SOFTWARE\\TAVIR\\Peltrand", .target = "(REG)Peltrand.txt"},
    {.key = "SOFTWARE\\TAVIR\\Wrokan", .target = "(REG)Wrokan.txt"},
};
constexpr std::string_view kProgramParts[] = {
    "\\Administrators", "\\Administrator", "\\Agent",  "\\AppServer", "\\Client",
    "\\Configurator",   "\\Import",        "\\Wrokan", "\\Sync",      "\\WorkFlow"};
constexpr CaptureRow kProgramListing[] = {
    {.kind = C::Listing, .folder = F::Program, .prefix = "Peltrand", .parts = kProgramParts}};

constexpr std::string_view kCommonParts[] = {"\\Etalons", "\\Settings", "\\PluginStore"};
constexpr CaptureRow kCommonDataRows[] = {
    {.kind = C::Listing, .folder = F::Common, .prefix = "COD", .parts = kCommonParts},
    {.kind = C::ByPath, .folder = F::Common, .sub = "\\Crypt", .file = "PCrypt.ini"},
    {.kind = C::ByPath, .folder = F::Common, .file = "PeltrandCommon.ini"},
    {.kind = C::ByPath, .folder = F::MasterCache, .file = "MasterCache.ini"},
};

constexpr std::string_view kSharedParts[] = {"\\CMC", "\\Peltrand", "\\Socket Proxy Server"};
constexpr CaptureRow kSharedRows[] = {{.kind = C::Listing,
                                       .folder = F::CommonFiles,
                                       .sub = "\\TAVIR Shared",
                                       .prefix = "TAVIR_Shared",
                                       .parts = kSharedParts}};

constexpr CaptureRow kKbPackages[] = {
    {.kind = C::PackageInventory, .file = "PeltrandKB.msi", .prefix = "PeltrandKB"},
    {.kind = C::PackageInventory, .file = "DeploymentService.msi", .prefix = "DeploymentService"},
    {.kind = C::PackageInventory, .file = "BPMAppServer.msi", .prefix = "BPMAppServer"},
    {.kind = C::PackageInventory, .file = "BridgeClientSetup.msi", .prefix = "BridgeClient"},
    {.kind = C::PackageInventory, .file = "BridgeServiceSetup.msi", .prefix = "BridgeService"},
};
constexpr BranchRow kKbBranches[] = {
    {.key = "SOFTWARE\\TAVIR\\Nerla", .target = "(REG)PeltrandKB_Nerla.txt", .line = BranchLine::Plain},
    {.key = "SOFTWARE\\TAVIR\\Setup", .target = "(REG)PeltrandKB_Setup.txt", .line = BranchLine::Plain},
    {.key = "SYSTEM\\CurrentControlSet\\Services\\bridged",
     .target = "(REG)TBS.txt",
     .line = BranchLine::Plain},
};

constexpr CaptureRow kModuleRows[] = {
    {.kind = C::ByPath, .folder = F::UserData, .sub = "\\TAVIR\\PeltrandPGS", .file = "PeltrandPGS.ini"},
    {.kind = C::Inventory, .folder = F::UserData, .sub = "\\TAVIR\\PeltrandPGS", .prefix = "PeltrandPGS"},
    {.kind = C::ByPath, .folder = F::UserData, .sub = "\\TAVIR\\PeltrandORD", .file = "PeltrandORD.ini"},
    {.kind = C::Inventory, .folder = F::UserData, .sub = "\\TAVIR\\PeltrandORD", .prefix = "PeltrandORD"},
};

constexpr RowTable kPeltrandTables[] = {
    {.name = "ПЕЛТРАН: общий каталог", .captures = kCommonRows},
    {.name = "ПЕЛТРАН: программа", .captures = kPluginStore, .branches = kPlmBranches},
    {.name = "ПЕЛТРАН: важные файлы", .captures = kProgramListing},
    {.name = "ПЕЛТРАН: настройки и журналы", .captures = kProgramRows},
};
constexpr RowTable kCommonDataTables[] = {{.name = "COD", .captures = kCommonDataRows}};
constexpr RowTable kSharedTables[] = {{.name = "TAVIR Shared", .captures = kSharedRows}};
constexpr RowTable kKbTables[] = {{.name = "ПЕЛТРАН:КБ", .captures = kKbPackages, .branches = kKbBranches}};
constexpr RowTable kModuleTables[] = {{.name = "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД", .captures = kModuleRows}};

void integratorLog(ProductSection& s) {
    std::string path;
    ReadIntegratorParameter(s, s.workPath("PeltrandIntegrator.ini"), "CommonOptions", "LogFileName", path,
                            s.folder(F::Program) + "Client\\Integrator");
    // Whatever the configured name, the copy is "PeltrandIntegrator.log".
    s.files().CaptureFile(path, "", "PeltrandIntegrator.log", "");
}

} // namespace

void ReadIntegratorParameter(ProductSection& section, const std::string& copyPath,
                             const std::string& iniSection, const std::string& entry, std::string& outPath,
                             const std::string& baseFolder) {
    const std::string quoted = "\"" + entry + "\"";
    if (!section.fileExists(copyPath)) {
        section.line("Не могу загрузить параметр: " + quoted +
                     " из \"PeltrandIntegrator.ini\", файл во временном каталоге не найден");
        return;
    }
    std::string text = ansiToUtf8(section.run().platform().files.readFile(copyPath).value_or(""));
    std::string value = IniFile::parse(text).getString(iniSection, entry, "");
    section.line("Загружен параметр: " + quoted + " из \"PeltrandIntegrator.ini\" = " + value);
    bool percent = value.find('%') != std::string::npos, colon = value.find(':') != std::string::npos;
    std::string rule;
    if (percent) {
        // "C:%TEMP%\x.log" has both: the variables are expanded all the same.
        outPath = section.run().platform().files.expandEnvironment(value);
        rule = "Параметр c \"%\" - ";
    } else if (colon) {
        outPath = value;
        rule = "Параметр без \"%\", но с \":\" - ";
    } else {
        outPath = baseFolder + "\\" + value;
        rule = "Параметр без \"%\" и без \":\" - ";
    }
    section.line(rule + quoted + " из \"peltrandIntegrator.ini\" после преобразования = " + outPath);
}

void ToolButton17Click(CollectionRun& run) {
    ProductSection s(run);
    const std::string& common = s.folder(F::Common);
    const std::string& program = s.folder(F::Program);
    std::string servicePack = s.readString(kLM, kTavirKey, "Peltrand", "SP");
    if (!servicePack.empty()) {
        s.line("\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Peltrand]");
        s.line("SP = " + servicePack);
    }
    s.line("CommonPath = " + common);
    if (!program.empty())
        s.line("Path = " + program + " (установлен ПЕЛТРАН)");

    s.walk(kCommonRows);
    if (s.on(O::Peltrand)) {
        if (program.empty()) {
            s.notInstalled("Peltrand");
        } else {
            s.walk(kPluginStore);
            s.walk(kPlmBranches);
            s.walk(kProgramListing);
        }
    }
    s.walk(kProgramRows);

    std::string workflow =
        s.readString(RegistryRoot::CurrentUser, "\\SOFTWARE\\TAVIR\\Peltrand", "WorkFlow", "Version");
    if (!workflow.empty())
        s.line("WorkFlow: [" + workflow + "]");
    s.line(" ");
}

void CollectCommonDataFolder(CollectionRun& run) {
    ProductSection s(run);
    s.folder(F::Common);
    s.folder(F::MasterCache); // both are read before anything is written
    if (!s.on(O::CommonData))
        return;
    if (s.folder(F::Common).empty()) {
        s.line("[-] Не могу получить список файлов COD. Не найден параметр реестра \"CommonPath\" в "
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Peltrand].");
        return;
    }
    s.blue("\r\nCOD:");
    s.walk(kCommonDataRows);
}

void CollectSharedFolder(CollectionRun& run) {
    ProductSection s(run);
    const std::string& shared = s.folder(F::CommonFiles);
    if (!s.on(O::SharedFolder))
        return;
    if (shared.empty())
        s.notInstalled("TAVIR Shared");
    else
        s.walk(kSharedRows);
}

void CollectPeltrandKB(CollectionRun& run) {
    ProductSection s(run);
    s.walk(kKbPackages);
    s.walk(kKbBranches);
}

void CollectPeltrandModules(CollectionRun& run) {
    ProductSection s(run);
    s.walk(kModuleRows);
}

const SectionDeclaration kPeltrandSection{
    .topic = {.gate = O::Peltrand,
              .caption = "ПЕЛТРАН",
              .skipLine = "[X] ПЕЛТРАН",
              .banner = "\r\n********************* ПЕЛТРАН *********************",
              .place = BannerPlace::BeforeCaption},
    .collect = ToolButton17Click,
    .tables = kPeltrandTables,
};

const SectionDeclaration kCommonDataSection{
    .topic = {.gate = O::CommonData,
              .caption = "COD",
              .skipLine = "[X] Не могу собрать \"COD\", не активна настройка"},
    .collect = CollectCommonDataFolder,
    .tables = kCommonDataTables,
};

const SectionDeclaration kSharedFolderSection{
    .topic = {.gate = O::SharedFolder,
              .caption = "TAVIR Shared",
              .skipLine = "[X] Не могу собрать \"TAVIR Shared\", не активна настройка"},
    .collect = CollectSharedFolder,
    .tables = kSharedTables,
};

const SectionDeclaration kPeltrandKBSection{
    .topic = {.gate = O::PeltrandKB,
              .caption = "ПЕЛТРАН:КБ ",
              .skipLine = "[X] ПЕЛТРАН:КБ",
              .banner = "\r\n********************* ПЕЛТРАН:КБ *********************",
              .place = BannerPlace::BeforeCaption},
    .collect = CollectPeltrandKB,
    .tables = kKbTables,
};

const SectionDeclaration kPeltrandModulesSection{
    .topic = {.gate = O::PeltrandModules,
              .caption = "ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД ",
              .skipLine = "[X] ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД",
              .banner = "\r\n********************* ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД *********************",
              .place = BannerPlace::BeforeCaption},
    .collect = CollectPeltrandModules,
    .tables = kModuleTables,
};

} // namespace kw
