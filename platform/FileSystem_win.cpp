// Win32 file system and shell operations.
#include "platform/FileSystem.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <mutex>

#include "platform/DeleteTree.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

LocalTime fromSystemTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::optional<LocalTime> localTimeOf(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
        return std::nullopt;
    return fromSystemTime(st);
}

FileError lastFileError() {
    DWORD code = GetLastError();
    return {code, systemErrorText(code)};
}

class WindowsFileReader final : public FileReader {
  public:
    explicit WindowsFileReader(FileHandle f) : f_(std::move(f)) {}
    std::int64_t read(char* buf, std::size_t size) override {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 24));
        if (!ReadFile(f_.get(), buf, want, &got, nullptr)) {
            error_ = lastFileError();
            return -1;
        }
        return got;
    }
    FileError error() const override { return error_; }
    std::int64_t size() override {
        LARGE_INTEGER s;
        return GetFileSizeEx(f_.get(), &s) ? s.QuadPart : -1;
    }

  private:
    FileHandle f_;
    FileError error_;
};

class WindowsFileWriter final : public FileWriter {
  public:
    explicit WindowsFileWriter(FileHandle f) : f_(std::move(f)) {}
    bool write(std::string_view bytes) override {
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(f_.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
                error_ = lastFileError();
                return false;
            }
            done += written;
        }
        return true;
    }
    FileError error() const override { return error_; }

  private:
    FileHandle f_;
    FileError error_;
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { FindClose(h); }
};
using FindHandle = UniqueHandle<FindTraits>;

// A list of paths for SHFileOperation: NUL-separated, ending in a double NUL.
std::wstring shellPathList(const std::string& path) {
    std::wstring w = toWide(path);
    w.push_back(L'\0');
    return w;
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
            if (n < buf.size())
                return toUtf8({buf.data(), n});
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

    bool deleteFolderTree(const std::string& path) override { return deleteTree(path); }

    bool deleteFile(const std::string& path) override { return DeleteFileW(toWide(path).c_str()) != 0; }

    bool writeFile(const std::string& path, std::string_view bytes) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f)
            return false;
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(f.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
                return false;
            done += written;
        }
        return true;
    }

    std::optional<std::string> readFile(const std::string& path) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f)
            return std::nullopt;
        // Read into place up to the size the file has, then in small pieces to its end: a file that grows
        // meanwhile is read to its new end. A read that fails part-way is a failure, not a shorter file.
        std::string out;
        LARGE_INTEGER size{};
        if (GetFileSizeEx(f.get(), &size) && size.QuadPart > 0 && size.QuadPart < (std::int64_t{1} << 30))
            out.reserve(static_cast<size_t>(size.QuadPart));
        for (;;) {
            size_t have = out.size(), room = std::min<size_t>(out.capacity() - have, 1 << 24);
            DWORD got = 0;
            if (room == 0) {
                char more[16384];
                if (!ReadFile(f.get(), more, sizeof more, &got, nullptr))
                    return std::nullopt;
                if (got == 0)
                    break;
                out.append(more, got);
                continue;
            }
            out.resize(have + room);
            if (!ReadFile(f.get(), out.data() + have, static_cast<DWORD>(room), &got, nullptr))
                return std::nullopt;
            out.resize(have + got);
            if (got == 0)
                break;
        }
        return out;
    }

    std::int64_t fileSize(const std::string& path) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (!f || !GetFileSizeEx(f.get(), &size))
            return -1;
        return size.QuadPart;
    }

    std::optional<LocalTime> fileDate(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        FILETIME local;
        SYSTEMTIME st;
        if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
            return std::nullopt;
        return fromSystemTime(st);
    }

    std::optional<FileError> listFolder(const std::string& folder,
                                        const std::function<bool(const FolderEntry&)>& visit) override {
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileExW(toWide(folder + "*").c_str(), FindExInfoStandard, &data,
                                         FindExSearchNameMatch, nullptr, 0));
        if (!find) {
            DWORD code = GetLastError();
            // No entries, or no such folder (nor its parent): nothing to list either way.
            if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES || code == ERROR_PATH_NOT_FOUND)
                return std::nullopt;
            return FileError{code, systemErrorText(code)};
        }
        do {
            if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)
                continue;
            FolderEntry e;
            e.name = toUtf8(data.cFileName);
            e.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            e.reparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            e.size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            e.modified = localTimeOf(data.ftLastWriteTime);
            if (!visit(e))
                return std::nullopt;
        } while (FindNextFileW(find.get(), &data));
        DWORD code = GetLastError();
        if (code != ERROR_NO_MORE_FILES)
            return FileError{code, systemErrorText(code)};
        return std::nullopt;
    }

    std::unique_ptr<FileReader> openRead(const std::string& path, FileError& error) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!f) {
            error = lastFileError();
            return nullptr;
        }
        return std::make_unique<WindowsFileReader>(std::move(f));
    }

    std::unique_ptr<FileWriter> createWrite(const std::string& path, FileError& error) override {
        FileHandle f(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) {
            error = lastFileError();
            return nullptr;
        }
        return std::make_unique<WindowsFileWriter>(std::move(f));
    }

    std::optional<FileError> copyFile(const std::string& from, const std::string& to) override {
        if (CopyFileW(toWide(from).c_str(), toWide(to).c_str(), FALSE))
            return std::nullopt;
        return lastFileError();
    }

    std::optional<FileError> copyFileNoReplace(const std::string& from, const std::string& to) override {
        if (CopyFileExW(toWide(from).c_str(), toWide(to).c_str(), nullptr, nullptr, nullptr,
                        COPY_FILE_FAIL_IF_EXISTS))
            return std::nullopt;
        return lastFileError();
    }

    std::optional<FileError> moveFile(const std::string& from, const std::string& to) override {
        if (MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_REPLACE_EXISTING))
            return std::nullopt;
        return lastFileError();
    }

    bool shellCopy(const std::string& from, const std::string& to) override {
        std::wstring src = shellPathList(from), dst = shellPathList(to);
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_COPY;
        op.pFrom = src.c_str();
        op.pTo = dst.c_str();
        // No dialog may appear during a run: the error UI is suppressed as well.
        op.fFlags = FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_SILENT | FOF_NOERRORUI;
        return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
    }

    unsigned deleteFileWithCode(const std::string& path) override {
        return DeleteFileW(toWide(path).c_str()) ? 0 : GetLastError();
    }

    std::optional<FileVersion> fileVersion(const std::string& path) override {
        std::wstring w = toWide(path);
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeW(w.c_str(), &handle);
        if (size == 0)
            return std::nullopt;
        std::string buf(size, '\0');
        if (!GetFileVersionInfoW(w.c_str(), 0, size, buf.data()))
            return std::nullopt;
        VS_FIXEDFILEINFO* info = nullptr;
        UINT len = 0;
        if (!VerQueryValueW(buf.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info ||
            len < sizeof(VS_FIXEDFILEINFO))
            return std::nullopt;
        FileVersion v;
        v.file[0] = HIWORD(info->dwFileVersionMS), v.file[1] = LOWORD(info->dwFileVersionMS);
        v.file[2] = HIWORD(info->dwFileVersionLS), v.file[3] = LOWORD(info->dwFileVersionLS);
        v.product[0] = HIWORD(info->dwProductVersionMS), v.product[1] = LOWORD(info->dwProductVersionMS);
        v.product[2] = HIWORD(info->dwProductVersionLS), v.product[3] = LOWORD(info->dwProductVersionLS);
        return v;
    }

    std::string specialFolder(int csidl) override {
#ifdef _WIN64
        // The 64-bit stand-in asks for the folders a 32-bit program gets: the (x86) program folders.
        if (csidl == kCsidlProgramFiles)
            csidl = 0x2A; // CSIDL_PROGRAM_FILESX86
        if (csidl == kCsidlProgramFilesCommon)
            csidl = 0x2C; // CSIDL_PROGRAM_FILES_COMMONX86
#endif
        wchar_t buf[MAX_PATH + 1] = {};
        if (!SHGetSpecialFolderPathW(nullptr, buf, csidl, TRUE))
            return {};
        return toUtf8(buf);
    }

    std::string expandEnvironment(const std::string& text) override {
        std::wstring in = toWide(text);
        DWORD n = ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
        if (n == 0)
            return text;
        std::wstring out(n, L'\0');
        n = ExpandEnvironmentStringsW(in.c_str(), out.data(), n);
        if (n == 0)
            return text;
        out.resize(n - 1);
        return toUtf8(out);
    }

    std::string longPathName(const std::string& path) override {
        std::wstring in = toWide(path);
        DWORD n = GetLongPathNameW(in.c_str(), nullptr, 0);
        if (n == 0)
            return path;
        std::wstring out(n, L'\0');
        n = GetLongPathNameW(in.c_str(), out.data(), n);
        if (n == 0 || n >= out.size())
            return path;
        out.resize(n);
        return toUtf8(out);
    }

    bool setCurrentFolder(const std::string& folder) override {
        return SetCurrentDirectoryW(toWide(folder).c_str()) != 0;
    }
};

} // namespace

FileSystem& windowsFileSystem() {
    static WindowsFileSystem instance;
    return instance;
}

} // namespace kw
