// Console tools recorded, not run: engine and section tests look at their own output only, and a run
// does not wait for two dozen real tools. The instance lock is the real one under a name of this test
// process, so that a KW_Scan.exe started by another test in the same prefix does not see it.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace kw::test {

class RecordingProcesses final : public Processes {
public:
    std::vector<std::string> started;
    std::unique_ptr<InstanceLock> lockInstance(const std::string& name) override {
        return windowsProcesses().lockInstance(name + "." + std::to_string(GetCurrentProcessId()));
    }
    void sleepMs(unsigned) override {}
    LaunchResult launch(const ProcessLaunch& l) override {
        started.push_back(l.commandLine);
        struct Ended : ChildProcess {
            bool wait(unsigned) override { return true; }
        };
        return {std::make_unique<Ended>(), 0};
    }
    std::string commandInterpreter() override { return windowsProcesses().commandInterpreter(); }
};

} // namespace kw::test
