// The support library's bench tool (bench/library-bench.sh drives it).
//   kw_library_bench make TEMPLATE OUT N [CHANGED_PERMILLE]
//       N packages from one result package: other computers and users, a collection date each, and that
//       share of its inventory rows with another MD5; each saved with the program's own code, so that
//       its contents list is true. Prints the seconds it took.
//   kw_library_bench find DB COMPUTER HASH CODE [RUNS]
//       the median milliseconds of a search by computer, by MD5 and by finding code.
//   kw_library_bench copy DB TIMES
//       a library ten times as large without adding ten times as many packages: each package it holds
//       copied TIMES times in SQL, as packages of other computers of the same installation (their
//       contents and inventory rows shared). Prints the seconds it took and the packages it then holds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/CollectionRun.h"
#include "library/PackageLibrary.h"
#include "platform/Text.h"
#include "results/ResultPackage.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Quiet : kw::RunObserver {};

// The files of the folder with the lines the library reads changed for package i.
void vary(kw::FileSystem& files, const std::string& folder, int i, int permille) {
    char computer[32], date[32];
    std::snprintf(computer, sizeof computer, "PC-%04d", i % 1000);
    std::snprintf(date, sizeof date, "%02d.%02d.20%02d", 1 + i % 28, 1 + (i / 28) % 12, 26 + i / 336);
    std::string head = "Имя компьютера: " + std::string(computer) + "\r\nИмя пользователя: user" +
                       std::to_string(i % 37) + "\r\n";
    files.writeFile(folder + "\\software.txt",
                    kw::utf8ToAnsi(head) + files.readFile(folder + "\\software.txt").value_or(""));
    files.writeFile(folder + "\\KW_Scan!.txt",
                    kw::utf8ToAnsi("********************* Начало сбора информации " + std::string(date) +
                                   " - 10:00:00 | Тип: \"Полный \"\r\n"));
    // A share of each inventory's rows with another sum, in one run of rows: an update replaced some files.
    files.listFolder(folder + "\\", [&](const kw::FolderEntry& e) {
        if (e.folder || !e.name.ends_with("Files.csv"))
            return true;
        std::string text = files.readFile(folder + "\\" + e.name).value_or("");
        size_t rows = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
        size_t first = rows * static_cast<size_t>((i * 37) % 1000) / 1000,
               last = first + rows * permille / 1000;
        std::string out;
        size_t row = 0, at = 0;
        for (size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1, ++row) {
            std::string line = text.substr(at, nl + 1 - at);
            if (row > 0 && row >= first && row <= last) {
                size_t md5 = 0;
                for (int tab = 0; tab < 4 && md5 != std::string::npos; ++tab)
                    md5 = line.find('\t', md5 + (tab ? 1 : 0));
                if (md5 != std::string::npos)
                    line.insert(md5 + 1, "v" + std::to_string(i) + "_");
            }
            out += line;
        }
        files.writeFile(folder + "\\" + e.name, out + text.substr(at));
        return true;
    });
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> a;
    for (int i = 1; i < argc; ++i)
        a.push_back(kw::toUtf8(argv[i]));
    kw::FileSystem& files = kw::windowsFileSystem();
    if (a.size() >= 4 && a[0] == "make") {
        const auto start = Clock::now();
        const std::string out = a[2];
        const int n = std::stoi(a[3]), permille = a.size() > 4 ? std::stoi(a[4]) : 5;
        files.createFolder(out);
        // The work folder of a run of this tool's own, in a temporary folder of its own.
        std::string temp = out + "\\.work\\";
        files.deleteFolderTree(out + "\\.work");
        files.createFolder(out + "\\.work");
        SetEnvironmentVariableW(L"TMP", kw::toWide(temp).c_str());
        SetEnvironmentVariableW(L"TEMP", kw::toWide(temp).c_str());
        kw::OptionSet options;
        kw::Settings settings;
        kw::CollectionRun run({files, kw::windowsSystemInfo(), kw::windowsDesktop(), kw::windowsProcesses()},
                              options, settings);
        Quiet quiet;
        kw::ResultPackages packages(run, quiet);
        const std::string work = run.folders().folderPath(kw::kWorkFolder);
        for (int i = 0; i < n; ++i) {
            files.deleteFolderTree(work);
            files.createFolder(work);
            kw::ExtractedCabinet members;
            if (auto error = kw::unpackPlainMembers(a[1], work, work, members)) {
                std::fprintf(stderr, "%s\n", kw::utf8ToAnsi(error->message).c_str());
                return 2;
            }
            files.deleteFile(work + "\\KW_Manifest.csv");
            vary(files, work, i, permille);
            const std::string saved = out + "\\.work\\out";
            files.deleteFolderTree(saved);
            files.createFolder(saved);
            kw::SaveOutcome o = packages.SavePackage(saved);
            if (o.result != kw::SaveResult::Saved ||
                files.moveFile(o.package, out + "\\pkg_" + std::to_string(i) + ".cab")) {
                std::fprintf(stderr, "package %d: %s\n", i, kw::utf8ToAnsi(o.reason).c_str());
                return 2;
            }
        }
        files.deleteFolderTree(out + "\\.work");
        std::printf("%.2f\n", std::chrono::duration<double>(Clock::now() - start).count());
        return 0;
    }
    if (a.size() >= 5 && a[0] == "find") {
        const int runs = a.size() > 5 ? std::stoi(a[5]) : 21;
        kw::PackageLibrary library(kw::LibraryPlace{a[1]});
        const kw::LibraryFilter filters[] = {{.computer = a[2]}, {.hash = a[3]}, {.finding = a[4]}};
        const char* names[] = {"computer", "md5", "finding"};
        for (int f = 0; f < 3; ++f) {
            std::vector<double> ms;
            size_t found = 0;
            for (int r = 0; r < runs; ++r) {
                const auto start = Clock::now();
                found = library.find(filters[f]).size();
                ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
            std::sort(ms.begin(), ms.end());
            std::printf("find by %-8s %6zu packages  median %.1f ms  best %.1f ms\n", names[f], found,
                        ms[ms.size() / 2], ms.front());
        }
        return 0;
    }
    if (a.size() >= 3 && a[0] == "copy") {
        const auto start = Clock::now();
        kw::PackageLibrary library(kw::LibraryPlace{a[1]});
        kw::SqlConnection& db = library.connection();
        // Each copy in a transaction of its own; the id of copy k is the original's with "k_" before it.
        const char* copies[] = {
            "INSERT INTO packages SELECT ? || id, file_name, cabinet_size, computer || ?, computer_key || ?, "
            "user_name, collected, collected_order, program_version, windows, added, source_path, "
            "listing "
            "FROM packages WHERE id NOT LIKE '%!_%' ESCAPE '!'",
            "INSERT INTO products SELECT ? || package_id, tag, tag_key, version, folder "
            "FROM products WHERE package_id NOT LIKE '%!_%' ESCAPE '!'",
            "INSERT INTO findings SELECT ? || package_id, seq, code, code_key, importance, problem, source "
            "FROM findings WHERE package_id NOT LIKE '%!_%' ESCAPE '!'",
            "INSERT INTO package_member_groups SELECT ? || package_id, group_id "
            "FROM package_member_groups WHERE package_id NOT LIKE '%!_%' ESCAPE '!'",
            "INSERT INTO package_groups SELECT ? || package_id, group_id "
            "FROM package_groups WHERE package_id NOT LIKE '%!_%' ESCAPE '!'",
        };
        for (int k = 1; k <= std::stoi(a[2]); ++k) {
            const std::string prefix = std::to_string(k) + "_", suffix = "-" + std::to_string(k);
            kw::SqlTransaction t(db);
            for (size_t c = 0; c < std::size(copies); ++c)
                db.execute(copies[c], c == 0 ? std::vector<kw::SqlValue>{prefix, suffix, suffix}
                                             : std::vector<kw::SqlValue>{prefix});
            t.commit();
        }
        // As a server's own maintenance would have it after so many rows at once: the planner's figures
        // up to date and the new rows marked as seen by all, which lets a search read an index alone.
        if (kw::LibraryPlace{a[1]}.odbc())
            db.execute("VACUUM ANALYZE");
        std::printf("%.2f s, %lld packages\n", std::chrono::duration<double>(Clock::now() - start).count(),
                    static_cast<long long>(library.packageCount()));
        return 0;
    }
    std::fprintf(stderr,
                 "usage: kw_library_bench make TEMPLATE OUT N [CHANGED_PERMILLE] | find DB COMPUTER HASH "
                 "CODE [RUNS] | copy DB TIMES\n");
    return 2;
}
