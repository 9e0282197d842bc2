// Win32 processes: a named mutex as the single-instance lock.
#include "platform/Processes.h"

#include <windows.h>

#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

class MutexLock final : public InstanceLock {
public:
    explicit MutexLock(const std::string& name) {
        mutex_.reset(CreateMutexW(nullptr, FALSE, toWide(name).c_str()));
        elsewhere_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    bool heldElsewhere() const override { return elsewhere_; }

private:
    KernelHandle mutex_;
    bool elsewhere_ = false;
};

class WindowsProcesses final : public Processes {
public:
    std::unique_ptr<InstanceLock> lockInstance(const std::string& name) override {
        return std::make_unique<MutexLock>(name);
    }
    void sleepMs(unsigned ms) override { Sleep(ms); }
};

} // namespace

Processes& windowsProcesses() {
    static WindowsProcesses instance;
    return instance;
}

} // namespace kw
