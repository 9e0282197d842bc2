// Win32 processes: a named mutex as the single-instance lock; hidden console processes.
#include "platform/Processes.h"

#include <windows.h>

#include <mutex>
#include <thread>

#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

// The first instance owns the mutex, through a thread of its own that holds it for the object's
// lifetime; a later instance's thread waits and takes it over once the owner has gone (the system then
// marks it abandoned). So each object counts as an instance of its own, within one process too.
class MutexLock final : public InstanceLock {
  public:
    explicit MutexLock(const std::string& name)
        : mutex_(CreateMutexW(nullptr, FALSE, toWide(name).c_str())),
          tried_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          owned_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          quit_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (!mutex_ || !tried_ || !owned_ || !quit_)
            return;
        holder_ = std::thread([this] { hold(); });
        WaitForSingleObject(tried_.get(), INFINITE);
    }
    ~MutexLock() override {
        if (holder_.joinable()) {
            SetEvent(quit_.get());
            holder_.join();
        }
    }
    bool heldElsewhere() override {
        return holder_.joinable() && WaitForSingleObject(owned_.get(), 0) != WAIT_OBJECT_0;
    }

  private:
    void hold() {
        DWORD taken = WaitForSingleObject(mutex_.get(), 0);
        bool now = taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
        if (now)
            SetEvent(owned_.get());
        SetEvent(tried_.get()); // the first answer is known
        if (!now) {
            HANDLE both[] = {quit_.get(), mutex_.get()};
            taken = WaitForMultipleObjects(2, both, FALSE, INFINITE);
            if (taken != WAIT_OBJECT_0 + 1 && taken != WAIT_ABANDONED_0 + 1)
                return;
            SetEvent(owned_.get());
        }
        WaitForSingleObject(quit_.get(), INFINITE);
        ReleaseMutex(mutex_.get());
    }

    KernelHandle mutex_, tried_, owned_, quit_;
    std::thread holder_;
};

// A started process in a job of its own, so that ending it also ends what it started (the programs a
// command interpreter runs for a command line).
class WindowsChild final : public ChildProcess {
  public:
    WindowsChild(HANDLE process, KernelHandle job) : process_(process), job_(std::move(job)) {}
    bool wait(unsigned timeoutMs) override {
        return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
    }
    void terminate() override {
        if (!job_ || !TerminateJobObject(job_.get(), ERROR_TIMEOUT))
            TerminateProcess(process_.get(), ERROR_TIMEOUT);
        WaitForSingleObject(process_.get(), 5000);
    }

  private:
    KernelHandle process_;
    KernelHandle job_;
};

FileHandle openInheritable(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return FileHandle(CreateFileW(path.c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

class WindowsProcesses final : public Processes {
  public:
    std::unique_ptr<InstanceLock> lockInstance(const std::string& name) override {
        return std::make_unique<MutexLock>(name);
    }
    void sleepMs(unsigned ms) override { Sleep(ms); }

    LaunchResult launch(const ProcessLaunch& l) override {
        LaunchResult result;
        // Inheritable handles exist only between their creation and CreateProcess: one start at a
        // time, so that no child inherits another child's output file.
        std::lock_guard lock(startMutex_);
        FileHandle input = openInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
        FileHandle error = openInheritable(L"NUL", GENERIC_WRITE, OPEN_EXISTING);
        FileHandle output;
        if (!l.outputFile.empty()) {
            output = openInheritable(toWide(l.outputFile), GENERIC_WRITE, CREATE_ALWAYS);
            if (!output) {
                result.error = GetLastError();
                return result;
            }
        }
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = SW_HIDE;
        si.hStdInput = input.get();
        si.hStdOutput = output ? output.get() : error.get();
        si.hStdError = error.get();
        std::wstring cmd = toWide(l.commandLine);
        std::wstring folder = toWide(l.currentFolder);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                            nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
            result.error = GetLastError();
            return result;
        }
        // Without a job (the system refuses one) the process alone can still be ended.
        KernelHandle job(CreateJobObjectW(nullptr, nullptr));
        if (job && !AssignProcessToJobObject(job.get(), pi.hProcess))
            job.reset();
        ResumeThread(pi.hThread);
        CloseHandle(pi.hThread);
        result.process = std::make_unique<WindowsChild>(pi.hProcess, std::move(job));
        return result;
    }

    std::string commandInterpreter() override {
        wchar_t buf[MAX_PATH + 1];
        DWORD n = GetEnvironmentVariableW(L"ComSpec", buf, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            return toUtf8({buf, n});
        n = GetSystemDirectoryW(buf, MAX_PATH);
        return (n > 0 && n < MAX_PATH ? toUtf8({buf, n}) : std::string("C:\\Windows\\system32")) +
               "\\cmd.exe";
    }

  private:
    std::mutex startMutex_;
};

} // namespace

Processes& windowsProcesses() {
    static WindowsProcesses instance;
    return instance;
}

bool processRunning(unsigned id) {
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

unsigned currentProcessId() {
    return GetCurrentProcessId();
}

} // namespace kw
