#include "app/CommandLineTools.h"

#include <windows.h>

#include <new>
#include <stdexcept>

#include "platform/Text.h"
#include "results/ResultPackage.h"

namespace kw {

namespace {

void tellStream(DWORD stream, const std::string& text) {
    HANDLE out = GetStdHandle(stream);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        // A window program started from a console has no handle of its own: it writes to that console.
        static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
        if (!attached)
            return;
        out = GetStdHandle(stream);
        if (out == nullptr || out == INVALID_HANDLE_VALUE)
            return;
    }
    DWORD written = 0, mode = 0;
    if (GetConsoleMode(out, &mode)) {
        std::wstring wide = toWide(text + "\r\n");
        WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::string bytes = utf8ToAnsi(text + "\r\n");
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

void tellStandardError(const std::string& text) {
    tellStream(STD_ERROR_HANDLE, text);
}

void tellStandardOutput(const std::string& text) {
    tellStream(STD_OUTPUT_HANDLE, text);
}

int runWindowlessCommand(int (*command)(const std::vector<std::string>&),
                         const std::vector<std::string>& args) {
    FileSystem& files = windowsFileSystem();
    removeStaleStagingFolders(files, files.tempDirectory());
    try {
        return command(args);
    } catch (const std::bad_alloc&) {
        tellStandardError("Недостаточно памяти для выполнения команды " + args.front());
    } catch (const std::exception& e) {
        tellStandardError("Команда " + args.front() + " не выполнена: " + e.what());
    }
    return 2;
}

std::optional<std::string> UnpackedPackage::unpack(const std::string& package) {
    files_.deleteFolderTree(folder_);
    if (!files_.createFolder(folder_))
        return "не удалось создать каталог " + folder_;
    members_ = {};
    if (auto error = unpackPlainMembers(package, folder_, folder_, members_))
        return error->message;
    return std::nullopt;
}

} // namespace kw
