// The line-by-line comparison on large sides: two registry-export texts of 100,000 lines, two
// inventories of 100,000 rows (a CAD suite's folders, the same file names in many folders, the second
// side an update on another drive), under each md5 rule, and two whole results compared topic by topic
// with such an inventory in them. Checks once that the engine gives what the plain procedure gives.
// Last, two whole results compared with the noise rules and written as the HTML page: two unpacked demo
// packages when given (RESULT1 RESULT2), else results like a demo run's.
// Prints the best and the median of the runs. Run by hand:
//   xvfb-run -a scripts/wine-run.sh build/bin/kw_compare_bench.exe [runs] [lines] [RESULT1 RESULT2]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/Comparison.h"
#include "results/ComparisonHtml.h"
#include "results/FolderComparison.h"
#include "results/TableModel.h"
#include "tests/results/ComparisonOracle.h"

using namespace kw;

namespace {

double timed(const std::function<void()>& fn) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void report(const char* name, std::vector<double> ms, const std::string& note = {}) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-52s best %8.1f ms   median %8.1f ms   %s\n", name, ms.front(), ms[ms.size() / 2],
                note.c_str());
    std::fflush(stdout);
}

std::string leftNote(const Leftovers& left) {
    return "left " + std::to_string(left.side1.size()) + " / " + std::to_string(left.side2.size());
}

// A registry export of the suite: keys with a handful of values each, many lines repeated.
std::wstring registryText(size_t lines, unsigned seed, bool update) {
    std::mt19937 rng(seed);
    std::wstring t = L"Windows Registry Editor Version 5.00\r\n\r\n";
    size_t n = 2;
    for (unsigned key = 0; n < lines; ++key) {
        // The update drops and adds a few keys and changes some values.
        if (update && rng() % 200 == 0)
            continue;
        t += L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D\\21.0\\Settings\\Group" +
             std::to_wstring(key) + L"]\r\n";
        t += L"@=\"\"\r\n\"Flags\"=dword:00000001\r\n";
        t += L"\"Path\"=\"C:\\\\Program Files\\\\TAVIR\\\\MIRTAL-3D V21\\\\Bin\\\\Module" +
             std::to_wstring(key % 300) + L"\\\\\"\r\n";
        unsigned value = update && rng() % 50 == 0 ? key + 1 : key;
        t += L"\"Counter\"=dword:" + std::to_wstring(value % 17) + L"\r\n\"Name\"=\"Группа " +
             std::to_wstring(value) + L"\"\r\n\r\n";
        n += 7;
        if (update && rng() % 200 == 0) {
            t += L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D\\21.0\\Settings\\New" +
                 std::to_wstring(key) + L"]\r\n@=\"\"\r\n\r\n";
            n += 3;
        }
    }
    return t;
}

struct InventoryRow {
    std::string name, size, date, version, md5, folder;
};

// The suite's folders: programs and libraries with names of their own, the same resource files in
// forty language folders, parts libraries whose file names recur across folders, and short names
// that other names contain (ui.dll in m3dui.dll).
std::vector<InventoryRow> suiteInventory(size_t rows, unsigned seed) {
    std::mt19937 rng(seed);
    auto hex = [&] {
        char b[40];
        std::snprintf(b, sizeof b, "%08X%08X%08X%08X", static_cast<unsigned>(rng()),
                      static_cast<unsigned>(rng()), static_cast<unsigned>(rng()),
                      static_cast<unsigned>(rng()));
        return std::string(b);
    };
    auto date = [&] {
        char b[32];
        std::snprintf(b, sizeof b, "%02u.%02u.20%02u %02u:%02u:%02u", static_cast<unsigned>(rng() % 28 + 1),
                      static_cast<unsigned>(rng() % 12 + 1), static_cast<unsigned>(rng() % 20),
                      static_cast<unsigned>(rng() % 24), static_cast<unsigned>(rng() % 60),
                      static_cast<unsigned>(rng() % 60));
        return std::string(b);
    };
    const char* languages[] = {"ru-RU", "en-US", "de-DE", "fr-FR", "it-IT", "es-ES", "pl-PL", "cs-CZ",
                               "uk-UA", "be-BY", "kk-KZ", "zh-CN", "ja-JP", "ko-KR", "pt-BR", "tr-TR",
                               "hu-HU", "ro-RO", "bg-BG", "sk-SK", "sl-SI", "hr-HR", "sr-SP", "lt-LT",
                               "lv-LV", "et-EE", "fi-FI", "sv-SE", "nb-NO", "da-DK", "nl-NL", "el-GR",
                               "he-IL", "ar-SA", "th-TH", "vi-VN", "id-ID", "ms-MY", "hi-IN", "fa-IR"};
    const char* ext[] = {".dll", ".exe", ".ocx", ".ini", ".bmp", ".xml", ".cfg", ".dll.old"};
    const std::string root = "C:\\Program Files\\TAVIR\\MIRTAL-3D V21\\";
    std::vector<InventoryRow> out;
    auto add = [&](std::string name, std::string folder, bool versioned) {
        out.push_back({std::move(name), std::to_string(rng() % 5000000 + 1), date(),
                       versioned ? "21.0." + std::to_string(rng() % 3000) + ".0" : "00", hex(),
                       std::move(folder)});
    };
    const char* shortNames[] = {"ui.dll", "res.dll", "io.dll", "db.dll", "core.dll", "gl.dll"};
    for (size_t i = 0; out.size() < rows * 2 / 10; ++i) {
        std::string name = i % 10 == 0 ? std::string("m3d") + shortNames[i / 10 % 6]
                                       : "m3d_module" + std::to_string(i) + ext[i % 8];
        add(name, root + "Bin\\", i % 8 < 3);
    }
    for (const char* s : shortNames)
        add(s, root + "Bin\\", true);
    for (size_t i = 0; out.size() < rows * 6 / 10; ++i)
        add("m3dres_" + std::to_string(i / 40) + ".dll", root + "Bin\\" + languages[i % 40] + "\\", true);
    for (size_t i = 0; out.size() < rows; ++i)
        add("Part_" + std::to_string(i % 5000) + ".m3d", root + "Libs\\Lib" + std::to_string(i / 5000) + "\\",
            false);
    return out;
}

// The same suite after an update, installed on another drive: some files changed, some gone, some new.
std::vector<InventoryRow> updated(std::vector<InventoryRow> rows, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<InventoryRow> out;
    for (InventoryRow& r : rows) {
        r.folder.replace(0, std::string("C:\\Program Files").size(), "D:");
        unsigned roll = rng() % 1000;
        if (roll < 5)
            continue;    // removed
        if (roll < 25) { // changed
            r.md5[0] = r.md5[0] == 'A' ? 'B' : 'A';
            r.size = std::to_string(std::stoul(r.size) + 512);
        }
        out.push_back(r);
        if (roll >= 995) // added
            out.push_back({"new_" + r.name, r.size, r.date, r.version, r.md5, r.folder});
    }
    return out;
}

std::string inventoryText(const std::vector<InventoryRow>& rows) {
    std::string t = utf8ToAnsi("Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:") + "\r\n";
    for (const InventoryRow& r : rows)
        t += r.name + "\t" + r.size + "\t" + r.date + "\t" + r.version + "\t" + r.md5 + "\t" + r.folder +
             "\r\n";
    return t;
}

// A table as the view holds it: loaded and sorted by "Автосортировка".
TableModel loadedTable(const std::string& text, bool sorted) {
    TableModel t;
    t.LoadTableFile(toWide(text));
    if (sorted)
        t.SortByFirstColumn();
    return t;
}

const char* ruleName(Md5Rule r) {
    switch (r) {
    case Md5Rule::Include:
        return "Учитывать md5";
    case Md5Rule::Only:
        return "Только по md5";
    case Md5Rule::Ignore:
        return "Не учитывать md5";
    }
    return "";
}

bool sameAsOracle(size_t rows) {
    std::vector<InventoryRow> a = suiteInventory(rows, 3);
    TableModel t1 = loadedTable(inventoryText(a), true), t2 = loadedTable(inventoryText(updated(a, 4)), true);
    for (Md5Rule rule : {Md5Rule::Include, Md5Rule::Only, Md5Rule::Ignore}) {
        const CompareOptions o{true, rule};
        Leftovers engine = CompareTables(t1.dataRows(), t2.dataRows(), o);
        Leftovers oracle = test::oracleCompareTables(t1.dataRows(), t2.dataRows(), o);
        std::printf("  %zu rows, %s: engine %s, procedure %s\n", rows, ruleName(rule),
                    leftNote(engine).c_str(), leftNote(oracle).c_str());
        if (engine.side1 != oracle.side1 || engine.side2 != oracle.side2)
            return false;
    }
    std::wstring r1 = registryText(rows, 1, false), r2 = registryText(rows, 2, true);
    std::vector<std::wstring_view> l1 = splitLines(r1), l2 = splitLines(r2);
    Leftovers engine = CompareLines(l1, l2), oracle = test::oracleCompareLines(l1, l2);
    std::printf("  %zu lines: engine %s, procedure %s\n", l1.size(), leftNote(engine).c_str(),
                leftNote(oracle).c_str());
    return engine.side1 == oracle.side1 && engine.side2 == oracle.side2;
}

// Two results like a demo run's: texts, registry exports, console captures, COM+ reports, a few
// inventories, and the suite's big one.
void writeResult(FileSystem& files, const std::string& folder, bool update, size_t rows) {
    files.deleteFolderTree(folder);
    files.createFolder(folder);
    auto put = [&](const std::string& name, const std::string& bytes) {
        files.writeFile(folder + "\\" + name, bytes);
    };
    put("software.txt", utf8ToAnsi("Windows 7 Professional\r\nДомен: WORKGROUP\r\nАдминистратор: да\r\n"));
    put("hardware.txt", utf8ToAnsi(update ? "Память: 16 ГБ\r\n" : "Память: 8 ГБ\r\n"));
    put("(REG)HKLM_TAVIR.txt", toUtf8(registryText(3000, 1, false)));
    put("(REG)MIRTAL.txt", toUtf8(registryText(2000, update ? 2 : 1, update)));
    put("(cmd)ipconfig_all.txt", "\x80\xa4\xa0\xaf\xe2\xa5\xe0 Ethernet:\r\n   IPv4 192.168.0.1\r\n");
    put("(cmd)tasklist.txt", std::string(20000, 'x'));
    put("TAVIR_Sync.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 Sync\\par Enabled\\par}");
    std::vector<InventoryRow> small = suiteInventory(5000, 7);
    put("(COD)Files.csv", inventoryText(update ? updated(small, 8) : small));
    put("(MIRTAL_Libs)Files.csv", inventoryText(small));
    std::vector<InventoryRow> big = suiteInventory(rows, 5);
    put("(MIRTAL_Bin)Files.csv", inventoryText(update ? updated(big, 6) : big));
    put("programs.csv", utf8ToAnsi("Программа\tВерсия\r\nTAVIR MIRTAL-3D\t21.0\r\n"));
}

// A real result (an unpacked package) copied file by file.
void copyResult(FileSystem& files, const std::string& from, const std::string& to) {
    files.deleteFolderTree(to);
    files.createFolder(to);
    files.listFolder(from + "\\", [&](const FolderEntry& e) {
        if (!e.folder)
            if (auto bytes = files.readFile(from + "\\" + e.name))
                files.writeFile(to + "\\" + e.name, *bytes);
        return true;
    });
}

// Two whole demo results with the suite's big inventory in both, compared with the noise rules on and
// written as the HTML page, as "KW_Scan.exe compare P1 P2 REPORT.html" does after unpacking.
void timeNoiseAndHtml(FileSystem& files, const std::string& root, int runs, size_t rows,
                      const std::string& demo1, const std::string& demo2) {
    std::vector<InventoryRow> big = suiteInventory(rows, 5);
    if (demo1.empty()) {
        writeResult(files, root + "\\KW_Temp", false, rows);
        writeResult(files, root + "\\KW_Temp2", true, rows);
    } else {
        copyResult(files, demo1, root + "\\KW_Temp");
        copyResult(files, demo2, root + "\\KW_Temp2");
    }
    files.writeFile(root + "\\KW_Temp\\(MIRTAL_Bin)Files.csv", inventoryText(big));
    files.writeFile(root + "\\KW_Temp2\\(MIRTAL_Bin)Files.csv", inventoryText(updated(big, 6)));
    std::vector<double> ms;
    FolderComparison result;
    size_t bytes = 0;
    // The parts apart: the comparison without and with the noise rules, and the page alone.
    for (bool noise : {false, true}) {
        ms.clear();
        for (int r = 0; r < runs; ++r)
            ms.push_back(timed([&] {
                result = compareFolders(files, root + "\\KW_Temp", root + "\\KW_Temp2", {}, {},
                                        NoiseOptions{.timesAndPaths = noise});
            }));
        report(noise ? "  compareFolders, noise rules on" : "  compareFolders, noise rules off", ms);
    }
    ms.clear();
    for (int r = 0; r < runs; ++r)
        ms.push_back(timed([&] {
            files.writeFile(root + "\\report.html", comparisonReportHtml(result, "1.cab", "2.cab"));
        }));
    report("  HTML page written", ms);
    ms.clear();
    // On a busy machine the wall clock says more about the others; the process's own processor time
    // (the work is single-threaded) says what the comparison costs.
    std::vector<double> cpu;
    auto processorMs = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ms = [](FILETIME t) {
            return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
        };
        return ms(kernel) + ms(user);
    };
    for (int r = 0; r < runs; ++r)
        ms.push_back(timed([&] {
            double before = processorMs();
            result = compareFolders(files, root + "\\KW_Temp", root + "\\KW_Temp2", {}, {}, NoiseOptions{});
            std::string page = comparisonReportHtml(result, "1.cab", "2.cab");
            bytes = page.size();
            files.writeFile(root + "\\report.html", page);
            cpu.push_back(processorMs() - before);
        }));
    size_t different = 0, noise = 0;
    for (const TopicComparison& t : result.rows) {
        different += differs(t.state);
        noise += t.state == TopicState::SameWithoutNoise;
    }
    report(demo1.empty() ? "compareFolders + noise + HTML, demo-like results"
                         : "compareFolders + noise + HTML, demo results",
           ms,
           std::to_string(result.rows.size()) + " topics, " + std::to_string(different) + " differ, " +
               std::to_string(noise) + " only by noise, page " + std::to_string(bytes / 1024) + " KB");
    report("  the same, processor time", cpu);
    for (const TopicComparison& t : result.rows)
        if (t.state != TopicState::Same)
            std::printf("  %-40s %-26s %zu / %zu\n", t.file.c_str(), std::string(stateText(t.state)).c_str(),
                        t.left1, t.left2);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    const size_t size = argc > 2 ? static_cast<size_t>(std::max(1000, _wtoi(argv[2]))) : 100000;
    std::printf("kw_compare_bench: %d runs, %zu lines / rows a side, %d-bit build\n", runs, size,
                static_cast<int>(sizeof(void*) * 8));

    std::printf("The engine against the plain procedure:\n");
    if (!sameAsOracle(3000)) {
        std::printf("DIFFERENT RESULTS\n");
        return 1;
    }

    std::wstring text1 = registryText(size, 1, false), text2 = registryText(size, 2, true);
    std::vector<std::wstring_view> lines1 = splitLines(text1), lines2 = splitLines(text2);
    std::vector<double> ms;
    Leftovers left;
    for (int r = 0; r < runs; ++r)
        ms.push_back(timed([&] { left = CompareLines(lines1, lines2); }));
    report(("CompareLines, " + std::to_string(lines1.size()) + " lines").c_str(), ms, leftNote(left));

    std::vector<InventoryRow> inventory = suiteInventory(size, 1);
    const std::string inventory1 = inventoryText(inventory),
                      inventory2 = inventoryText(updated(inventory, 2));
    for (bool sorted : {true, false}) {
        TableModel t1 = loadedTable(inventory1, sorted), t2 = loadedTable(inventory2, sorted);
        const CompareOptions optionSets[] = {{true, Md5Rule::Only},
                                             {true, Md5Rule::Include},
                                             {false, Md5Rule::Include},
                                             {true, Md5Rule::Ignore}};
        for (const CompareOptions& o : optionSets) {
            ms.clear();
            for (int r = 0; r < runs; ++r)
                ms.push_back(timed([&] { left = CompareTables(t1.dataRows(), t2.dataRows(), o); }));
            std::string name = "CompareTables, " + std::to_string(t1.dataRows().size()) + " rows, " +
                               (sorted ? "sorted, " : "folder order, ") + ruleName(o.md5) +
                               (o.ignoreDate ? "" : ", date");
            report(name.c_str(), ms, leftNote(left));
        }
    }

    FileSystem& files = windowsFileSystem();
    const std::string root = files.tempDirectory() + "kw_compare_bench";
    files.createFolder(root);
    writeResult(files, root + "\\KW_Temp", false, size);
    writeResult(files, root + "\\KW_Temp2", true, size);
    ms.clear();
    FolderComparison result;
    for (int r = 0; r < runs; ++r)
        ms.push_back(
            timed([&] { result = compareFolders(files, root + "\\KW_Temp", root + "\\KW_Temp2", {}); }));
    size_t different = static_cast<size_t>(std::count_if(
        result.rows.begin(), result.rows.end(), [](const auto& t) { return t.state != TopicState::Same; }));
    report("compareFolders, two demo-like results", ms,
           std::to_string(result.rows.size()) + " topics, " + std::to_string(different) + " differ");
    for (const TopicComparison& t : result.rows)
        std::printf("  %-40s %-14s %zu / %zu\n", t.file.c_str(), std::string(stateText(t.state)).c_str(),
                    t.left1, t.left2);
    // Two unpacked demo packages, when given, stand for the demo-like results.
    timeNoiseAndHtml(files, root, runs, size, argc > 4 ? toUtf8(argv[3]) : std::string(),
                     argc > 4 ? toUtf8(argv[4]) : std::string());
    files.deleteFolderTree(root);
    return 0;
}
