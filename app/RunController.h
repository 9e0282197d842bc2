// The collection run of the main window: its worker thread, Stop, a close that waits for the run, the
// end of the run on the window's thread (the hidden run's package and exit code, the automatic save),
// and the hand-over of the engine's reports to the window's thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/CollectionRun.h"
#include "core/RunObserver.h"

namespace kw {

// Carries a report made on another thread over to the window's thread and waits until the window has
// handled it; made on the window's thread, it is handled at once. The progress, its caption and the
// topic are only posted, the latest of each: the run moves them once per folder, and a run that waited
// for the window each time would wait as long as the window is busy (drawing a large capture, say).
// Whatever is still to be shown is shown before any report that waits.
class WindowThreadObserver final : public RunObserver {
  public:
    explicit WindowThreadObserver(RunObserver& window) : target_(window) {}
    void attach(HWND window) { window_ = window; }
    // WM_APP_INVOKE: lParam is what to run.
    static void invoke(LPARAM lp) { (*reinterpret_cast<std::function<void()>*>(lp))(); }
    // WM_APP_PROGRESS: shows the latest progress, caption and topic not yet shown.
    void showPendingProgress();

    void progressChanged(int value) override;
    void progressCaptionChanged(const std::string& text) override;
    void topicChanged(const std::string& text) override;
    void runningLayout() override;
    void idleLayout() override;
    void showTimingLog() override;
    void resultCommandsEnabled(bool on) override;
    // These touch no window: they run on the caller's thread.
    void refreshCurrentNode() override { target_.refreshCurrentNode(); }
    void autoSave() override { target_.autoSave(); }
    void saveFailed(const std::string& path) override { target_.saveFailed(path); }

  private:
    struct PendingProgress {
        std::optional<int> value;
        std::optional<std::string> caption, topic;
    };
    void onWindowThread(const std::function<void()>& fn);
    void post(const std::function<void(PendingProgress&)>& change);

    RunObserver& target_;
    HWND window_ = nullptr;
    std::mutex mutex_;
    PendingProgress pending_;
    bool posted_ = false;
};

class RunController {
  public:
    // A hidden run ("fullin") ends the program: with exit code 1 when it was stopped or its package
    // could not be written.
    RunController(CollectionRun& engine, bool hiddenRun) : engine_(engine), hiddenRun_(hiddenRun) {}
    ~RunController() { stopAndWait(); }
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    void attach(HWND window) { window_ = window; }
    bool running() const { return worker_.joinable(); }
    int exitCode() const { return exitCode_; }

    void start(); // ToolButton30Click: a run with the chosen start variant, unless the window is busy
    void stop();  // ToolButton48Click: the run ends at its next stopping point
    // WM_CLOSE during a run stops it, and the window closes after it; false when no run holds the close.
    bool holdClose();
    void finished();     // WM_APP_RUN_DONE: the run's thread has returned
    void saveWhenDone(); // the run asks for its package: saved once its thread has returned
    void stopAndWait();

    std::function<bool()> busyElsewhere; // a package job or a comparison
    std::function<void()> onFinished;    // the panes and the current node catch up
    std::function<void()> saveAfterRun;  // "Сохранить информацию..."
    std::function<void(std::function<void(bool saved)> done)> saveHiddenRunPackage;

  private:
    CollectionRun& engine_;
    const bool hiddenRun_;
    HWND window_ = nullptr;
    std::thread worker_;
    std::atomic<bool> closePending_{false};
    std::atomic<bool> autoSavePending_{false};
    int exitCode_ = 0;
};

} // namespace kw
