// The collection engine: walks the step table, keeps progress, the timing log and Stop, and at the end
// hands the results over. It knows nothing of windows: it writes to the event log, the timing log and a
// RunObserver.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "core/ConsoleProcesses.h"
#include "core/EventLog.h"
#include "core/RunObserver.h"
#include "core/StepTable.h"
#include "core/TextBuffer.h"
#include "core/WorkFolders.h"
#include "platform/Com.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "settings/OptionSet.h"
#include "settings/Settings.h"

namespace kw {

struct Platform {
    FileSystem& files;
    SystemInfo& system;
    Desktop& desktop;
    Processes& processes;
    Registry& registry = windowsRegistry();
    Com& com = windowsCom();
};

inline constexpr const char* kEventLogFile = "KW_Scan!.rtf";
inline constexpr const char* kTimingLogFile = "KW_Scan!.txt";

class CollectionRun {
  public:
    CollectionRun(Platform platform, OptionSet& options, Settings& settings);

    void setObserver(RunObserver* observer) { observer_ = observer ? observer : &silent_; }
    // Adds a topic with the procedures it calls, in order: to the system step's topics or as a step of its
    // own after the system step (both after those added before). Nothing that escapes a procedure stops
    // the run: it is logged and the run goes on.
    void addTopic(StepPlace place, const Topic& topic, std::span<const SectionProcedure> procedures);
    // A topic whose one procedure is no plain function.
    void addTopic(StepPlace place, const Topic& topic, std::function<void()> procedure);
    // Calls `by` wherever the run would call `procedure` (tests, and controls that stand in for one).
    void replaceSection(SectionProcedure procedure, std::function<void()> by);
    // Told of every file an inventory walk lists: (file name, folder ending in a separator).
    using ListedFileHook = std::function<void(const std::string&, const std::string&)>;
    void setListedFileHook(ListedFileHook hook) { listedFile_ = std::move(hook); }
    const ListedFileHook& listedFileHook() const { return listedFile_; }
    // Called at the end of every run (also after Stop), before the result tree is refreshed and the
    // package is saved: what it writes into the work folder goes into the package.
    void setRunEndHook(std::function<void()> hook) { runEnd_ = std::move(hook); }

    // The run procedure: returns when the run is over or stopped.
    void ToolButton30Click();
    // Stop, asked from any thread; carried out at the run's next message-processing point.
    void requestStop() { stopRequested_.store(true); }
    // A message-processing point: sections call it where the user may stop them.
    void processMessages();

    void setStartVariant(StartVariant v) { variant_ = v; }
    StartVariant startVariant() const { return variant_; }

    bool stopFlag() const { return stopFlag_.load(); }
    bool running() const { return running_.load(); }
    // The last run was ended by Stop (not by its completion step).
    bool stopped() const { return stopped_.load(); }
    int progress() const { return progress_.load(); }
    std::string progressCaption() const;

    void LogBanner(const std::string& text);
    void DebugCheckpoint(const std::string& name);

    // Writes "KW_scan.ini" in temporary directory + folder ("" for the settings file itself).
    void SaveSettings(const std::string& folder);
    std::string settingsPath(const std::string& folder);

    bool saveEventLog();
    bool saveTimingLog();

    EventLog& eventLog() { return log_; }
    TextBuffer& timingLog() { return timing_; }
    TextBuffer& captureBuffer() { return capture_; }
    // The system text buffer in which the system section composes "software.txt" ("Memo5").
    TextBuffer& systemTextBuffer() { return systemText_; }
    // Every console process the run started; waited for before the completion step.
    ConsoleProcesses& consoleProcesses() { return consoles_; }
    // Waits for the console processes still running (time-outs in ConsoleProcesses); Stop ends the wait.
    void waitForConsoleProcesses();
    // One dot more on the progress caption and status panel 2, up to five, then they start again.
    void advanceProgressDots();
    WorkFolders& folders() { return folders_; }
    OptionSet& options() { return options_; }
    Platform& platform() { return platform_; }

  private:
    void setProgress(int value);
    void setCaption(const std::string& text);
    std::string nowText(); // date " - " time
    std::string durationSince(const LocalTime& from);

    struct Section {
        SectionProcedure procedure; // what replaceSection finds it by; null for a callable added as such
        std::function<void()> call;
    };
    struct TopicSections {
        Topic topic;
        std::vector<Section> sections;
    };

    void prepare();
    void collectSystem();
    void runTopic(const TopicSections& topic);
    void callGuarded(const Topic& topic, const Section& section);
    void complete();
    void endOfRun();
    void stop();
    bool writeLogFile(const std::string& path, const std::string& bytes);

    Platform platform_;
    OptionSet& options_;
    Settings& settings_;
    EventLog log_;
    TextBuffer timing_;
    TextBuffer capture_;
    TextBuffer systemText_;
    WorkFolders folders_;
    ConsoleProcesses consoles_{log_};
    RunObserver silent_;
    RunObserver* observer_ = &silent_;
    std::vector<TopicSections> systemTopics_, productSteps_;
    ListedFileHook listedFile_;
    std::function<void()> runEnd_;

    StartVariant variant_ = StartVariant::PerSettings;
    std::atomic<int> progress_{0};
    std::atomic<bool> stopFlag_{true};
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> stopped_{false};
    mutable std::mutex captionMutex_;
    std::mutex eventLogFileMutex_;
    std::string caption_;
    std::string dotsBase_; // the caption the progress dots are added to
    int dots_ = 0;
    LocalTime t0_, ts_;
};

} // namespace kw
