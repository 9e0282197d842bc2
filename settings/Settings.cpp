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

constexpr int kNotRead = -1;

struct Key {
    std::string_view section, key;
    Field field;
    Option option;                     // when field is Option
    int onStart, onActivation, onLoad; // the default of each read path, or kNotRead
};

using F = Field;
using O = Option;
constexpr O kNone = O::Count;

// In the order the keys are written.
constexpr Key kKeys[] = {
    {"position", "left", F::Left, kNone, 0, kNotRead, 0},
    {"position", "width", F::Width, kNone, 500, kNotRead, 500},
    {"position", "top", F::Top, kNone, 0, kNotRead, 0},
    {"position", "height", F::Height, kNone, 500, kNotRead, 500},
    {"position", "Tree_left", F::TreeLeft, kNone, 1, kNotRead, 1},
    {"position", "Tree_width", F::TreeWidth, kNone, 312, kNotRead, 312},
    {"position", "Tree_top", F::TreeTop, kNone, 1, kNotRead, 1},
    {"position", "Tree_height", F::TreeHeight, kNone, 532, kNotRead, 532},
    {"TAVIR", "All", F::Option, O::SelectAll, kNotRead, kNotRead, kNotRead},
    {"TAVIR", "Peltrand", F::Option, O::Peltrand, kNotRead, 1, 1},
    {"TAVIR", "Peltrand_KB", F::Option, O::PeltrandKB, kNotRead, 1, 1},
    {"TAVIR", "Ferry_OAK", F::Option, O::FerryOak, kNotRead, 1, 0},
    {"TAVIR", "PGS_ORD", F::Option, O::PeltrandModules, kNotRead, 1, 1},
    {"TAVIR", "MIRTAL", F::Option, O::Mirtal, kNotRead, 1, 1},
    {"TAVIR", "Libs", F::Option, O::MirtalLibs, kNotRead, 0, 0},
    {"TAVIR", "Morvantide", F::Option, O::Morvantide, kNotRead, 1, 1},
    {"TAVIR", "EL", F::Option, O::StandardParts, kNotRead, 1, 1},
    {"TAVIR", "Tessarin", F::Option, O::Tessarin, kNotRead, 1, 1},
    {"TAVIR", "Handbrix", F::Option, O::Handbook, kNotRead, 1, 1},
    {"TAVIR", "MiS", F::Option, O::Materials, kNotRead, 1, 1},
    {"TAVIR", "MatRate", F::Option, O::MatRate, kNotRead, 1, 1},
    {"TAVIR", "TaskRate", F::Option, O::TaskRate, kNotRead, 1, 1},
    {"TAVIR", "Quadrix", F::Option, O::Quadrix, kNotRead, 1, 1},
    {"Tools", "Logs", F::Option, O::SuiteLogs, kNotRead, 0, 0},
    {"Tools", "md5", F::Option, O::Md5, kNotRead, 1, 1},
    {"Tools", "TAVIR_Shared", F::Option, O::SharedFolder, kNotRead, 1, 1},
    {"Tools", "COD", F::Option, O::CommonData, kNotRead, 1, 1},
    {"Tools", "SisInf", F::Option, O::SystemInfo, kNotRead, 1, 1},
    {"Table", "AutoFit", F::Option, O::AutoFit, kNotRead, 1, 1},
    {"Table", "AutoSort", F::Option, O::AutoSort, kNotRead, 1, 1},
    {"Table", "Highlight", F::Option, O::Highlight, kNotRead, 1, 1},
    {"Table", "NotSort", F::Option, O::NotSort, kNotRead, 1, 1},
    {"Table", "Zebra", F::Option, O::Zebra, kNotRead, 1, 1},
    {"Table", "ZebraBright", F::ZebraBright, kNone, kNotRead, 75, 75},
    {"Comparison", "Date", F::Option, O::CompareNoDate, kNotRead, 1, 1},
    {"Comparison", "md5_1", F::Option, O::CompareMd5, kNotRead, 0, 0},
    {"Comparison", "md5_2", F::Option, O::CompareOnlyMd5, kNotRead, 1, 1},
    {"Comparison", "md5_3", F::Option, O::CompareNoMd5, kNotRead, 0, 0},
    {"System_Information", "netstat", F::Option, O::NetStat, kNotRead, 1, 1},
    {"System_Information", "MS_Office", F::Option, O::MsOffice, kNotRead, 0, 0},
    {"System_Information", "COM_Plus", F::Option, O::ComPlus, kNotRead, 1, 1},
    {"Set", "AutoSave", F::Option, O::AutoSave, kNotRead, 1, 1},
    {"Set", "MSinfo32", F::Option, O::MsInfo32, kNotRead, 0, 0},
    {"Set", "TAVIR_Shared_COD", F::Option, O::ImportantShared, kNotRead, 1, 1},
    {"Start", "RBpo", F::StartPo, kNone, kNotRead, 1, 1},
    {"Start", "RBpoLIBS", F::StartPoLibs, kNone, kNotRead, 0, 0},
    {"Start", "RBtools", F::StartTools, kNone, kNotRead, 0, 0},
    {"Start", "RBopen", F::StartOpen, kNone, kNotRead, 0, 0},
    {"Tools", "WordWrap", F::Option, O::WordWrap, 1, kNotRead, kNotRead},
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
        int fallback = path == Path::Start ? k.onStart : path == Path::Activation ? k.onActivation : k.onLoad;
        if (fallback == kNotRead)
            continue;
        if (k.field == F::Option) {
            // Setting a control's state runs its handler, so the couplings apply as the file is read.
            options.set(k.option, ini.getBool(k.section, k.key, fallback != 0));
        } else if (k.field == F::ZebraBright) {
            options.setZebraBrightness(ini.getInt(k.section, k.key, fallback));
        } else if (auto c = startChoiceOf(k.field)) {
            if (ini.getBool(k.section, k.key, fallback != 0))
                settings.startChoice = *c;
        } else {
            *geometryField(settings, k.field) = ini.getInt(k.section, k.key, fallback);
        }
    }
}

} // namespace

std::string composeSettingsFile(const OptionSet& options, const Settings& settings) {
    IniFile ini;
    for (const Key& k : kKeys)
        ini.set(k.section, k.key, std::to_string(valueOf(k, options, settings)));
    return ini.text();
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
}

void readSettingsOnActivation(const IniFile& ini, OptionSet& options, Settings& settings) {
    readPath(Path::Activation, ini, options, settings);
}

void readSettingsOnLoad(const IniFile& ini, OptionSet& options, Settings& settings) {
    readPath(Path::Load, ini, options, settings);
    settings.handSet.status1 = ini.getString("Tools", "status1", "");
}

} // namespace kw
