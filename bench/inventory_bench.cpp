// Inventory with MD5 of a folder tree: time and throughput of InventoryFolder, with a given number
// of hashing threads. usage: kw_inventory_bench FOLDER [THREADS] [nomd5]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/CollectionRun.h"
#include "core/FileInventory.h"
#include "platform/Text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kw_inventory_bench FOLDER [THREADS]\n");
        return 2;
    }
    std::string folder = kw::toUtf8(argv[1]);
    unsigned threads = argc > 2 ? static_cast<unsigned>(_wtoi(argv[2])) : 2;
    kw::OptionSet options;
    kw::Settings settings;
    options.set(kw::Option::Md5, !(argc > 3 && std::wstring(argv[3]) == L"nomd5"));
    kw::CollectionRun run(
        {kw::windowsFileSystem(), kw::windowsSystemInfo(), kw::windowsDesktop(), kw::windowsProcesses()},
        options, settings);
    run.folders().CreateWorkFolder(kw::kWorkFolder);
    kw::FileInventory inventory(run);
    inventory.setHashThreads(threads);
    auto start = std::chrono::steady_clock::now();
    inventory.InventoryFolder(folder, "Bench");
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.waitForConsoleProcesses();

    std::string table =
        kw::windowsFileSystem().readFile(run.folders().workPath("(Bench)Files.csv")).value_or("");
    long long rows = -1, bytes = 0;
    size_t at = 0;
    while ((at = table.find("\r\n", at)) != std::string::npos) {
        ++rows;
        at += 2;
    }
    // The size column is the second one.
    for (size_t line = table.find("\r\n") + 2; line < table.size();) {
        size_t tab = table.find('\t', line);
        bytes += std::atoll(table.c_str() + tab + 1);
        line = table.find("\r\n", line) + 2;
    }
    std::printf("threads=%u files=%lld bytes=%lld seconds=%.3f MB/s=%.1f table=%s\n", threads, rows, bytes,
                seconds, bytes / 1e6 / seconds,
                kw::toUtf8(kw::toWide(run.folders().workPath("(Bench)Files.csv"))).c_str());
    return 0;
}
