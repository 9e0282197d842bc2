// The rows of the data and enterprise sections and their few procedural steps.
#include "products/EnterpriseSections.h"

#include "core/CollectionRun.h"
#include "platform/Text.h"
#include "products/LogCopies.h"
#include "products/ProductSection.h"

namespace kw {
namespace {

using namespace rows;

constexpr BranchRow kMorvantideBranch[] = {
    {.key = "SOFTWARE\\TAVIR\\Morvantide", .target = "(REG)Morvantide.txt"}};
// The INI's path is registered as a whole: its copy is "(Morvantide)" with nothing after it.
constexpr CaptureRow kMorvantideRows[] = {
    {.kind = C::ByFolder, .folder = F::ProductFile, .prefix = "Morvantide"},
};
constexpr CaptureRow kMorvantideInventory[] = {{.kind = C::Inventory, .prefix = "Morvantide"}};

void appendQuadrixTemplates(ProductSection& s);

constexpr BranchRow kQuadrixBranch[] = {{.key = "SOFTWARE\\TAVIR\\Quadrix", .target = "(REG)Quadrix.txt"}};
constexpr CaptureRow kQuadrixRows[] = {
    {.kind = C::Unicode,
     .folder = F::UserData,
     .sub = "\\Tavir\\Quadrix\\",
     .file = "QuadrixClient.Log",
     .prefix = "(Quadrix)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\Tavir\\Quadrix",
     .file = "ClientConfiguration.xml",
     .prefix = "(Quadrix)"},
    {.kind = C::ByPath,
     .folder = F::MasterCache,
     .sub = "\\Quadrix\\",
     .file = "Configuration.xml",
     .prefix = "(Quadrix)"},
    {.kind = C::ByPath,
     .folder = F::UserData,
     .sub = "\\Tavir\\Quadrix\\Libs",
     .file = "QuadrixMatMirtal.cfg",
     .prefix = "(Quadrix)"},
    {.kind = C::Inventory, .prefix = "Quadrix"},
    {.kind = C::Step, .step = appendQuadrixTemplates},
};

// The logs of the document-management product, its editions, server and tools, per user and per machine.
constexpr CaptureRow ferry(Folder folder, std::string_view sub, std::string_view tag, std::string_view mask) {
    return {.kind = C::Logs, .folder = folder, .sub = sub, .file = mask, .prefix = tag, .logs = &kFerryLogs};
}
constexpr CaptureRow kFerryRows[] = {
    ferry(F::UserData, "\\Tavir\\Ferry-OAK\\Logs\\", "(AppData_Ferry-OAK)", "*.log"),
    ferry(F::UserData, "\\Tavir\\Ferry-OAK Enterprise\\Logs\\", "(AppData_FOEnterprise)", "*.log"),
    ferry(F::UserData, "\\Tavir\\Ferry-myAdmin\\Logs\\", "(AppData_Ferry-myAdmin)", "*.log"),
    ferry(F::UserData, "\\Tavir\\Ferry-XPS\\Logs\\", "(AppData_Ferry-XPS)", "*.log"),
    ferry(F::AllUsersData, "\\Tavir\\Ferry Server\\Logs\\", "(PData_FServer)", "*.log"),
    ferry(F::AllUsersData, "\\Tavir\\FerryUpdater\\InstallLog\\", "(PData_FerryUpInst)", "*.log"),
    ferry(F::AllUsersData, "\\Tavir\\FerryUpdater\\Logs\\", "(PData_FerryUp)", "*.log"),
    ferry(F::AllUsersData, "\\Tavir\\SearchServer\\Logs\\", "(PData_SearchServer)", "*.log"),
    ferry(F::Temp, "", "(Tmp)", "ferry*.log"),
    ferry(F::Windows, "\\Temp\\", "(WTmp)", "ferry*.log"),
};

// The suite's installations, newest first: an older one is looked at only when the newer is not registered.
struct SuiteEdition {
    const char* uninstallKey;
    const char* log;
    bool testFirst; // the log's existence is tested before the copy
};
constexpr SuiteEdition kSuiteEditions[] = {
    {"КОМПЛЕКС РЕШЕНИЙ ТАВИР 2013", "Complex2013Install.log", true},
    {"КОМПЛЕКС РЕШЕНИЙ ТАВИР 2011", "Complex2011Install.log", false},
};
constexpr CaptureRow kSuiteFiles[] = {
    {.kind = C::Step, .produces = "Install_log.csv"},
    {.kind = C::Step, .produces = "Complex2013Install.log"},
    {.kind = C::Step, .produces = "Complex2011Install.log"},
};

const RowTable kTables[] = {
    {"МОРВАНТАЙД", kMorvantideRows, kMorvantideBranch},
    {"МОРВАНТАЙД: список файлов", kMorvantideInventory, {}},
    {"КВАДРИКС:MDM", kQuadrixRows, kQuadrixBranch},
    {"Ferry-OAK", kFerryRows, {}},
    {"Журналы установки КОМПЛЕКСа", kSuiteFiles, {}},
};

void appendQuadrixTemplates(ProductSection& s) {
    s.inventory().InventoryFolderPart(quadrixTemplateFolder(s.folder(F::Install)), "Quadrix", "");
}

} // namespace

std::string quadrixTemplateFolder(const std::string& installFolder) {
    size_t first = installFolder.find_first_not_of(' '), last = installFolder.find_last_not_of(' ');
    std::string folder =
        first == std::string::npos ? std::string() : installFolder.substr(first, last - first + 1);
    std::string out;
    for (size_t i = 0; i < folder.size();) {
        if (i + 4 <= folder.size() && folder[i] == '\\' &&
            sameTextIgnoringCase(folder.substr(i, 4), "\\Bin")) {
            out += "\\Templates\\FullBase";
            i += 4;
        } else {
            out += folder[i++];
        }
    }
    return out;
}

void CopyFerryLogs(ProductSection& section, const std::string& folder, const std::string& tag,
                   const std::string& mask) {
    CopyLogFiles(section, kFerryLogs, folder, tag, mask);
}

void CollectMorvantide(CollectionRun& run) {
    ProductSection s(run);
    std::string version = s.readVersion("Morvantide");
    s.setFolder(F::Install, s.readInstallFolder("Morvantide", version));
    s.setFolder(F::ProductFile, s.readInstallFolder("Morvantide", version, "IniFileName"));
    if (s.on(O::Morvantide)) {
        if (s.folder(F::Install).empty()) {
            s.notInstalled("Morvantide");
        } else {
            s.banner("********************* Morvantide V" + version + " *********************");
            s.walk(kMorvantideRows);
            s.walk(kMorvantideBranch);
            s.walk(kMorvantideInventory);
        }
    }
    s.line(" ");
}

void CollectQuadrix(CollectionRun& run) {
    ProductSection s(run);
    s.folder(F::MasterCache);
    s.setFolder(F::Install, s.readString(kLM, kTavirKey, "Quadrix", "InstallPath"));
    if (s.folder(F::Install).empty()) {
        s.notInstalled("Quadrix");
        return;
    }
    s.walk(kQuadrixBranch);
    s.walk(kQuadrixRows);
}

void CollectFerryLogs(CollectionRun& run) {
    ProductSection s(run);
    s.walk(kFerryRows);
}

void CollectSuiteInstallLogs(CollectionRun& run) {
    ProductSection s(run);
    if (!s.on(O::SuiteLogs)) {
        s.line("[X] Журналы установки КОМПЛЕКСа");
        return;
    }
    std::vector<std::string> table = {kLogTableHeader};
    s.run().captureBuffer().setLines(table);
    s.blue("\r\nЖурналы установки КОМПЛЕКСа:");
    FileSystem& files = run.platform().files;
    for (const SuiteEdition& edition : kSuiteEditions) {
        std::string location = s.readString(kLM, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                            edition.uninstallKey, "InstallLocation");
        if (location.empty())
            continue;
        std::string source = location + "\\" + edition.log;
        // A failed copy writes nothing; the table is saved all the same.
        if ((!edition.testFirst || s.fileExists(source)) && isAbsolutePath(source) &&
            !files.copyFileNoReplace(source, s.workPath(edition.log))) {
            s.line("[" + source + "] ---> \"" + edition.log + "\"");
            table.push_back(logTableRow(s, edition.log, location));
            s.run().captureBuffer().append(table.back());
        }
        break;
    }
    std::string text;
    for (const std::string& row : table)
        text += row + "\r\n";
    if (!files.writeFile(s.workPath("Install_log.csv"), utf8ToAnsi(text)))
        s.line("[!!] Не удалось записать файл Install_log.csv");
}

std::span<const RowTable> enterpriseRowTables() {
    return kTables;
}

} // namespace kw
