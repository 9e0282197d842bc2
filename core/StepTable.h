// The fixed sequence of a collection run, as data: which step runs at which progress value,
// which option gates it, what it writes before and after its section.
#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "settings/OptionSet.h"

namespace kw {

// Every collection procedure a run calls; each is registered by the unit that implements it.
enum class Section : std::size_t {
    ExportSystemRegistryBranches,
    RunConsoleCommands,
    CollectSystemSection,
    CollectCommonDataFolder,
    CollectSharedFolder,
    CollectSuiteInstallLogs,
    Peltrand,   // ToolButton17Click
    MirtalMain, // ToolButton2Click
    CollectMirtalHome,
    CollectMirtalViewer,
    CollectMorvantide,
    Tessarin,      // ToolButton10Click
    Handbook,      // ToolButton9Click
    StandardParts, // ToolButton21Click
    CollectMaterials,
    CollectUnits,
    CollectMatRate,
    CollectTaskRate,
    CollectPeltrandKB,
    CollectFerryLogs,
    CollectPeltrandModules,
    CollectQuadrix,
    Count
};

enum class BannerPlace { None, BeforeCaption, AfterCaption };

// One gated topic: its option, caption, sections and the lines around them.
struct Topic {
    std::optional<Option> gate; // none: always runs
    std::string_view caption;   // progress caption and status panel; the timing line drops its trailing blank
    std::span<const Section> sections;
    std::string_view skipLine; // event log when the option is off
    std::string_view banner;   // written with LogBanner, where `place` says
    BannerPlace place = BannerPlace::None;
    bool timingAlways = false; // the duration is written even after Stop
};

enum class StepKind { Preparation, System, Product, Completion };

struct RunStep {
    int value; // the progress value at which the step runs
    StepKind kind;
    const Topic* topic; // the product of a product step
};

std::span<const RunStep> runSteps();
// The topics of the system step, in order (the suite install logs follow them).
std::span<const Topic> systemTopics();

inline constexpr int kProgressStep = 4;
inline constexpr int kCompletionValue = 72;

} // namespace kw
