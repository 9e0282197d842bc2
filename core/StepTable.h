// The shape of a collection run, as data: how a topic is framed (option, caption, skip line, banner) and
// which step runs at which progress value. The units that collect declare their topics; the run numbers
// the steps by their position.
#pragma once
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/OptionSet.h"

namespace kw {

class CollectionRun;

// A collection procedure; the run passes itself.
using SectionProcedure = void (*)(CollectionRun&);

enum class BannerPlace { None, BeforeCaption, AfterCaption };

// What the run writes around a topic whose option is on.
enum class Announce {
    Caption, // progress caption and status panel, then the duration in the timing log
    None,    // the section writes its own lines and keeps no duration
};

enum class DurationLine { WhileRunning, EvenAfterStop };

// One topic of a run, as the unit that collects it declares it.
struct Topic {
    std::optional<Option> gate; // none: always runs
    // Progress caption and status panel; the timing line drops its trailing blank, and so does the line
    // that reports a failed section.
    std::string_view caption;
    std::string_view skipLine; // event log when the option is off
    std::string_view banner;   // written with LogBanner, where `place` says
    BannerPlace place = BannerPlace::None;
    Announce announce = Announce::Caption;
    DurationLine duration = DurationLine::WhileRunning;
};

// Where a topic runs: inside the system step (after the topics added there before it), or as a step of
// its own after the system step.
enum class StepPlace { SystemStep, OwnStep };

enum class StepKind { Preparation, System, Product, Completion };

struct RunStep {
    int value; // the progress value at which the step runs
    StepKind kind;
    std::size_t product = 0; // the index of a product step among the topics with a step of their own
};

inline constexpr int kProgressStep = 4;

// Preparation, the system step, one step per own-step topic, completion: each at kProgressStep times its
// position.
std::vector<RunStep> runSteps(std::size_t productSteps);

} // namespace kw
