// Packs a folder's files into a cabinet or unpacks one, through the program's own cabinet code: the
// interoperability test with Linux's cabinet tools and the package benchmark drive it. Prints the
// seconds the work took.
//   kw_cabinet_tool pack FOLDER CABINET      every file directly in FOLDER, in listing order
//   kw_cabinet_tool unpack CABINET FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: kw_cabinet_tool pack FOLDER CABINET | unpack CABINET FOLDER\n");
        return 2;
    }
    std::string verb = kw::toUtf8(argv[1]), a = kw::toUtf8(argv[2]), b = kw::toUtf8(argv[3]);
    kw::FileSystem& files = kw::windowsFileSystem();
    std::optional<kw::FileError> error;
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    if (verb == "pack") {
        std::vector<kw::CabinetSource> sources;
        std::string folder = a.back() == '\\' ? a : a + "\\";
        files.listFolder(folder, [&](const kw::FolderEntry& e) {
            if (!e.folder)
                sources.push_back({folder + e.name, e.name});
            return true;
        });
        error = kw::writeCabinet(b, sources, "KW_Archive");
    } else if (verb == "unpack") {
        kw::ExtractedCabinet result;
        error = kw::extractCabinet(a, b, {}, result);
    } else {
        return 2;
    }
    if (error) {
        std::fprintf(stderr, "%s\n", kw::utf8ToAnsi(error->message).c_str());
        return 1;
    }
    // The time of the work itself, without the start of the process (the program does it in-process).
    QueryPerformanceCounter(&ended);
    std::printf("%.3f\n", double(ended.QuadPart - started.QuadPart) / double(frequency.QuadPart));
    return 0;
}
