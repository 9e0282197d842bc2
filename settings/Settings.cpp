// The key table of the settings file and the three read paths walked over it.
#include "settings/Settings.h"

#include <optional>
#include <string_view>

namespace kw {
namespace {

enum class Field {
    Option,
    Left,
    Width,
    Top,
    Height,
    TreeLeft,
    TreeWidth,
    TreeTop,
    TreeHeight,
    ZebraBright,
    StartPo,
    StartPoLibs,
    StartTools,
    StartOpen
};

using F = Field;
using O = Option;

struct Key {
    std::string_view section, key;
    Field field = F::Option;
    Option option = O::Count; // when field is Option
    // The default of each read path; a path without one does not read the key.
    std::optional<int> onStart, onActivation, onLoad;
};

// In the order the keys are written.
constexpr Key kKeys[] = {
    {.section = "position", .key = "left", .field = F::Left, .onStart = 0, .onLoad = 0},
    {.section = "position", .key = "width", .field = F::Width, .onStart = 500, .onLoad = 500},
    {.section = "position", .key = "top", .field = F::Top, .onStart = 0, .onLoad = 0},
    {.section = "position", .key = "height", .field = F::Height, .onStart = 500, .onLoad = 500},
    {.section = "position", .key = "Tree_left", .field = F::TreeLeft, .onStart = 1, .onLoad = 1},
    {.section = "position", .key = "Tree_width", .field = F::TreeWidth, .onStart = 312, .onLoad = 312},
    {.section = "position", .key = "Tree_top", .field = F::TreeTop, .onStart = 1, .onLoad = 1},
    {.section = "position", .key = "Tree_height", .field = F::TreeHeight, .onStart = 532, .onLoad = 532},
    {.section = "TAVIR", .key = "All", .option = O::SelectAll}, // written, never read
    {.section = "TAVIR", .key = "Peltrand", .option = O::Peltrand, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "Peltrand_KB", .option = O::PeltrandKB, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "Ferry_OAK", .option = O::FerryOak, .onActivation = 1, .onLoad = 0},
    {.section = "TAVIR", .key = "PGS_ORD", .option = O::PeltrandModules, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "MIRTAL", .option = O::Mirtal, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "Libs", .option = O::MirtalLibs, .onActivation = 0, .onLoad = 0},
    {.section = "TAVIR", .key = "Morvantide", .option = O::Morvantide, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "EL", .option = O::StandardParts, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "Tessarin", .option = O::Tessarin, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "Handbrix", .option = O::Handbook, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "MiS", .option = O::Materials, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "MatRate", .option = O::MatRate, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "TaskRate", .option = O::TaskRate, .onActivation = 1, .onLoad = 1},
    {.section = "TAVIR", .key = "Quadrix", .option = O::Quadrix, .onActivation = 1, .onLoad = 1},
    {.section = "Tools", .key = "Logs", .option = O::SuiteLogs, .onActivation = 0, .onLoad = 0},
    {.section = "Tools", .key = "md5", .option = O::Md5, .onActivation = 1, .onLoad = 1},
    {.section = "Tools", .key = "TAVIR_Shared", .option = O::SharedFolder, .onActivation = 1, .onLoad = 1},
    {.section = "Tools", .key = "COD", .option = O::CommonData, .onActivation = 1, .onLoad = 1},
    {.section = "Tools", .key = "SisInf", .option = O::SystemInfo, .onActivation = 1, .onLoad = 1},
    {.section = "Table", .key = "AutoFit", .option = O::AutoFit, .onActivation = 1, .onLoad = 1},
    {.section = "Table", .key = "AutoSort", .option = O::AutoSort, .onActivation = 1, .onLoad = 1},
    {.section = "Table", .key = "Highlight", .option = O::Highlight, .onActivation = 1, .onLoad = 1},
    {.section = "Table", .key = "NotSort", .option = O::NotSort, .onActivation = 1, .onLoad = 1},
    {.section = "Table", .key = "Zebra", .option = O::Zebra, .onActivation = 1, .onLoad = 1},
    {.section = "Table", .key = "ZebraBright", .field = F::ZebraBright, .onActivation = 75, .onLoad = 75},
    {.section = "Comparison", .key = "Date", .option = O::CompareNoDate, .onActivation = 1, .onLoad = 1},
    {.section = "Comparison", .key = "md5_1", .option = O::CompareMd5, .onActivation = 0, .onLoad = 0},
    {.section = "Comparison", .key = "md5_2", .option = O::CompareOnlyMd5, .onActivation = 1, .onLoad = 1},
    {.section = "Comparison", .key = "md5_3", .option = O::CompareNoMd5, .onActivation = 0, .onLoad = 0},
    {.section = "System_Information", .key = "netstat", .option = O::NetStat, .onActivation = 1, .onLoad = 1},
    {.section = "System_Information",
     .key = "MS_Office",
     .option = O::MsOffice,
     .onActivation = 0,
     .onLoad = 0},
    {.section = "System_Information",
     .key = "COM_Plus",
     .option = O::ComPlus,
     .onActivation = 1,
     .onLoad = 1},
    {.section = "Set", .key = "AutoSave", .option = O::AutoSave, .onActivation = 1, .onLoad = 1},
    {.section = "Set", .key = "MSinfo32", .option = O::MsInfo32, .onActivation = 0, .onLoad = 0},
    {.section = "Set",
     .key = "TAVIR_Shared_COD",
     .option = O::ImportantShared,
     .onActivation = 1,
     .onLoad = 1},
    {.section = "Set", .key = "HideInPackage", .option = O::HidePasswords, .onActivation = 1, .onLoad = 1},
    {.section = "Start", .key = "RBpo", .field = F::StartPo, .onActivation = 1, .onLoad = 1},
    {.section = "Start", .key = "RBpoLIBS", .field = F::StartPoLibs, .onActivation = 0, .onLoad = 0},
    {.section = "Start", .key = "RBtools", .field = F::StartTools, .onActivation = 0, .onLoad = 0},
    {.section = "Start", .key = "RBopen", .field = F::StartOpen, .onActivation = 0, .onLoad = 0},
    {.section = "Tools", .key = "WordWrap", .option = O::WordWrap, .onStart = 1},
};

int* geometryField(Settings& s, Field f) {
    WindowGeometry& g = s.geometry;
    switch (f) {
    case F::Left:
        return &g.left;
    case F::Width:
        return &g.width;
    case F::Top:
        return &g.top;
    case F::Height:
        return &g.height;
    case F::TreeLeft:
        return &g.treeLeft;
    case F::TreeWidth:
        return &g.treeWidth;
    case F::TreeTop:
        return &g.treeTop;
    case F::TreeHeight:
        return &g.treeHeight;
    default:
        return nullptr;
    }
}

std::optional<StartChoice> startChoiceOf(Field f) {
    switch (f) {
    case F::StartPo:
        return StartChoice::Po;
    case F::StartPoLibs:
        return StartChoice::PoLibs;
    case F::StartTools:
        return StartChoice::Tools;
    case F::StartOpen:
        return StartChoice::Open;
    default:
        return std::nullopt;
    }
}

int valueOf(const Key& k, const OptionSet& options, const Settings& settings) {
    if (k.field == F::Option)
        return options.get(k.option) ? 1 : 0;
    if (k.field == F::ZebraBright)
        return options.zebraBrightness();
    if (auto c = startChoiceOf(k.field))
        return settings.startChoice == *c ? 1 : 0;
    return *geometryField(const_cast<Settings&>(settings), k.field);
}

enum class Path { Start, Activation, Load };

void readPath(Path path, const IniFile& ini, OptionSet& options, Settings& settings) {
    for (const Key& k : kKeys) {
        std::optional<int> fallback = path == Path::Start        ? k.onStart
                                      : path == Path::Activation ? k.onActivation
                                                                 : k.onLoad;
        if (!fallback)
            continue;
        if (k.field == F::Option) {
            // Setting a control's state runs its handler, so the couplings apply as the file is read.
            options.set(k.option, ini.getBool(k.section, k.key, *fallback != 0));
        } else if (k.field == F::ZebraBright) {
            options.setZebraBrightness(ini.getInt(k.section, k.key, *fallback));
        } else if (auto c = startChoiceOf(k.field)) {
            if (ini.getBool(k.section, k.key, *fallback != 0))
                settings.startChoice = *c;
        } else {
            *geometryField(settings, k.field) = ini.getInt(k.section, k.key, *fallback);
        }
    }
}

} // namespace

std::string composeSettingsFile(const OptionSet& options, const Settings& settings) {
    IniFile ini;
    for (const Key& k : kKeys)
        ini.set(k.section, k.key, std::to_string(valueOf(k, options, settings)));
    // After every key of the table: a file of an earlier version reads the same.
    ini.set("Library", "Place", settings.library.place);
    ini.set("Library", "Password", settings.library.protectedPassword);
    ini.set("Library", "AddOpened", settings.library.addOpened ? "1" : "0");
    return ini.text();
}

void readLibrarySettings(const IniFile& ini, Settings& settings) {
    settings.library.place = ini.getString("Library", "Place", "");
    settings.library.protectedPassword = ini.getString("Library", "Password", "");
    settings.library.addOpened = ini.getBool("Library", "AddOpened", true);
}

void readSettingsOnStart(const IniFile& ini, OptionSet& options, Settings& settings) {
    readPath(Path::Start, ini, options, settings);
    HandSetKeys& h = settings.handSet;
    h.net = ini.getString("Tools", "Net", "T:");
    h.min = ini.getString("Tools", "Min", "30");
    h.max = ini.getString("Tools", "Max", "999");
    h.kol = ini.getString("Tools", "Kol", "9");
    h.host = ini.getString("Tools", "host", "127.0.0.1");
    h.size = ini.getString("Tools", "size", "65000");
    h.count = ini.getString("Tools", "count", "12");
    h.blendValue = ini.getInt("Tools", "BlendValue", 50);
    h.status1 = ini.getString("Tools", "status1", "");
    readLibrarySettings(ini, settings);
}

void readSettingsOnActivation(const IniFile& ini, OptionSet& options, Settings& settings) {
    readPath(Path::Activation, ini, options, settings);
}

void readSettingsOnLoad(const IniFile& ini, OptionSet& options, Settings& settings) {
    readPath(Path::Load, ini, options, settings);
    settings.handSet.status1 = ini.getString("Tools", "status1", "");
}

} // namespace kw
