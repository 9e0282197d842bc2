// Saves a work folder as a package with the program's own code, for the contents-list test with Linux's
// tools and the package benchmark. TEMP_DIR takes the place of the user's temporary directory: its
// "KW_Temp" is the work folder. Prints the seconds the save took.
//   kw_package_tool save TEMP_DIR OUT_FOLDER [nomask]   "Сохранить информацию..."
//   (ResultPackages::SavePackage) kw_package_tool plain TEMP_DIR OUT_FOLDER           the save as it was
//   before the contents list: the
//                                                       folder listed, packed and copied, nothing hashed or
//                                                       masked
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/CollectionRun.h"
#include "platform/Cabinet.h"
#include "platform/Text.h"
#include "results/PackageMembers.h"
#include "results/ResultPackage.h"

namespace {

struct Quiet : kw::RunObserver {};

double seconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: kw_package_tool save|plain TEMP_DIR OUT_FOLDER [nomask]\n");
        return 2;
    }
    std::string verb = kw::toUtf8(argv[1]), temp = kw::toUtf8(argv[2]), out = kw::toUtf8(argv[3]);
    if (temp.back() != '\\')
        temp += '\\';
    SetEnvironmentVariableW(L"TMP", kw::toWide(temp).c_str());
    SetEnvironmentVariableW(L"TEMP", kw::toWide(temp).c_str());

    kw::OptionSet options;
    kw::Settings settings;
    kw::CollectionRun run(
        {kw::windowsFileSystem(), kw::windowsSystemInfo(), kw::windowsDesktop(), kw::windowsProcesses()},
        options, settings);
    Quiet quiet;
    kw::ResultPackages packages(run, quiet);
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    if (verb == "save") {
        options.set(kw::Option::HidePasswords, !(argc > 4 && std::wstring(argv[4]) == L"nomask"));
        kw::SaveOutcome outcome = packages.SavePackage(out);
        if (outcome.result != kw::SaveResult::Saved) {
            std::fprintf(stderr, "%s\n", kw::utf8ToAnsi(outcome.reason).c_str());
            return 1;
        }
    } else if (verb == "plain") {
        kw::FileSystem& files = kw::windowsFileSystem();
        std::string work = run.folders().folderPath(kw::kWorkFolder);
        std::vector<std::string> names;
        std::int64_t bytes = 0;
        kw::WritePackageList(files, work, names, bytes);
        std::vector<kw::CabinetSource> sources;
        for (const std::string& n : names)
            sources.push_back({work + "\\" + n, n});
        std::string cabinet = work + "\\KWScan.CAB";
        if (auto error = kw::writeCabinet(cabinet, sources, kw::kDiskLabel)) {
            std::fprintf(stderr, "%s\n", kw::utf8ToAnsi(error->message).c_str());
            return 1;
        }
        if (auto error = files.copyFileNoReplace(cabinet, out + "\\plain.cab")) {
            std::fprintf(stderr, "%s\n", kw::utf8ToAnsi(error->message).c_str());
            return 1;
        }
        files.deleteFile(cabinet);
    } else if (verb == "prepare") {
        kw::FileSystem& files = kw::windowsFileSystem();
        std::string work = run.folders().folderPath(kw::kWorkFolder);
        std::vector<std::string> names;
        std::int64_t bytes = 0;
        kw::WritePackageList(files, work, names, bytes);
        bool mask = !(argc > 4 && std::wstring(argv[4]) == L"nomask");
        std::size_t masked = 0;
        for (const std::string& n : names) {
            kw::PreparedMember member;
            if (auto error = kw::prepareMember(files, work + "\\" + n, n, mask, out, member)) {
                std::fprintf(stderr, "%s\n", kw::utf8ToAnsi(error->message).c_str());
                return 1;
            }
            masked += member.masked.size();
        }
        std::fprintf(stderr, "%zu files, %zu values masked\n", names.size(), masked);
    } else {
        return 2;
    }
    std::printf("%.3f\n", seconds(started));
    return 0;
}
