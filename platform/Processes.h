// Processes: the single-instance lock; console tools join here later.
#pragma once
#include <memory>
#include <string>

namespace kw {

// A lock held for the lifetime of the object; tells whether another process held it first.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    virtual bool heldElsewhere() const = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    virtual std::unique_ptr<InstanceLock> lockInstance(const std::string& name) = 0;
    virtual void sleepMs(unsigned milliseconds) = 0;
};

Processes& windowsProcesses();

} // namespace kw
