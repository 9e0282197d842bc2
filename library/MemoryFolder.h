// A package's members unpacked into memory, read through the file-system interface as the files of one
// folder: the contents check, the findings and the facts read them as they would read a staging folder,
// without a file created, read back and deleted for each member.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/FileSystem.h"

namespace kw {

class MemoryFolder final : public FileSystem {
  public:
    // `folder`: the name (no separator at its end) under which the members are found.
    MemoryFolder(std::string folder, std::vector<UnpackedMember> members);

    bool folderExists(const std::string& path) override;
    bool plainFileExists(const std::string& path) override { return member(path) != nullptr; }
    std::optional<std::string> readFile(const std::string& path) override;
    std::int64_t fileSize(const std::string& path) override;
    std::optional<LocalTime> fileDate(const std::string& path) override;
    std::optional<FileError> listFolder(const std::string& folder,
                                        const std::function<bool(const FolderEntry&)>& visit) override;
    std::unique_ptr<FileReader> openRead(const std::string& path, FileError& error) override;

    // Nothing is written, copied or run here: every such call fails.
    std::string tempDirectory() override { return {}; }
    std::string programPath() override { return {}; }
    bool createFolder(const std::string&) override { return false; }
    bool deleteFolderTree(const std::string&) override { return false; }
    bool deleteFile(const std::string&) override { return false; }
    bool writeFile(const std::string&, std::string_view) override { return false; }
    std::unique_ptr<FileWriter> createWrite(const std::string&, FileError& error) override;
    std::optional<FileError> copyFile(const std::string&, const std::string&) override { return readOnly(); }
    std::optional<FileError> copyFileNoReplace(const std::string&, const std::string&) override {
        return readOnly();
    }
    bool shellCopy(const std::string&, const std::string&) override { return false; }
    std::optional<FileError> moveFile(const std::string&, const std::string&) override { return readOnly(); }
    unsigned deleteFileWithCode(const std::string&) override { return readOnly().code; }
    std::optional<FileVersion> fileVersion(const std::string&) override { return std::nullopt; }
    std::string specialFolder(int) override { return {}; }
    std::string expandEnvironment(const std::string& text) override { return text; }
    std::string longPathName(const std::string& path) override { return path; }
    bool setCurrentFolder(const std::string&) override { return false; }

  private:
    static FileError readOnly();
    const UnpackedMember* member(const std::string& path) const;
    bool isFolder(std::string_view path) const;

    std::string folder_;
    std::vector<UnpackedMember> members_;        // in cabinet order, as a folder lists them
    std::map<std::string, size_t> byFoldedName_; // names without regard to letter case
};

} // namespace kw
