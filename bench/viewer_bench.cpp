// Opening, showing and sorting a large inventory table in the results area: writes a table of
// 100,000 rows (a CAD library's inventory), opens its tree node in a visible window with zebra and
// colours on, sorts it by header clicks and by "Сортировать первый столбец", and pages through it.
// Prints the best and the median of the runs, and the process's peak memory while the view did that
// (before the breakdown of the opening, which holds copies of its own). Run by hand under Xvfb:
//   xvfb-run -a scripts/wine-run.sh build/bin/kw_viewer_bench.exe [runs] [rows]
#include <windows.h>
// after windows.h
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/LocaleText.h"
#include "viewer/ViewerPane.h"

using namespace kw;

namespace {

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

double timed(const std::function<void()>& fn) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    pump();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Files named by numbers ("10", "9") among names that begin with digits ("9a.dat"): the header-click
// sort's hard case, where text order and number order disagree.
std::string numericName(unsigned r) {
    std::string name = std::to_string(r % 100000);
    return r % 3 == 0 ? name + "a.dat" : name;
}

// Written in pieces of 10,000 rows, so that the file's text is never held whole before the view opens it.
void writeInventory(FileWriter& out, int rows) {
    std::string piece = utf8ToAnsi("Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:") + "\r\n";
    const char* ext[] = {".dll", ".exe", ".ocx", ".ini", ".lib", ".txt", ".m3d", ".dll.old"};
    unsigned seed = 12345;
    auto rnd = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFFFF; };
    char line[512];
    for (int i = 0; i < rows; ++i) {
        unsigned r = rnd();
        snprintf(line, sizeof line,
                 "Part_%06u%s\t%u\t%02u.%02u.20%02u %02u:%02u:%02u\t%s\t%08X%08X%08X%08X\t"
                 "C:\\Program Files\\TAVIR\\MIRTAL-3D V21\\Libs\\Lib%03u\\\r\n",
                 r % 900000, ext[r % 8], rnd() % 5000000, r % 28 + 1, r % 12 + 1, r % 20, r % 24, r % 60,
                 r % 59, numericName(rnd()).c_str(), rnd(), rnd(), rnd(), rnd(), r % 400);
        piece += line;
        if (i % 10000 == 9999) {
            out.write(piece);
            piece.clear();
        }
    }
    out.write(piece);
}

// The process's peak working set and peak committed memory so far, in MB.
void printPeakMemory() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) {
        std::printf("peak memory: not available\n");
        return;
    }
    std::printf("peak memory: working set %.0f MB, committed %.0f MB\n",
                static_cast<double>(pmc.PeakWorkingSetSize) / 1048576.0,
                static_cast<double>(pmc.PeakPagefileUsage) / 1048576.0);
}

struct Series {
    const char* name;
    std::vector<double> ms;
    void print() {
        std::sort(ms.begin(), ms.end());
        std::printf("%-48s best %8.1f ms   median %8.1f ms\n", name, ms.front(), ms[ms.size() / 2]);
    }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    int rows = argc > 2 ? std::max(1, _wtoi(argv[2])) : 100000;
    FileSystem& files = windowsFileSystem();
    std::string root = files.tempDirectory() + "kw_viewer_bench";
    files.deleteFolderTree(root);
    files.createFolder(root);
    files.createFolder(root + "\\KW_Temp");
    files.createFolder(root + "\\KW_Temp2");
    const ResultNode* node = findAssociation("Список файлов [MIRTAL-3D Vxx\\Libs]");
    {
        FileError error{};
        std::unique_ptr<FileWriter> out =
            files.createWrite(root + "\\KW_Temp\\" + std::string(node->file), error);
        if (!out) {
            std::printf("cannot write the table\n");
            return 1;
        }
        writeInventory(*out, rows);
    }
    int index = static_cast<int>(node - resultTree().data());

    HWND top = CreateWindowExW(0, L"STATIC", L"KW_Scan! viewer bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               1200, 800, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Desktop& desktop = windowsDesktop();
    OptionSet options; // zebra, colours, "Автоподбор" and "Автосортировка" on, as by default
    options.set(Option::NotSort, false);
    Settings settings;
    ViewerPane pane(files, desktop, options, settings, root + "\\KW_Temp", root + "\\KW_Temp2");
    pane.create(top, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    pane.move(0, 0, 1180, 760);
    pump();

    Series open{"open node and show (load, sort, fit, paint)"},
        bySize{"header click, column \"Байт:\" (numbers)"},
        byName{"header click, column \"Имя файла:\" (text)"},
        byNumericName{"header click, column \"Версия:\" (names \"10\", \"9\", \"9a.dat\")"},
        byPath{"header click, column \"Путь:\" (text)"}, first{"\"Сортировать первый столбец\""},
        page{"page down, per page (100 pages)"}, read{"  of which: read and decode the file (ANSI)"},
        parse{"  of which: LoadTableFile (cut into cells)"},
        autosort{"  of which: \"Автосортировка\" (order, then applied)"},
        fit{"  of which: \"Автоподбор, таблица\""};
    std::string path = root + "\\KW_Temp\\" + std::string(node->file);
    for (int run = 0; run < runs; ++run) {
        pane.selectNode(0);
        pump();
        open.ms.push_back(timed([&] {
            pane.selectNode(index);
            UpdateWindow(pane.table(1).hwnd());
        }));
        auto header = [&](int col) {
            return timed([&] {
                pane.headerPress(1, {col, 0});
                UpdateWindow(pane.table(1).hwnd());
            });
        };
        bySize.ms.push_back(header(1));
        byName.ms.push_back(header(0));
        byNumericName.ms.push_back(header(3));
        byPath.ms.push_back(header(5));
        first.ms.push_back(timed([&] {
            pane.SortByFirstColumn(1);
            UpdateWindow(pane.table(1).hwnd());
        }));
        HWND grid = pane.table(1).hwnd();
        fit.ms.push_back(timed([&] { pane.autoFit(1, false); }));
        page.ms.push_back(timed([&] {
                              for (int i = 0; i < 100; ++i) {
                                  SendMessageW(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
                                  UpdateWindow(grid);
                              }
                          }) /
                          100);
    }
    std::printf("%d rows, %d runs\n", pane.table(1).model().rowCount() - 1, runs);
    printPeakMemory();
    for (int run = 0; run < runs; ++run) {
        std::wstring decoded;
        read.ms.push_back(timed([&] {
            FileError error{};
            std::unique_ptr<FileReader> in = files.openRead(path, error);
            decoded = *readDecodedFile(*in, Encoding::Ansi);
        }));
        TableModel scratch;
        parse.ms.push_back(timed([&] { scratch.LoadTableFile(std::move(decoded)); }));
        autosort.ms.push_back(timed([&] { scratch.applyOrder(scratch.firstColumnOrder()); }));
    }
    for (Series* s :
         {&open, &read, &parse, &autosort, &fit, &bySize, &byName, &byNumericName, &byPath, &first, &page})
        s->print();
    DestroyWindow(top);
    files.deleteFolderTree(root);
    return 0;
}
