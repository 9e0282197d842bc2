// The CAD family's rows and its procedural steps: the registered folder with its "App Paths" fallback,
// the INI-driven libraries and system folders, the converter, the COM registration and the electrical
// add-on.
#include "products/CadFamily.h"

#include <array>

#include "core/CollectionRun.h"
#include "core/FileInventory.h"
#include "platform/Text.h"
#include "products/ProductSection.h"
#include "settings/IniFile.h"

namespace kw {
namespace {

using namespace rows;

// Every registration the CAD products and their libraries leave, as 32-bit and as 64-bit programs see it.
constexpr BranchRow kRegistrations[] = {
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D", .target = "(REG)HKLM_MIRTAL-3D_.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D HOME", .target = "(REG)HKLM_MIRTAL-3D_HOME_.txt"},
    {.key = "SOFTWARE\\TAVIR\\Mirtal", .target = "(REG)HKLM_Mirtal.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D LT", .target = "(REG)HKLM_MIRTAL-3D_LT.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL LT", .target = "(REG)HKLM_MIRTAL_LT.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D SE", .target = "(REG)HKLM_MIRTAL-3D_SE.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL Viewer", .target = "(REG)HKLM_MIRTAL_Viewer.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D Viewer", .target = "(REG)HKLM_MIRTAL-3D_Viewer.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-SPDS", .target = "(REG)HKLM_MIRTAL-SPDS.txt"},
    {.key = "SOFTWARE\\TAVIR\\Classifier", .target = "(REG)HKLM_Classifier.txt"},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D", .target = "(REG)(64)HKLM_MIRTAL-3D_.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D HOME", .target = "(REG)(64)HKLM_MIRTAL-3D_HOME_.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\Mirtal", .target = "(REG)(64)HKLM_Mirtal.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D LT", .target = "(REG)(64)HKLM_MIRTAL-3D_LT.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL LT", .target = "(REG)(64)HKLM_MIRTAL_LT.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D SE", .target = "(REG)(64)HKLM_MIRTAL-3D_SE.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL Viewer", .target = "(REG)(64)HKLM_MIRTAL_Viewer.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-3D Viewer", .target = "(REG)(64)HKLM_MIRTAL-3D_Viewer.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\MIRTAL-SPDS", .target = "(REG)(64)HKLM_MIRTAL-SPDS.txt", .view = k64},
    {.key = "SOFTWARE\\TAVIR\\Classifier", .target = "(REG)(64)HKLM_Classifier.txt", .view = k64},
};

// One CAD product: the main program, or its home or viewer edition installed on its own.
struct Edition {
    std::string_view product;                    // its key under "\SOFTWARE\TAVIR"
    std::string_view bannerName;                 // after the version in the banner; none for the main program
    std::string_view debugName;                  // in the debug lines of its folders; none: no such lines
    std::string_view shortName;                  // in the "нет параметра реестра" line
    std::span<const std::string_view> iniCopies; // the first captured INI that exists names the folders
    std::array<BranchRow, 1> branch;
    std::span<const CaptureRow> permissions, inis, inventories, libraries;
};

constexpr CaptureRow kMainPermissions[] = {{.kind = C::Permissions, .prefix = "MIRTAL"}};
constexpr CaptureRow kMainInis[] = {
    {.kind = C::ByFolder, .sub = "\\bin\\", .file = "MIRTAL.ini", .prefix = "MIRTAL"},
    {.kind = C::ByFolder, .sub = "\\bin\\", .file = "mHome.ini", .prefix = "MIRTAL"},
};
constexpr std::string_view kMainIniCopies[] = {"(MIRTAL)MIRTAL.ini", "(MIRTAL)mHome.ini"};
constexpr CaptureRow kMainInventories[] = {
    {.kind = C::Inventory, .sub = "Bin", .prefix = "MIRTAL_Bin"},
    {.kind = C::Inventory, .folder = F::System, .prefix = "MIRTAL_sys"},
};
constexpr CaptureRow kMainLibraries[] = {
    {.kind = C::Inventory, .folder = F::Libraries, .prefix = "MIRTAL_Libs", .gate = O::MirtalLibs}};

constexpr CaptureRow kHomePermissions[] = {{.kind = C::Permissions, .prefix = "MIRTAL_Home"}};
constexpr CaptureRow kHomeInis[] = {
    {.kind = C::ByFolder, .sub = "\\bin\\", .file = "mHome.ini", .prefix = "MIRTAL_Home"}};
constexpr std::string_view kHomeIniCopies[] = {"(MIRTAL_Home)mHome.ini"};
constexpr CaptureRow kHomeInventories[] = {
    {.kind = C::Inventory, .sub = "Bin", .prefix = "MIRTAL_Home_Bin"},
    {.kind = C::Inventory, .folder = F::System, .prefix = "MIRTAL_Home_sys"},
};
constexpr CaptureRow kHomeLibraries[] = {
    {.kind = C::Inventory, .folder = F::Libraries, .prefix = "MIRTAL_Home_Libs", .gate = O::MirtalLibs}};

constexpr CaptureRow kViewerPermissions[] = {{.kind = C::Permissions, .prefix = "MIRTAL_Viewer"}};
constexpr CaptureRow kViewerInis[] = {
    {.kind = C::ByFolder, .sub = "\\bin\\", .file = "mViewer.ini", .prefix = "MIRTAL_Viewer"}};
constexpr std::string_view kViewerIniCopies[] = {"(MIRTAL_Viewer)mViewer.ini"};
constexpr CaptureRow kViewerInventories[] = {
    {.kind = C::Inventory, .sub = "Bin", .prefix = "MIRTAL_Viewer_Bin"},
    {.kind = C::Inventory, .folder = F::System, .prefix = "MIRTAL_Viewer_sys"},
};
constexpr CaptureRow kViewerLibraries[] = {
    {.kind = C::Inventory, .folder = F::Libraries, .prefix = "MIRTAL_Viewer_Libs", .gate = O::MirtalLibs}};

const Edition kMain{
    .product = "MIRTAL-3D",
    .debugName = "MIRTAL",
    .shortName = "MIRTAL",
    .iniCopies = kMainIniCopies,
    .branch = {{{.key = "SOFTWARE\\TAVIR\\MIRTAL-3D", .target = "(REG)MIRTAL.txt"}}},
    .permissions = kMainPermissions,
    .inis = kMainInis,
    .inventories = kMainInventories,
    .libraries = kMainLibraries,
};
const Edition kHome{
    .product = "MIRTAL-3D HOME",
    .bannerName = " Home",
    .debugName = "MIRTAL HOME",
    .shortName = "MIRTAL Home",
    .iniCopies = kHomeIniCopies,
    .branch = {{{.key = "SOFTWARE\\TAVIR\\MIRTAL-3D Home", .target = "(REG)MIRTAL_Home.txt"}}},
    .permissions = kHomePermissions,
    .inis = kHomeInis,
    .inventories = kHomeInventories,
    .libraries = kHomeLibraries,
};
const Edition kViewer{
    .product = "MIRTAL-3D Viewer",
    .bannerName = " Viewer",
    .shortName = "MIRTAL Viewer",
    .iniCopies = kViewerIniCopies,
    .branch = {{{.key = "SOFTWARE\\TAVIR\\MIRTAL-3D Viewer", .target = "(REG)MIRTAL_Viewer.txt"}}},
    .permissions = kViewerPermissions,
    .inis = kViewerInis,
    .inventories = kViewerInventories,
    .libraries = kViewerLibraries,
};

// The electrical add-on keeps the path of its symbol library per user and per edition.
constexpr std::string_view kElectricalKeys[] = {
    "\\Software\\TAVIR\\МИРТАЛ-Электрик\\13.0\\qe",
    "\\Software\\TAVIR\\МИРТАЛ-Электрик Express\\13.0\\qe",
    "\\Software\\TAVIR\\МИРТАЛ-Электрик Pro\\11.0\\qe",
};

const RowTable kMainTables[] = {
    {.name = "МИРТАЛ-3D: ветки реестра", .branches = kRegistrations},
    {.name = "МИРТАЛ-3D", .captures = kMainPermissions, .branches = kMain.branch},
    {.name = "МИРТАЛ-3D: INI", .captures = kMainInis},
    {.name = "МИРТАЛ-3D: списки файлов", .captures = kMainInventories},
    {.name = "МИРТАЛ-3D: библиотеки", .captures = kMainLibraries},
};
const RowTable kHomeTables[] = {
    {.name = "МИРТАЛ-3D Home", .captures = kHomePermissions, .branches = kHome.branch},
    {.name = "МИРТАЛ-3D Home: INI", .captures = kHomeInis},
    {.name = "МИРТАЛ-3D Home: списки файлов", .captures = kHomeInventories},
    {.name = "МИРТАЛ-3D Home: библиотеки", .captures = kHomeLibraries},
};
const RowTable kViewerTables[] = {
    {.name = "МИРТАЛ-3D Viewer", .captures = kViewerPermissions, .branches = kViewer.branch},
    {.name = "МИРТАЛ-3D Viewer: INI", .captures = kViewerInis},
    {.name = "МИРТАЛ-3D Viewer: списки файлов", .captures = kViewerInventories},
    {.name = "МИРТАЛ-3D Viewer: библиотеки", .captures = kViewerLibraries},
};

// The libraries and system folders: below the install folder, unless the INI names others.
void defaultFolders(ProductSection& s) {
    const std::string& install = s.folder(F::Install);
    s.setFolder(F::Libraries, install + "Libs");
    s.setFolder(F::System, install + "Sys");
}

void readDirectories(ProductSection& s, const Edition& e) {
    for (std::string_view copy : e.iniCopies) {
        std::string path = s.workPath(std::string(copy));
        if (!s.fileExists(path))
            continue;
        std::string libs = s.folder(F::Libraries), sys = s.folder(F::System);
        ReadDirectoriesEntry(s, path, "Libs", s.folder(F::Install), libs);
        ReadDirectoriesEntry(s, path, "Sys", s.folder(F::Install), sys);
        s.setFolder(F::Libraries, libs);
        s.setFolder(F::System, sys);
        return;
    }
}

// second: the lines after the inventories, which name the Bin folder instead of the install folder.
void debugFolders(ProductSection& s, const Edition& e, bool second) {
    if (e.debugName.empty())
        return;
    std::string name = "Путь " + std::string(e.debugName) + (second ? "2" : "");
    const std::string& install = s.folder(F::Install);
    s.debug(second ? name + " - puti+Bin: " + install + "Bin" : name + " - puti: " + install);
    s.debug(name + " - mLibs: " + s.folder(F::Libraries));
    s.debug(name + " - mSys: " + s.folder(F::System));
}

// The folders, the INI, the inventories; the main program exports its branch before, the editions here.
void collectFolders(ProductSection& s, const Edition& e, bool exportHere) {
    defaultFolders(s);
    debugFolders(s, e, false);
    s.walk(e.inis);
    readDirectories(s, e);
    if (exportHere)
        s.walk(e.branch);
    s.walk(e.inventories);
    debugFolders(s, e, true);
    s.walk(e.libraries);
}

std::string bannerOf(const Edition& e, const std::string& version) {
    return "********************* MIRTAL-3D V" + version + std::string(e.bannerName) +
           " *********************";
}

// The folder of the registered program ("App Paths"), its "\Bin" taken out.
std::string registeredProgramFolder(ProductSection& s) {
    const std::string key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    std::string path = s.readString(kLM, key, "MIRTAL.Exe", "Path");
    if (path.empty())
        path = s.readString(kLM, key, "mHome.Exe", "Path");
    if (size_t at = path.find("\\Bin"); at != std::string::npos)
        path.erase(at, 4);
    return path;
}

void drawingConverter(ProductSection& s) {
    std::string path = s.readString(kLM, "\\SOFTWARE\\TAVIR\\MIRTAL-3D\\Converters", "eDrawings", "Path");
    if (path.empty())
        return;
    s.line(" ");
    s.blue("eDrawings:");
    s.blue(path);
    s.blue("Версия файла: " + FileVersionTextOrZero(s.run().platform().files, path));
}

void comRegistration(ProductSection& s) {
    s.line(" ");
    std::string server = s.readString(RegistryRoot::ClassesRoot,
                                      "\\CLSID\\{6B0B5194-4ACD-4095-9BC1-11179FBBB05A}", "LocalServer32", "");
    s.line(server.empty() ? "МИРТАЛ-3D незарегистрирован"
                          : "МИРТАЛ-3D зарегистрирован (mirtal.exe -register): " + server);
}

void electricalAddOn(ProductSection& s) {
    std::string system = s.run().platform().system.environmentVariable("windir") + "\\system32";
    if (!s.fileExists(system + "\\QE_DataExch.dll"))
        return;
    s.banner("********************* МИРТАЛ-Электрик *********************");
    if (s.fileExists(system + "\\QE_Integrator.dll"))
        s.line(s.fileAndVersionLine(system + "\\QE_Integrator.dll"));
    s.line(s.fileAndVersionLine(system + "\\QE_DataExch.dll"));
    for (std::string_view key : kElectricalKeys) {
        std::string library =
            s.readString(RegistryRoot::CurrentUser, std::string(key), "", "Путь к файлу библиотеки");
        if (!library.empty() && s.fileExists(library))
            s.line(s.fileAndVersionLine(library));
    }
}

// The home and viewer editions installed on their own.
void collectEdition(CollectionRun& run, const Edition& e) {
    ProductSection s(run);
    std::string version = s.readVersion(e.product);
    s.setFolder(F::Install, s.readInstallFolder(e.product, version));
    if (s.on(O::Mirtal)) {
        if (s.folder(F::Install).empty()) {
            s.notInstalled(e.shortName);
        } else {
            s.banner(bannerOf(e, version));
            s.walk(e.permissions);
            collectFolders(s, e, true);
        }
    }
    s.line(" ");
}

} // namespace

void ReadDirectoriesEntry(ProductSection& section, const std::string& copyPath, const std::string& entry,
                          const std::string& installFolder, std::string& folder) {
    std::string text = ansiToUtf8(section.run().platform().files.readFile(copyPath).value_or(""));
    // The copy starts with the capture's header lines; the reader skips what stands before a section.
    std::string value = IniFile::parse(text).getString("Directories", entry, "");
    section.line("Загружен параметр: \"" + entry + "\" из \"mirtal.ini\" = " + value);
    if (value.find("..\\") == std::string::npos)
        return;
    // Plain text replacement, as the product itself reads its settings: "..\..\" gives the folder twice.
    std::string result;
    for (size_t from = 0;;) {
        size_t at = value.find("..\\", from);
        result += value.substr(from, at - from);
        if (at == std::string::npos)
            break;
        result += installFolder;
        from = at + 3;
    }
    folder = result;
    section.line("Параметр: \"" + entry + "\" из \"mirtal.ini\" после преобразования = " + result);
}

void ToolButton2Click(CollectionRun& run) {
    ProductSection s(run);
    s.line(" ");
    s.blue("Ветки реестра МИРТАЛ:");
    s.walk(kRegistrations);

    std::string version = s.readVersion(kMain.product);
    std::string install = s.readInstallFolder(kMain.product, version);
    std::array<BranchRow, 1> branch = kMain.branch;
    if (install.empty()) {
        // Registered only as a program: a 64-bit installation, whose key lives in the 64-bit view. On
        // 32-bit Windows the one view there is holds it.
        install = registeredProgramFolder(s);
        if (s.registry().IsWow64())
            branch[0].view = k64;
    }
    s.setFolder(F::Install, install);
    s.walk(branch);

    bool program = !install.empty() && s.fileExists(install + "Bin\\MIRTAL.Exe");
    bool home = !install.empty() && !program && s.fileExists(install + "Bin\\mHome.Exe");
    if (program || home) {
        // Only the home edition's program under the CAD folder: the banner says so.
        s.banner(program ? bannerOf(kMain, version)
                         : "********************* MIRTAL-3D V" + version + " Home *********************.");
        s.walk(kMain.permissions);
        if (s.on(O::Mirtal))
            collectFolders(s, kMain, false);
    }
    drawingConverter(s);
    comRegistration(s);
    electricalAddOn(s);
}

void CollectMirtalHome(CollectionRun& run) {
    collectEdition(run, kHome);
}
void CollectMirtalViewer(CollectionRun& run) {
    collectEdition(run, kViewer);
}

const SectionDeclaration kMirtalSection{
    .topic = {.gate = O::Mirtal, .caption = "МИРТАЛ-3D MCAD/AEC ", .skipLine = "[X] МИРТАЛ-3D MCAD/AEC"},
    .collect = ToolButton2Click,
    .tables = kMainTables,
};

const SectionDeclaration kMirtalHomeSection{
    .topic = {.gate = O::Mirtal, .caption = "МИРТАЛ-3D Home ", .skipLine = "[X] МИРТАЛ-3D Home"},
    .collect = CollectMirtalHome,
    .tables = kHomeTables,
};

const SectionDeclaration kMirtalViewerSection{
    .topic = {.gate = O::Mirtal, .caption = "МИРТАЛ-3D Viewer ", .skipLine = "[X] МИРТАЛ-3D Viewer"},
    .collect = CollectMirtalViewer,
    .tables = kViewerTables,
};

} // namespace kw
