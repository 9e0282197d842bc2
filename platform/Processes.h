// Processes: the single-instance lock and hidden console processes, started without a shell where
// none is needed, their output redirected to a file through an inherited handle.
#pragma once
#include <memory>
#include <string>

namespace kw {

// A lock held for the lifetime of the object by the first of the processes that ask for it. Each call
// answers for that moment: a process that found it held takes it once the holder has ended. Ask from
// the thread that created it.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
    virtual bool heldElsewhere() = 0;
};

struct ProcessLaunch {
    std::string commandLine;   // exactly as CreateProcess takes it: the caller quotes what needs quoting
    std::string outputFile;    // empty: no redirection; else standard output goes there (replaced)
    std::string currentFolder; // empty: the program's own
};

// A started process; the object may be dropped while the process still runs.
class ChildProcess {
  public:
    virtual ~ChildProcess() = default;
    // True when the process has ended within timeoutMs (0 only asks).
    virtual bool wait(unsigned timeoutMs) = 0;
    // Ends the process and whatever it started, when its time is up.
    virtual void terminate() = 0;
};

struct LaunchResult {
    std::unique_ptr<ChildProcess> process; // nothing when the start failed
    unsigned error = 0;
};

class Processes {
  public:
    virtual ~Processes() = default;
    virtual std::unique_ptr<InstanceLock> lockInstance(const std::string& name) = 0;
    virtual void sleepMs(unsigned milliseconds) = 0;
    // Starts a hidden console process with no window; standard input and error go to NUL.
    virtual LaunchResult launch(const ProcessLaunch& launch) = 0;
    // The command interpreter's full path (ComSpec), for command lines that need the shell.
    virtual std::string commandInterpreter() = 0;
};

Processes& windowsProcesses();

// This process's number: what tells the folders of two running instances apart.
unsigned currentProcessId();
// Whether a process of that number runs now (one of another user's counts too).
bool processRunning(unsigned id);

} // namespace kw
