#include "core/ConsoleProcesses.h"

#include <algorithm>
#include <chrono>

namespace kw {

void ConsoleProcesses::track(const std::string& commandLine, std::shared_ptr<ChildProcess> process) {
    if (!process)
        return;
    std::lock_guard lock(mutex_);
    tracked_.push_back({commandLine, std::move(process)});
}

std::size_t ConsoleProcesses::count() const {
    std::lock_guard lock(mutex_);
    return tracked_.size();
}

void ConsoleProcesses::waitAll(const std::function<bool()>& keepWaiting) {
    std::vector<Tracked> waiting;
    {
        std::lock_guard lock(mutex_);
        waiting.swap(tracked_);
    }
    waitFor(waiting, keepWaiting);
}

void ConsoleProcesses::waitFor(const std::vector<Tracked>& waiting,
                               const std::function<bool()>& keepWaiting) {
    using Clock = std::chrono::steady_clock;
    const auto totalEnd = Clock::now() + std::chrono::milliseconds(totalMs_);
    bool stopped = false;
    for (const Tracked& t : waiting) {
        const auto end = std::min(totalEnd, Clock::now() + std::chrono::milliseconds(perProcessMs_));
        bool done = t.process->wait(0);
        while (!done && !stopped) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0)
                break;
            done = t.process->wait(static_cast<unsigned>(std::min<long long>(left, 100)));
            if (keepWaiting && !keepWaiting())
                stopped = true;
        }
        if (!done && !stopped) {
            // A tool that never returns would hold its capture open past the run and into the package:
            // its time is up, and what it wrote so far stays.
            t.process->terminate();
            log_.append("[!!] Не дождались завершения команды, её результат может быть неполным: " +
                        t.commandLine);
        }
    }
}

} // namespace kw
