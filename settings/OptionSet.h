// The option set of the options dialog: which sections a run performs, how tables draw and sort,
// how results compare. The dialog edits it; collectors read it at the moment they run.
#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <span>
#include <string_view>

namespace kw {

enum class Option : std::size_t {
    // left column " Настройки сбора информации "
    SelectAll,       // CheckBox2
    Peltrand,        // CheckBox9
    PeltrandLogs,    // CheckBox23, hidden "журналы"
    PeltrandKB,      // CheckBox18
    Mirtal,          // CheckBox13
    MirtalLibs,      // CheckBox20
    Morvantide,      // CheckBox6
    StandardParts,   // CheckBox12
    Vault,           // CheckBox21, hidden
    Tessarin,        // CheckBox8
    SuiteLogs,       // CheckBox32, hidden
    Handbook,        // CheckBox16
    Materials,       // CheckBox10
    MatRate,         // CheckBox14
    TaskRate,        // CheckBox19
    FerryOak,        // CheckBox24
    PeltrandModules, // CheckBox25
    Quadrix,         // Quadrix
    Md5,             // CheckBox3
    SharedFolder,    // CheckBox4
    CommonData,      // CheckBox7
    SystemInfo,      // CheckBox5
    // right column " Дополнительные настройки "
    AutoFit,         // CheckBox28
    AutoSort,        // CheckBox27
    Highlight,       // CheckBox26
    NotSort,         // CheckBox30
    Zebra,           // CheckBox29
    CompareNoDate,   // CheckBox37
    CompareMd5,      // RadioButton1
    CompareOnlyMd5,  // RadioButton2
    CompareNoMd5,    // RadioButton3
    NetStat,         // CheckBox35
    MsOffice,        // CheckBox36
    ComPlus,         // CheckBox17
    AutoSave,        // CheckBox1
    MsInfo32,        // CheckBox31
    ImportantShared, // CheckBox15
    HidePasswords,   // "Скрывать пароли в пакете": secrets masked in the package
    // bottom strip and main window
    Debug,             // CheckBox22, "Отладочная информация"
    OpenResultsFolder, // main window CheckBox5
    WordWrap,          // ToolButton55 down
    Count
};

struct OptionInfo {
    Option id;
    std::string_view caption;
    std::string_view hint;
    bool formDefault = false; // the state the form is built with
};

// Every option with its caption, hint and the state the form is built with.
std::span<const OptionInfo> optionTable();
const OptionInfo& optionInfo(Option id);

// The three ways to start a run: as the options stand, or with the all-products preset, without or with
// the CAD libraries.
enum class StartVariant { PerSettings, Main, Full };

struct StartVariantInfo {
    StartVariant variant;
    std::string_view hint;    // the start button's hint and menu item
    std::string_view runType; // in the timing log's opening line
};
const StartVariantInfo& startVariantInfo(StartVariant v);

class OptionSet {
  public:
    OptionSet();

    bool get(Option id) const { return values_[index(id)].load(); }
    // Sets an option the way a click on its control does: the couplings between options follow.
    void set(Option id, bool on);
    // Sets an option without couplings (restoring saved state).
    void assign(Option id, bool on) { values_[index(id)].store(on); }

    int zebraBrightness() const { return zebra_.load(); }
    void setZebraBrightness(int position); // clamped to the track bar's range 25..95

    // The all-products preset of the "Основной" and "Полный" start variants; nothing for the other.
    void applyPreset(StartVariant variant);

    static constexpr int kZebraMin = 25, kZebraMax = 95;

  private:
    static std::size_t index(Option id) { return static_cast<std::size_t>(id); }
    void change(Option id, bool on); // one control's state change with its handler

    std::array<std::atomic<bool>, static_cast<std::size_t>(Option::Count)> values_;
    std::atomic<int> zebra_{75};
};

// The main window's transparency track bar: its range, and the alpha-blend value of a position
// (50 is fully opaque, 255 the most transparent).
inline constexpr int kBlendMin = 50, kBlendMax = 255;
int alphaForBlendPosition(int position);

} // namespace kw
