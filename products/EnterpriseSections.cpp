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

enum class LogCheck {
    TestedFirst, // the log's existence is tested before the copy
    CopyTried,   // the copy is tried whatever is there
};
// The suite's installations, newest first: an older one is looked at only when the newer is not registered.
struct SuiteEdition {
    const char* uninstallKey;
    const char* log;
    LogCheck check;
};
constexpr SuiteEdition kSuiteEditions[] = {
    {.uninstallKey = "КОМПЛЕКС РЕШЕНИЙ ТАВИР 2013",
     .log = "Complex2013Install.log",
     .check = LogCheck::TestedFirst},
    {.uninstallKey = "КОМПЛЕКС РЕШЕНИЙ ТАВИР 2011",
     .log = "Complex2011Install.log",
     .check = LogCheck::CopyTried},
};
constexpr CaptureRow kSuiteFiles[] = {
    {.kind = C::Step, .produces = "Install_log.csv"},
    {.kind = C::Step, .produces = "Complex2013Install.log"},
    {.kind = C::Step, .produces = "Complex2011Install.log"},
};

constexpr RowTable kMorvantideTables[] = {
    {.name = "МОРВАНТАЙД", .captures = kMorvantideRows, .branches = kMorvantideBranch},
    {.name = "МОРВАНТАЙД: список файлов", .captures = kMorvantideInventory},
};
constexpr RowTable kQuadrixTables[] = {
    {.name = "КВАДРИКС:MDM", .captures = kQuadrixRows, .branches = kQuadrixBranch}};
constexpr RowTable kFerryTables[] = {{.name = "Ferry-OAK", .captures = kFerryRows}};
constexpr RowTable kSuiteTables[] = {{.name = "Журналы установки КОМПЛЕКСа", .captures = kSuiteFiles}};

void appendQuadrixTemplates(ProductSection& s) {
    s.inventory().InventoryFolderPart(quadrixTemplateFolder(s.folder(F::Install)), "Quadrix",
                                      InventoryPart::AppendTree);
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
        if ((edition.check == LogCheck::CopyTried || s.fileExists(source)) && isAbsolutePath(source) &&
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

const SectionDeclaration kMorvantideSection{
    .topic = {.gate = O::Morvantide, .caption = "МОРВАНТАЙД ", .skipLine = "[X] МОРВАНТАЙД"},
    .collect = CollectMorvantide,
    .tables = kMorvantideTables,
};

const SectionDeclaration kQuadrixSection{
    .topic = {.gate = O::Quadrix,
              .caption = "КВАДРИКС:MDM ",
              .skipLine = "[X] КВАДРИКС:MDM",
              .banner = "\r\n********************* КВАДРИКС:MDM *********************",
              .place = BannerPlace::BeforeCaption},
    .collect = CollectQuadrix,
    .tables = kQuadrixTables,
};

const SectionDeclaration kFerryOakSection{
    .topic = {.gate = O::FerryOak,
              .caption = "Ferry-OAK ",
              .skipLine = "[X] Ferry-OAK",
              .banner = "\r\n********************* Ferry-OAK *********************",
              .place = BannerPlace::BeforeCaption},
    .collect = CollectFerryLogs,
    .tables = kFerryTables,
};

// The section tests its own option and writes its own lines; the caption names it in a failure line.
const SectionDeclaration kSuiteInstallLogsSection{
    .topic = {.caption = "Журналы установки КОМПЛЕКСа", .announce = Announce::None},
    .collect = CollectSuiteInstallLogs,
    .tables = kSuiteTables,
};

} // namespace kw
