// Starting KW_Scan.exe from a test and finding its main window, for the end-to-end tests.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"
#include "tests/TempFolder.h"
#include "tests/WindowText.h"

namespace kw {

// KW_Scan.exe is built beside the test program.
inline std::string programPath() {
    std::string self = windowsFileSystem().programPath();
    return self.substr(0, self.rfind('\\') + 1) + "KW_Scan.exe";
}

struct Child {
    KernelHandle process;
    DWORD id = 0;
};

// Starts `exe` (a copy of the program, say) with the arguments.
inline Child startProgram(const std::string& exe, const std::string& argument) {
    std::wstring cmd = L"\"" + toWide(exe) + L"\" " + toWide(argument);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    Child c;
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        c.process.reset(pi.hProcess);
        c.id = pi.dwProcessId;
    }
    return c;
}

inline Child start(const std::string& argument) {
    return startProgram(programPath(), argument);
}

// The exit code once the program has ended; STILL_ACTIVE when it did not end in time.
inline DWORD exitCodeAfter(const Child& c, DWORD timeoutMs) {
    if (!c.process || WaitForSingleObject(c.process.get(), timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(c.process.get(), &code);
    return code;
}

inline DWORD runToEnd(const std::string& arguments, DWORD timeoutMs = 240000) {
    return exitCodeAfter(start(arguments), timeoutMs);
}

// The packages a run left in a folder.
inline std::vector<std::string> cabinetsIn(const std::string& folder) {
    std::vector<std::string> found;
    windowsFileSystem().listFolder(folder + "\\", [&](const FolderEntry& e) {
        if (!e.folder && e.name.ends_with(".cab"))
            found.push_back(folder + "\\" + e.name);
        return true;
    });
    return found;
}

// The package of a folder where a run left one; empty where there is none.
inline std::string onlyPackageIn(const std::string& folder) {
    std::vector<std::string> found = cabinetsIn(folder);
    return found.empty() ? std::string() : found.back();
}

// Starts the program with its standard error going into a file, as a script that redirects it would.
inline Child startWithStandardError(const std::string& argument, const std::string& errorFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    FileHandle err(CreateFileW(toWide(errorFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, 0, nullptr));
    std::wstring cmd = L"\"" + toWide(programPath()) + L"\" " + toWide(argument);
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    Child c;
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        c.process.reset(pi.hProcess);
        c.id = pi.dwProcessId;
    }
    return c;
}

// A full run whose results stay in the work folder for the test to read: the save after the run (on
// by default) would pack them and close the program.
inline Child startFullRunKeepingResults() {
    test::writeFileBytes(test::tempDir() + "KW_scan.ini", "[Set]\r\nAutoSave=0\r\n");
    return start("full");
}

// The demo machine keeps logs in the user's temporary folder; a test gives the program a temporary
// folder of its own (below the prefix's, in "kw_tests"), so it gets copies of them there.
inline void copyDemoTempFiles() {
    std::string own = test::tempDir(); // the prefix's temporary folder + "kw_tests\<test>\"
    std::string prefixTemp = own.substr(0, own.rfind('\\', own.rfind('\\', own.size() - 2) - 1) + 1);
    windowsFileSystem().listFolder(prefixTemp, [&](const FolderEntry& e) {
        if (!sameTextIgnoringCase(e.name, "kw_tests") && e.name.rfind("KW_", 0) != 0)
            windowsFileSystem().shellCopy(prefixTemp + e.name, own.substr(0, own.size() - 1));
        return true;
    });
}

// Holds a file open for writing, others allowed to read, as a running service holds its log.
inline FileHandle holdOpen(const std::string& path) {
    return FileHandle(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

// The Windows of the prefix is 64-bit (the test itself may be a 32-bit program on it).
inline bool sixtyFourBitWindows() {
#ifdef _WIN64
    return true; // the 64-bit stand-in build runs only there
#endif
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

inline bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// A visible top-level window of the process with the class name: "TForm1" is the main window,
// "#32770" a message box.
inline HWND windowOf(DWORD pid, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        HWND found;
    } s{pid, className, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) WINAPI -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t cls[64];
            GetClassNameW(w, cls, 64);
            bool wanted = owner == s->pid && wcscmp(cls, s->className) == 0;
            // The main window may be hidden ("fullin"); a message box counts once it shows.
            if (wanted && (wcscmp(cls, L"TForm1") == 0 || IsWindowVisible(w))) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

inline HWND mainWindowOf(DWORD pid) {
    return windowOf(pid, L"TForm1");
}

// A control of the program's window by its identifier, at any depth.
inline HWND descendant(HWND top, int id) {
    struct Search {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        top,
        [](HWND w, LPARAM lp) WINAPI -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(w) != s->id)
                return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

using test::windowText;

} // namespace kw
