// Files and shell: the file-system operations the program needs, behind an interface so that
// tests can make them fail.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SystemInfo.h"

namespace kw {

// One entry of a folder listing, as FindFirstFile/FindNextFile report it.
struct FolderEntry {
    std::string name;
    bool folder = false;
    bool reparsePoint = false; // a junction or symbolic link: walks never enter it
    std::int64_t size = 0;
    std::optional<LocalTime> modified; // last write, local time
};

// A failure with the system's error code and message.
struct FileError {
    unsigned code = 0;
    std::string message;
};

// The fixed version information of a version resource: file and product version as four numbers.
struct FileVersion {
    unsigned file[4] = {0, 0, 0, 0};
    unsigned product[4] = {0, 0, 0, 0};
};

// A file opened for sequential reading, so that large files never have to fit in memory.
class FileReader {
  public:
    virtual ~FileReader() = default;
    // Bytes read into buf (0 at the end), or -1 on a read error (then error() says why).
    virtual std::int64_t read(char* buf, std::size_t size) = 0;
    virtual FileError error() const = 0;
    // The file's size in bytes, -1 when it cannot be asked.
    virtual std::int64_t size() = 0;
};

// A file created (or replaced) for sequential writing.
class FileWriter {
  public:
    virtual ~FileWriter() = default;
    virtual bool write(std::string_view bytes) = 0;
    virtual FileError error() const = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The user's temporary directory as the system reports it, ending in a separator.
    virtual std::string tempDirectory() = 0;
    // The full path of the running program file.
    virtual std::string programPath() = 0;

    virtual bool folderExists(const std::string& path) = 0;
    virtual bool plainFileExists(const std::string& path) = 0; // a file, not a folder
    virtual bool createFolder(const std::string& path) = 0;
    // Removes the folder itself with everything in it, without the recycle bin or any dialog; only a full
    // path is taken, and links inside are removed, not followed.
    virtual bool deleteFolderTree(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;

    // Writes the bytes as the whole file, replacing it.
    virtual bool writeFile(const std::string& path, std::string_view bytes) = 0;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;

    // Size in bytes, -1 when the file cannot be opened.
    virtual std::int64_t fileSize(const std::string& path) = 0;
    // Last-write time in local time, nothing when it cannot be read.
    virtual std::optional<LocalTime> fileDate(const std::string& path) = 0;

    // Calls visit for every entry of folder (ending in a separator) in the order the file system
    // returns them, "." and ".." left out, until visit returns false. An empty or missing folder is no
    // error; a listing that cannot be started or continued returns the error.
    virtual std::optional<FileError> listFolder(const std::string& folder,
                                                const std::function<bool(const FolderEntry&)>& visit) = 0;

    // Read-only, in compatibility sharing (others may read and write meanwhile).
    virtual std::unique_ptr<FileReader> openRead(const std::string& path, FileError& error) = 0;
    virtual std::unique_ptr<FileWriter> createWrite(const std::string& path, FileError& error) = 0;
    virtual std::optional<FileError> copyFile(const std::string& from, const std::string& to) = 0;
    // The same byte copy, refused when the target exists (CopyFileEx with COPY_FILE_FAIL_IF_EXISTS).
    virtual std::optional<FileError> copyFileNoReplace(const std::string& from, const std::string& to) = 0;
    // One shell copy (SHFileOperation FO_COPY, FOF_NOCONFIRMATION | FOF_ALLOWUNDO); to may be a folder.
    virtual bool shellCopy(const std::string& from, const std::string& to) = 0;
    // Moves a file within one volume, replacing a file of the target's name.
    virtual std::optional<FileError> moveFile(const std::string& from, const std::string& to) = 0;
    // Deletes a file and reports the system error code, 0 on success.
    virtual unsigned deleteFileWithCode(const std::string& path) = 0;

    // The version resource of a program file, nothing when it has none.
    virtual std::optional<FileVersion> fileVersion(const std::string& path) = 0;

    // A shell special folder by its CSIDL number, created when missing; empty when the call fails.
    virtual std::string specialFolder(int csidl) = 0;
    virtual std::string expandEnvironment(const std::string& text) = 0;
    // The long form of a path (8.3 names spelt out); the path itself when that fails.
    virtual std::string longPathName(const std::string& path) = 0;
    // Makes folder the process's current directory.
    virtual bool setCurrentFolder(const std::string& folder) = 0;
};

// CSIDL numbers the collectors use.
inline constexpr int kCsidlAppData = 0x1A, kCsidlLocalAppData = 0x1C, kCsidlCommonAppData = 0x23,
                     kCsidlPersonal = 0x05, kCsidlProgramFiles = 0x26, kCsidlProgramFilesCommon = 0x2B,
                     kCsidlWindows = 0x24, kCsidlSystem = 0x25;

FileSystem& windowsFileSystem();

} // namespace kw
