// The console processes a run has started: each is recorded, and before the run completes (or a
// package is saved) the run waits for those still running, up to a time-out, naming each abandoned one.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/EventLog.h"
#include "platform/Processes.h"

namespace kw {

class ConsoleProcesses {
  public:
    explicit ConsoleProcesses(EventLog& log) : log_(log) {}

    struct Tracked {
        std::string commandLine;
        std::shared_ptr<ChildProcess> process;
    };

    void track(const std::string& commandLine, std::shared_ptr<ChildProcess> process);
    // Waits for every tracked process, each up to the per-process time-out and all together up to the
    // total; logs each one left running and forgets them all. keepWaiting, asked between slices of
    // waiting, may end the wait early (Stop).
    void waitAll(const std::function<bool()>& keepWaiting = {});
    // The same for a group of processes (they stay tracked).
    void waitFor(const std::vector<Tracked>& group, const std::function<bool()>& keepWaiting = {});
    std::size_t count() const;

    void setTimeouts(unsigned perProcessMs, unsigned totalMs) {
        perProcessMs_ = perProcessMs;
        totalMs_ = totalMs;
    }

  private:
    EventLog& log_;
    mutable std::mutex mutex_;
    std::vector<Tracked> tracked_;
    unsigned perProcessMs_ = 120000, totalMs_ = 300000;
};

} // namespace kw
