// Time from start to a visible, idle main window: starts KW_Scan.exe, waits until its window is shown
// and answers messages (input idle), and the same for kw_empty_window, an empty window of the same
// toolchain, as the floor the system sets; the two in turns, then the times of each. Run by hand under
// Wine: scripts/wine-run.sh build/bin/kw_startup_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findMain(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    wchar_t cls[32];
    GetClassNameW(w, cls, 32);
    if (owner == s->pid && wcscmp(cls, L"TForm1") == 0 && IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
// The time from start to an idle window of `exe`, in ms; nothing when it cannot be started or ends first.
std::optional<double> startupTime(const std::wstring& exe) {
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    auto t0 = std::chrono::steady_clock::now();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return std::nullopt;
    WaitForInputIdle(pi.hProcess, 30000);
    Search s{pi.dwProcessId, nullptr};
    while (!s.found && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        EnumWindows(findMain, reinterpret_cast<LPARAM>(&s));
        if (!s.found)
            Sleep(1);
    }
    std::optional<double> ms;
    if (s.found) {
        DWORD_PTR r;
        SendMessageTimeoutW(s.found, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r); // idle: it answers
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        PostMessageW(s.found, WM_CLOSE, 0, 0);
    }
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = argc > 1 ? _wtoi(argv[1]) : 10;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    folder = folder.substr(0, folder.rfind(L'\\') + 1);
    // The program and the floor in turns, so that both meet the same state of the machine.
    std::vector<double> program, peer;
    for (int i = 0; i < runs; ++i) {
        std::optional<double> a = startupTime(folder + L"KW_Scan.exe");
        std::optional<double> b = startupTime(folder + L"kw_empty_window.exe");
        if (!a || !b) {
            std::printf("%ls did not start or ended before its window showed\n",
                        !a ? L"KW_Scan.exe" : L"kw_empty_window.exe");
            return 1;
        }
        program.push_back(*a);
        peer.push_back(*b);
    }
    std::sort(program.begin(), program.end());
    std::sort(peer.begin(), peer.end());
    auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };
    std::printf("start to idle window, %d runs: min %.0f ms, median %.0f ms, max %.0f ms\n", runs,
                program.front(), median(program), program.back());
    std::printf("empty window (the floor):     min %.0f ms, median %.0f ms, max %.0f ms\n", peer.front(),
                median(peer), peer.back());
    std::printf("above the floor (medians): %.0f ms; the floor's median over the program's: %.2f (1.0 = no "
                "time of its own)\n",
                median(program) - median(peer), median(peer) / median(program));
    return 0;
}
