// The catalogue family's rows and its procedural steps: the catalogue folder found by its subkey, the RD
// service's export, the standard-parts library's storage and common settings, the edition lookup.
#include "products/CatalogueFamily.h"

#include "core/CollectionRun.h"
#include "core/ConsoleCapture.h"
#include "platform/Text.h"
#include "products/EditionTable.h"
#include "products/ProductSection.h"

namespace kw {
namespace {

using namespace rows;

constexpr BranchRow kMaterialsAppId[] = {
    {.key = "SOFTWARE\\Classes\\AppID\\{418F55FF-BD08-42FC-9ECB-D288B3FDF148}",
     .target = "(REG)418F55FF.txt"}};
constexpr CaptureRow kMaterialsUserSettings[] = {{.kind = C::ByPath,
                                                  .folder = F::UserData,
                                                  .sub = "\\Tavir\\MATERIALS",
                                                  .file = "config.xml",
                                                  .prefix = "(Materials)",
                                                  .header = Header::None}};
constexpr BranchRow kLibraryBranch[] = {
    {.key = "SOFTWARE\\TAVIR\\MaterialsLib", .target = "(REG)MaterialsLib.txt"}};
constexpr CaptureRow kLibraryInventory[] = {{.kind = C::Inventory, .prefix = "MaterialsLib"}};
constexpr BranchRow kCatalogueBranch[] = {
    {.key = "SOFTWARE\\TAVIR\\Materials", .target = "(REG)Materials.txt"}};
constexpr CaptureRow kCatalogueRows[] = {
    {.kind = C::Inventory, .prefix = "Materials"},
    {.kind = C::ByPath,
     .sub = "\\Administrator\\RDService",
     .file = "RDService.ini",
     .prefix = "(Materials)"},
    {.kind = C::ByPath, .sub = "\\Utils", .file = "SetDCOM.log", .prefix = "(Materials)"},
};
constexpr CaptureRow kAdministratorRows[] = {
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Administrator",
     .file = "Administrator.ini",
     .prefix = "(AU)"},
    {.kind = C::ByPath,
     .folder = F::AllUsersData,
     .sub = "\\TAVIR\\Administrator",
     .file = "ConnectionConfig.ini",
     .prefix = "(AU)"},
};
// What the RD service's export and the settings report write, for the tree's sake.
constexpr CaptureRow kMaterialsFiles[] = {
    {.kind = C::Step, .produces = "(REG)RDService.txt"},
    {.kind = C::Step, .produces = "(Materials)Set.txt"},
};

constexpr BranchRow kUnitBranches[] = {
    {.key = "SOFTWARE\\TAVIR\\Dazudadurir", .target = "(REG)Dazudadurir.txt"},
    {.key = "SOFTWARE\\TAVIR\\MeasurementLib", .target = "(REG)MeasurementLib.txt"},
};
constexpr CaptureRow kUnitInventories[] = {
    {.kind = C::Inventory, .prefix = "Dazudadurir"},
    {.kind = C::Inventory, .prefix = "MeasurementLib"},
};

constexpr BranchRow kElemLib64[] = {
    {.key = "SOFTWARE\\TAVIR\\ELEMLib\\",
     .target = "(REG)(64)ELEMLib.txt",
     .view = RegistryView::Wow64_64,
     .line = BranchLine::Indented64},
    {.root = kCU,
     .key = "SOFTWARE\\TAVIR\\ELEMLib\\",
     .target = "(REG)(64)HKCU_ELEMLib.txt",
     .view = RegistryView::Wow64_64,
     .line = BranchLine::Indented64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D\\AddIns\\",
     .target = "(REG)(64)MIR_ELEMLib.txt",
     .view = RegistryView::Wow64_64,
     .line = BranchLine::Indented64},
};
constexpr BranchRow kElemLib[] = {
    {.key = "SOFTWARE\\TAVIR\\ELEMLib\\", .target = "(REG)ELEMLib.txt"},
    {.root = kCU, .key = "SOFTWARE\\TAVIR\\ELEMLib\\", .target = "(REG)HKCU_ELEMLib.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D\\AddIns\\", .target = "(REG)MIR_ELEMLib.txt"},
};
// The server's, all users' and the user's logs of the library, in UTF-16.
constexpr CaptureRow kElemLibRows[] = {
    {.kind = C::Inventory, .sub = "\\Clients", .prefix = "ELEMLib_Clients"},
    {.kind = C::Inventory, .sub = "\\Server", .prefix = "ELEMLib_Server"},
    {.kind = C::Unicode, .sub = "\\Server\\", .file = "ELEMLibServer.log", .prefix = "(ELEMLib)(PF)"},
    {.kind = C::Unicode, .sub = "\\Server\\", .file = "conv.log", .prefix = "(ELEMLib)(PF)"},
    {.kind = C::Unicode,
     .folder = F::AllUsersData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "ELEMLibServer.log",
     .prefix = "(ELEMLib)(AU)"},
    {.kind = C::Unicode,
     .folder = F::AllUsersData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "conv.log",
     .prefix = "(ELEMLib)(AU)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "ELEMLibClient.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "ELEMLibServer.log",
     .prefix = "(ELEMLib)(AD)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "CMCElemLib.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "elIndexation.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "elclient_acad.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "Import.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "Files.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "Export.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "elclient_mirtal.log",
     .prefix = "(ELEMLib)"},
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\ELEMLIB\\",
     .file = "conv.log",
     .prefix = "(ELEMLib)(AD)"},
};
constexpr CaptureRow kElemLibFiles[] = {
    {.kind = C::Step, .produces = "(ELEMLib)ElemlibCMC.ini"},
    {.kind = C::Step, .produces = "ElemlibCMC.ini"},
    {.kind = C::Permissions, .prefix = "ELEMLib"},
    {.kind = C::Step, .produces = "(ELEMLib)DataSets_Files.csv"},
    {.kind = C::Step, .produces = "(cmd)(ELEMLib)Vault_cacls.txt"},
    {.kind = C::ByFolder, .sub = "\\DataSets\\", .file = "ElemlibBase.ini", .prefix = "ELEMLib"},
    {.kind = C::Step, .produces = kHotfixTable},
};

constexpr RowTable kMaterialsTables[] = {
    {.name = "Rudazizod o Ridaduvodu", .captures = kMaterialsUserSettings, .branches = kMaterialsAppId},
    {.name = "Rudazizod o Ridaduvodu: библиотека", .captures = kLibraryInventory, .branches = kLibraryBranch},
    {.name = "Rudazizod o Ridaduvodu: справочник", .captures = kCatalogueRows, .branches = kCatalogueBranch},
    {.name = "Rudazizod o Ridaduvodu: администратор", .captures = kAdministratorRows},
    {.name = "Rudazizod o Ridaduvodu: отчёт", .captures = kMaterialsFiles},
};
constexpr RowTable kUnitTables[] = {
    {.name = "Единицы измерения", .captures = kUnitInventories, .branches = kUnitBranches}};
constexpr RowTable kElemLibTables[] = {
    {.name = "ELEMLib (64)", .branches = kElemLib64},
    {.name = "ELEMLib", .captures = kElemLibRows, .branches = kElemLib},
    {.name = "ELEMLib: хранилище и настройки", .captures = kElemLibFiles},
};

// A product that is there when it has a version: its branch and the inventory of its folder.
void collectVersioned(ProductSection& s, std::string_view product, const BranchRow& branch,
                      const CaptureRow& inventory) {
    std::string version = s.readVersion(product);
    if (version.empty())
        return;
    s.exportBranch(branch);
    s.setFolder(F::Install, s.readInstallFolder(product, version));
    s.capture(inventory);
}

// The RD service's registration, exported by the registry tool and converted from its UTF-16.
void exportDispatcherService(ProductSection& s) {
    ConsoleCapture console(s.run());
    console.startRegistryExport(
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\srvResourceDispatcher", "RDService");
    // The tool is awaited (with the run's time-out), so that a slow machine does not lose the file.
    console.waitForRegistryExports();
    if (!console.convertRegistryExport("RDService", ConsoleCapture::Missing::LeftToCaller))
        s.line("[-] (REG)RDService.txt");
}

// The catalogue's folder: that of its version, or of the subkey that holds one.
std::string catalogueFolder(ProductSection& s) {
    std::string version = s.readVersion("Materials");
    if (!version.empty())
        return s.readInstallFolder("Materials", version);
    std::string subkey =
        s.registry().FindRegistrySubkeyWithValue(kLM, "SOFTWARE\\TAVIR\\Materials", "InstallPath");
    return subkey.empty() ? std::string() : s.readString(kLM, subkey, "", "InstallPath");
}

// The library's settings shared by all its programs: a plain copy stays beside the captured one.
void captureCommonSettings(ProductSection& s) {
    std::string path = s.folder(F::SharedFiles) + "\\TAVIR Shared\\ELEMLIB\\ElemlibCMC.ini";
    if (!s.fileExists(path))
        return;
    FileCapture& files = s.files();
    std::string copy = s.workPath("ElemlibCMC.ini");
    if (!files.ShellCopyFile(path, copy))
        s.line("Copy Failed ElemlibCMC.ini");
    std::string text;
    files.ReadWholeFile(copy, text);
    text = text.substr(0, text.find('\0')); // a text copy ends at a NUL
    std::string header = utf8ToAnsi("ElemlibCMC.ini: [" + path + "]\r\n" + kHeaderRule + "\r\n\r\n");
    if (!s.run().platform().files.writeFile(s.workPath("(ELEMLib)ElemlibCMC.ini"), header + text)) {
        s.line("[!!] Не удалось записать файл (ELEMLib)ElemlibCMC.ini");
        return;
    }
    s.line(" ");
    s.line("ElemlibCMC.ini ---> \"(ELEMLib)ElemlibCMC.ini\"");
}

// The storage of the library's data sets, named by the server's options.
void listStorage(ProductSection& s, const std::string& storage) {
    if (storage.empty()) {
        s.line("Не могу получить список файлов хранилища ELEMLib, нет параметра реестра");
        return;
    }
    if (!s.run().platform().files.folderExists(storage)) {
        s.line("Не могу получить список файлов хранилища ELEMLib, каталог не найден.");
        return;
    }
    s.blue("\r\nХранилище: ");
    s.line("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\ElemLib\\Server\\Options]");
    s.line("\"DATALINK\"=\"" + storage);
    s.line("Список файлов ELEMLib в папке [" + storage +
           "\\DataSets\\] ---> \"(ELEMLib)DataSets_Files.csv\"");
    s.inventory().ListFolderInto(storage + "\\DataSets", "(ELEMLib)DataSets_Files.csv");
    s.inventory().DumpPermissionsTo(storage, "(cmd)(ELEMLib)Vault_cacls.txt");
}

// A value of the library's keys: the 32-bit view first, then the 64-bit one, where a 64-bit library keeps it.
std::string elemLibValue(ProductSection& s, const std::string& key, const std::string& subkey,
                         const std::string& value) {
    std::string text = s.readString(kLM, key, subkey, value);
    return text.empty() ? s.registry().ReadRegistryString64(kLM, key, subkey, value) : text;
}

} // namespace

void CollectMaterials(CollectionRun& run) {
    ProductSection s(run);
    if (s.on(O::Materials)) {
        s.walk(kMaterialsAppId);
        exportDispatcherService(s);
        s.walk(kMaterialsUserSettings);
        collectVersioned(s, "MaterialsLib", kLibraryBranch[0], kLibraryInventory[0]);
        std::string folder = catalogueFolder(s);
        if (!folder.empty()) {
            s.setFolder(F::Install, folder);
            s.walk(kCatalogueBranch);
            s.walk(kCatalogueRows);
        }
    }
    s.walk(kAdministratorRows);
    ComposeMaterialsReport(run);
}

void CollectUnits(CollectionRun& run) {
    ProductSection s(run);
    collectVersioned(s, "Dazudadurir", kUnitBranches[0], kUnitInventories[0]);
    collectVersioned(s, "MeasurementLib", kUnitBranches[1], kUnitInventories[1]);
}

void ToolButton21Click(CollectionRun& run) {
    ProductSection s(run);
    s.banner("********************* ELEMLib *********************");
    if (s.registry().IsWow64())
        s.walk(kElemLib64);
    std::string folder = elemLibValue(s, kTavirKey, "ELEMLib", "Path");
    if (folder.empty())
        return;
    s.setFolder(F::Install, folder);
    if (s.on(O::StandardParts)) {
        if (!s.run().platform().files.folderExists(folder)) {
            s.line("Не могу получить список файлов ELEMLib, каталог не найден.");
        } else {
            s.walk(kElemLibRows);
            captureCommonSettings(s);
            s.walk(kElemLib);
            s.dumpPermissions(folder, "ELEMLib");
        }
    }
    // A 64-bit server keeps its options in the 64-bit view, as the library keeps its folder.
    std::string storage = elemLibValue(s, "\\SOFTWARE\\TAVIR\\ELEMLib\\Server", "Options", "DATALINK");
    if (s.on(O::StandardParts))
        listStorage(s, storage);
    s.setFolder(F::Install, storage);
    s.capture(kElemLibFiles[5]);
}

void MatchEditionRows(CollectionRun& run, const std::string& fileName, const std::string& folder) {
    const EditionTable& table = EditionTable::builtIn();
    // Most files are no component: they cost one look-up and no file access.
    if (table.rowsOf(fileName).empty())
        return;
    FileSystem& files = run.platform().files;
    std::string path = collapseSeparators(folder) + fileName;
    const EditionRow* row = table.match(fileName, files.fileSize(path), FileVersionText(files, path));
    if (row)
        FileInventory(run).AddHotfixRow(fileName, folder, row->label);
}

const SectionDeclaration kMaterialsSection{
    .topic = {.gate = O::Materials,
              .caption = "Rudazizod o Ridaduvodu ",
              .skipLine = "[X] Rudazizod o Ridaduvodu",
              .banner = "\r\n********************* DiZ *********************",
              .place = BannerPlace::AfterCaption},
    .collect = CollectMaterials,
    .tables = kMaterialsTables,
};

// The units of measure have no option: they are looked for in every run.
const SectionDeclaration kUnitsSection{
    .topic = {.caption = "Единицы измерения "},
    .collect = CollectUnits,
    .tables = kUnitTables,
};

const SectionDeclaration kStandardPartsSection{
    .topic = {.gate = O::StandardParts,
              .caption = "Стандартные Изделия ",
              .skipLine = "[X] Стандартные Изделия"},
    .collect = ToolButton21Click,
    .tables = kElemLibTables,
};

} // namespace kw
