// Files and shell: the file-system operations the program needs, behind an interface so that
// tests can make them fail.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SystemInfo.h"

namespace kw {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The user's temporary directory as the system reports it, ending in a separator.
    virtual std::string tempDirectory() = 0;
    // The full path of the running program file.
    virtual std::string programPath() = 0;

    virtual bool folderExists(const std::string& path) = 0;
    virtual bool plainFileExists(const std::string& path) = 0;  // a file, not a folder
    virtual bool createFolder(const std::string& path) = 0;
    // Removes the folder itself with everything in it, without the recycle bin or any dialog.
    virtual bool deleteFolderTree(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;

    // Writes the bytes as the whole file, replacing it.
    virtual bool writeFile(const std::string& path, std::string_view bytes) = 0;
    virtual std::optional<std::string> readFile(const std::string& path) = 0;

    // Size in bytes, -1 when the file cannot be opened.
    virtual std::int64_t fileSize(const std::string& path) = 0;
    // Last-write time in local time, nothing when it cannot be read.
    virtual std::optional<LocalTime> fileDate(const std::string& path) = 0;
};

FileSystem& windowsFileSystem();

} // namespace kw
