// The technology family's rows and its procedural steps: the program and component facts of the CAPP
// product, the reference's database type.
#include "products/TechnologyFamily.h"

#include "core/CollectionRun.h"
#include "products/LogCopies.h"
#include "products/ProductSection.h"

namespace kw {
namespace {

using namespace rows;

constexpr BranchRow kTessarinBranch[] = {{.key = "SOFTWARE\\TAVIR\\Tessarin", .target = "(REG)Tessarin.txt"}};
constexpr CaptureRow kTessarinInventory[] = {{.kind = C::Inventory, .prefix = "Tessarin"}};

// The welding module's and the charts' settings in the program folder, the program's logs in the temporary
// folder.
constexpr CaptureRow kTessarinRows[] = {
    {.kind = C::Logs,
     .folder = F::Temp,
     .sub = "\\Tessarin\\Logs",
     .file = "*.csv",
     .prefix = "(Tmp)",
     .logs = &kTessarinLogs},
    {.kind = C::ByPath, .sub = "data", .file = "Data.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .sub = "Charts2", .file = "ReportManager.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .sub = "data", .file = "Integrity.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .sub = "Welding\\bin", .file = "ChangeOperCode.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .sub = "Welding\\bin", .file = "LinkModule.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .sub = "Welding\\bin", .file = "MisID.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .sub = "Welding\\bin", .file = "ModuleVars.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath,
     .sub = "Welding\\bin",
     .file = "ModuleVars.xml",
     .prefix = "(Tessarin)",
     .header = Header::None},
    {.kind = C::ByPath, .sub = "Welding\\bin", .file = "SeamControl.ini", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .folder = F::Temp, .file = "LogApp.log", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .folder = F::Temp, .file = "HBLogDebug.txt", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .folder = F::Temp, .file = "HBLogError.txt", .prefix = "(Tessarin)"},
    {.kind = C::ByPath, .folder = F::Temp, .file = "TechReferlog.txt", .prefix = "(Tessarin)"},
    {.kind = C::ByPath,
     .folder = F::Temp,
     .file = "TessarinLog.xml",
     .prefix = "(Tessarin)",
     .header = Header::None},
    {.kind = C::ByPath,
     .folder = F::Temp,
     .file = "HBLogError.xml",
     .prefix = "(Tessarin)",
     .header = Header::None},
};
// The PLM components the CAPP product loads, below its program folder.
constexpr std::string_view kTessarinComponents[] = {"bin\\PeltrandBtns.dll", "bin\\PeltrandX.ocx",
                                                    "bin\\PeltrandXConfig.ocx"};

constexpr BranchRow kHandbookBranch[] = {{.key = "SOFTWARE\\TAVIR\\Handbrix", .target = "(REG)Handbrix.txt"}};
constexpr CaptureRow kHandbookInventory[] = {{.kind = C::Inventory, .prefix = "Handbrix"}};

constexpr BranchRow kMatRateBranch[] = {{.key = "SOFTWARE\\TAVIR\\Matrate", .target = "(REG)Matrate.txt"}};
constexpr CaptureRow kMatRateRows[] = {
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\MatRate",
     .file = "Configurator.html",
     .prefix = "(MatRate)",
     .header = Header::None},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\MatRate",
     .file = "MatRate.cfg",
     .prefix = "(MatRate)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\MatRate",
     .file = "MatRate.html",
     .prefix = "(MatRate)",
     .header = Header::None},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\TAVIR\\MatRate",
     .file = "CalcEditor.html",
     .prefix = "(MatRate)",
     .header = Header::None},
    {.kind = C::ByPath, .sub = "Tools\\Tessarin", .file = "TV_Int.ini", .prefix = "(MatRate)"},
    {.kind = C::Inventory, .prefix = "Matrate"},
};

constexpr BranchRow kTaskRateBranch[] = {{.key = "SOFTWARE\\TAVIR\\TaskRate", .target = "(REG)TaskRate.txt"}};
constexpr CaptureRow kTaskRateInventory[] = {{.kind = C::Inventory, .prefix = "TaskRate"}};

constexpr RowTable kTessarinTables[] = {
    {.name = "САПР ТП ТЕССАРИН", .captures = kTessarinInventory, .branches = kTessarinBranch},
    {.name = "САПР ТП ТЕССАРИН: настройки и журналы", .captures = kTessarinRows},
};
constexpr RowTable kHandbookTables[] = {
    {.name = "Справочник технолога", .captures = kHandbookInventory, .branches = kHandbookBranch}};
constexpr RowTable kMatRateTables[] = {
    {.name = "Нормирование материалов", .captures = kMatRateRows, .branches = kMatRateBranch}};
constexpr RowTable kTaskRateTables[] = {
    {.name = "Нормирование трудозатрат", .captures = kTaskRateInventory, .branches = kTaskRateBranch}};

// The product's registered install folder in the section, "" when the product is not registered.
std::string installFolder(ProductSection& s, std::string_view product, const std::string& version) {
    s.setFolder(F::Install, s.readInstallFolderOrDirectory(product, version));
    return s.folder(F::Install);
}

void versionLines(ProductSection& s, const std::string& title, const std::string& value) {
    if (value.empty())
        return;
    s.line(" ");
    s.blue(title);
    s.line(value);
}

// A rating product: nothing at all unless it is registered with a version.
void collectRating(CollectionRun& run, std::string_view product, std::span<const BranchRow> branch,
                   std::span<const CaptureRow> rows) {
    ProductSection s(run);
    std::string version = s.readVersion(product);
    if (version.empty())
        return;
    s.walk(branch);
    s.setFolder(F::Install, s.readInstallFolder(product, version));
    s.walk(rows);
}

} // namespace

void CopyTessarinCsvLogs(ProductSection& section, const std::string& folder, const std::string& tag,
                         const std::string& mask) {
    CopyLogFiles(section, kTessarinLogs, folder, tag, mask);
}

void ToolButton10Click(CollectionRun& run) {
    ProductSection s(run);
    std::string version = s.readVersion("Tessarin");
    std::string install = installFolder(s, "Tessarin", version);
    s.banner("********************* САПР ТП ТЕССАРИН / Справочник технолога *********************");
    if (s.on(O::Tessarin)) {
        if (install.empty()) {
            s.notInstalled("Tessarin");
        } else {
            s.walk(kTessarinBranch);
            s.walk(kTessarinInventory);
        }
    }
    s.walk(kTessarinRows);

    std::string key = "\\SOFTWARE\\TAVIR\\Tessarin";
    std::string productVersion = s.readString(kLM, key, version, "ProductVersion");
    std::string program = s.readString(kLM, key, version, "Directory");
    if (!program.empty() && s.fileExists(program + "bin\\Tessarin.exe")) {
        s.line(" ");
        s.blue("Файл: " + program + "bin\\Tessarin.exe");
        s.line(s.fileAndVersionLine(program + "bin\\Tessarin.exe"));
    }
    for (std::string_view component : kTessarinComponents) {
        std::string path = program + std::string(component);
        if (!program.empty() && s.fileExists(path))
            s.fileFacts(path);
    }
    versionLines(s, "Версия Tessarin " + version + ":", productVersion);
}

void ToolButton9Click(CollectionRun& run) {
    ProductSection s(run);
    std::string version = s.readVersion("Handbrix");
    std::string install = installFolder(s, "Handbrix", version);
    if (!install.empty() && s.fileExists(install + "TechReference.exe")) {
        s.line(" ");
        s.blue("TechReference.exe");
        s.line(s.fileAndVersionLine(install + "TechReference.exe"));
        // The reference is part of the CAPP product's delivery: where it is installed, its folder is
        // listed with that product's option.
        if (s.on(O::Tessarin)) {
            s.walk(kHandbookBranch);
            s.walk(kHandbookInventory);
        }
    }
    std::string key = "\\SOFTWARE\\TAVIR\\Handbrix";
    versionLines(s, "Версия УТС " + version + ":", s.readString(kLM, key, version, "ProductVersion"));
    versionLines(s,
                 "SQLServer УТС:", s.readString(kLM, key + "\\" + version, "BDConnection", "TypeSQLServer"));
}

void CollectMatRate(CollectionRun& run) {
    collectRating(run, "Matrate", kMatRateBranch, kMatRateRows);
}
void CollectTaskRate(CollectionRun& run) {
    collectRating(run, "TaskRate", kTaskRateBranch, kTaskRateInventory);
}

const SectionDeclaration kTessarinSection{
    .topic = {.gate = O::Tessarin, .caption = "САПР ТП ТЕССАРИН ", .skipLine = "[X] САПР ТП ТЕССАРИН"},
    .collect = ToolButton10Click,
    .tables = kTessarinTables,
};

const SectionDeclaration kHandbookSection{
    .topic = {.gate = O::Handbook,
              .caption = "Справочник технолога ",
              .skipLine = "[X] Справочник технолога"},
    .collect = ToolButton9Click,
    .tables = kHandbookTables,
};

const SectionDeclaration kMatRateSection{
    .topic = {.gate = O::MatRate,
              .caption = "Нормирование материалов ",
              .skipLine = "[X] Нормирование материалов"},
    .collect = CollectMatRate,
    .tables = kMatRateTables,
};

const SectionDeclaration kTaskRateSection{
    .topic = {.gate = O::TaskRate,
              .caption = "Нормирование трудозатрат ",
              .skipLine = "[X] Нормирование трудозатрат"},
    .collect = CollectTaskRate,
    .tables = kTaskRateTables,
};

} // namespace kw
