// Win32 file system and shell operations.
#include "platform/FileSystem.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

LocalTime fromSystemTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

class WindowsFileSystem final : public FileSystem {
public:
    std::string tempDirectory() override {
        wchar_t buf[1024];
        DWORD n = GetTempPathW(1023, buf);
        return n == 0 || n > 1023 ? std::string() : toUtf8({buf, n});
    }

    std::string programPath() override {
        std::wstring buf(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
            if (n < buf.size()) return toUtf8({buf.data(), n});
            buf.resize(buf.size() * 2);
        }
    }

    bool folderExists(const std::string& path) override {
        DWORD a = GetFileAttributesW(toWide(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool plainFileExists(const std::string& path) override {
        DWORD a = GetFileAttributesW(toWide(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool createFolder(const std::string& path) override {
        return CreateDirectoryW(toWide(path).c_str(), nullptr) != 0;
    }

    bool deleteFolderTree(const std::string& path) override {
        std::wstring from = toWide(path);
        from.push_back(L'\0');  // the list of names ends in a double NUL
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
        return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
    }

    bool deleteFile(const std::string& path) override { return DeleteFileW(toWide(path).c_str()) != 0; }

    bool writeFile(const std::string& path, std::string_view bytes) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return false;
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(f.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
            done += written;
        }
        return true;
    }

    std::optional<std::string> readFile(const std::string& path) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return std::nullopt;
        std::string out;
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
        return out;
    }

    std::int64_t fileSize(const std::string& path) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (!f || !GetFileSizeEx(f.get(), &size)) return -1;
        return size.QuadPart;
    }

    std::optional<LocalTime> fileDate(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        FILETIME local;
        SYSTEMTIME st;
        if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
            return std::nullopt;
        return fromSystemTime(st);
    }
};

} // namespace

FileSystem& windowsFileSystem() {
    static WindowsFileSystem instance;
    return instance;
}

} // namespace kw
