#include "app/RunController.h"

#include "app/WindowMessages.h"
#include "platform/Com.h"

namespace kw {

void WindowThreadObserver::onWindowThread(const std::function<void()>& fn) {
    if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
        fn();
        return;
    }
    std::function<void()> copy = fn;
    SendMessageW(window_, WM_APP_INVOKE, 0, reinterpret_cast<LPARAM>(&copy));
}

void WindowThreadObserver::progressChanged(int value) {
    onWindowThread([this, value] { target_.progressChanged(value); });
}

void WindowThreadObserver::progressCaptionChanged(const std::string& text) {
    onWindowThread([this, text] { target_.progressCaptionChanged(text); });
}

void WindowThreadObserver::topicChanged(const std::string& text) {
    onWindowThread([this, text] { target_.topicChanged(text); });
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
