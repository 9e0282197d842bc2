#include "app/RunController.h"

#include "app/WindowMessages.h"
#include "platform/Com.h"

#include <utility>

namespace kw {

void WindowThreadObserver::onWindowThread(const std::function<void()>& fn) {
    std::function<void()> inOrder = [this, &fn] {
        showPendingProgress();
        fn();
    };
    if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId())
        inOrder();
    else
        SendMessageW(window_, WM_APP_INVOKE, 0, reinterpret_cast<LPARAM>(&inOrder));
}

void WindowThreadObserver::post(const std::function<void(PendingProgress&)>& change) {
    if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
        {
            std::lock_guard lock(mutex_);
            change(pending_);
        }
        showPendingProgress();
        return;
    }
    bool first;
    {
        std::lock_guard lock(mutex_);
        change(pending_);
        first = !std::exchange(posted_, true);
    }
    if (first)
        PostMessageW(window_, WM_APP_PROGRESS, 0, 0);
}

void WindowThreadObserver::showPendingProgress() {
    PendingProgress shown;
    {
        std::lock_guard lock(mutex_);
        shown = std::exchange(pending_, {});
        posted_ = false;
    }
    if (shown.value)
        target_.progressChanged(*shown.value);
    if (shown.caption)
        target_.progressCaptionChanged(*shown.caption);
    if (shown.topic)
        target_.topicChanged(*shown.topic);
}

void WindowThreadObserver::progressChanged(int value) {
    post([value](PendingProgress& p) { p.value = value; });
}

void WindowThreadObserver::progressCaptionChanged(const std::string& text) {
    post([&text](PendingProgress& p) { p.caption = text; });
}

void WindowThreadObserver::topicChanged(const std::string& text) {
    post([&text](PendingProgress& p) { p.topic = text; });
}

void WindowThreadObserver::runningLayout() {
    onWindowThread([this] { target_.runningLayout(); });
}

void WindowThreadObserver::idleLayout() {
    onWindowThread([this] { target_.idleLayout(); });
}

void WindowThreadObserver::showTimingLog() {
    onWindowThread([this] { target_.showTimingLog(); });
}

void WindowThreadObserver::resultCommandsEnabled(bool on) {
    onWindowThread([this, on] { target_.resultCommandsEnabled(on); });
}

void RunController::start() {
    if (running() || (busyElsewhere && busyElsewhere()) || !engine_.stopFlag())
        return;
    worker_ = std::thread([this, window = window_] {
        ComApartment com;
        engine_.ToolButton30Click();
        PostMessageW(window, WM_APP_RUN_DONE, 0, 0);
    });
}

void RunController::stop() {
    engine_.requestStop();
}

bool RunController::holdClose() {
    if (!running())
        return false;
    closePending_.store(true);
    engine_.requestStop();
    return true;
}

void RunController::finished() {
    if (worker_.joinable())
        worker_.join();
    if (onFinished)
        onFinished();
    // A close that came once the run had reached its completion step stopped nothing: the finished
    // run is saved as usual, and the window closes after that.
    bool closing = closePending_.exchange(false);
    if (closing && engine_.stopped()) {
        if (hiddenRun_)
            exitCode_ = 1; // stopped: no package
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return;
    }
    // A hidden run saves its package and ends the program.
    if (hiddenRun_) {
        saveHiddenRunPackage([this](bool saved) {
            exitCode_ = saved ? 0 : 1;
            PostMessageW(window_, WM_CLOSE, 0, 0);
        });
        return;
    }
    if (autoSavePending_.exchange(false))
        saveAfterRun();
    if (closing)
        PostMessageW(window_, WM_CLOSE, 0, 0); // a package job still under way holds it until done
}

void RunController::saveWhenDone() {
    autoSavePending_.store(true);
}

void RunController::stopAndWait() {
    if (worker_.joinable()) {
        engine_.requestStop();
        worker_.join();
    }
}

} // namespace kw
