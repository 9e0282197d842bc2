// The findings on a result: every rule of the table evaluated on an unpacked package (a demo run's, say),
// each run reading the files afresh as a run's end or an opened package does. Prints the best and the
// median, and the findings of the last run. Target: under 100 ms. Run by hand:
//   xvfb-run -a scripts/wine-run.sh build/bin/kw_findings_bench.exe PACKAGE.cab|FOLDER [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "products/EditionTable.h"
#include "results/Findings.h"
#include "results/ResultPackage.h"

using namespace kw;

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: kw_findings_bench PACKAGE.cab|FOLDER [runs]\n");
        return 2;
    }
    FileSystem& files = windowsFileSystem();
    std::string source = toUtf8(argv[1]), folder = source;
    int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 20;
    if (files.plainFileExists(source)) {
        folder = files.tempDirectory() + "KW_FindingsBench";
        files.deleteFolderTree(folder);
        files.createFolder(folder);
        ExtractedCabinet extracted;
        if (auto error = unpackPlainMembers(source, folder, folder, extracted)) {
            std::printf("cannot unpack: %s\n", error->message.c_str());
            return 2;
        }
    }
    EditionLookup editions{
        .isComponent = [](std::string_view f) { return !EditionTable::builtIn().rowsOf(f).empty(); },
        .matches = [](std::string_view f, std::int64_t size,
                      std::string_view v) { return EditionTable::builtIn().match(f, size, v) != nullptr; },
    };
    const std::vector<FindingRule>& rules = builtInRules().rules;
    std::vector<double> ms;
    std::vector<Finding> findings;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        findings = evaluateFindings(files, folder, rules, &editions);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%zu rules, %d runs: best %.1f ms, median %.1f ms, %zu findings\n", rules.size(), runs,
                ms.front(), ms[ms.size() / 2], findings.size());
    for (const Finding& f : findings)
        std::printf("  %s %s\n", f.code.c_str(), utf8ToAnsi(f.source).c_str());
    if (folder != source)
        files.deleteFolderTree(folder);
    return 0;
}
