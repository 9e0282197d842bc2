// Console tools recorded, not run: engine and section tests look at their own output only, and a run
// does not wait for two dozen real tools. The instance lock is the real one under a name of this test
// process, so that a KW_Scan.exe started by another test in the same prefix does not see it.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Processes.h"

namespace kw::test {

class RecordingProcesses final : public Processes {
  public:
    std::vector<std::string> started;
    // What a started tool leaves behind, done only once somebody waits for it (a slow tool).
    std::function<void(const std::string& commandLine)> finish;
    std::unique_ptr<InstanceLock> lockInstance(const std::string& name) override {
        return windowsProcesses().lockInstance(name + "." + std::to_string(GetCurrentProcessId()));
    }
    void sleepMs(unsigned) override {}
    LaunchResult launch(const ProcessLaunch& l) override {
        started.push_back(l.commandLine);
        struct Ended : ChildProcess {
            std::function<void(const std::string&)> finish;
            std::string commandLine;
            bool wait(unsigned) override {
                if (finish)
                    std::exchange(finish, nullptr)(commandLine);
                return true;
            }
            void terminate() override {}
        };
        auto child = std::make_unique<Ended>();
        child->finish = finish;
        child->commandLine = l.commandLine;
        return {std::move(child), 0};
    }
    std::string commandInterpreter() override { return windowsProcesses().commandInterpreter(); }
};

} // namespace kw::test
