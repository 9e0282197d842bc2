// The real file system behind an interface whose calls a test may override one by one: the platform's
// failures that Wine cannot be made to show (a folder that may not be listed, a file gone between its
// listing and its reading) are made here.
#pragma once
#include "platform/FileSystem.h"

namespace kw::test {

class ForwardingFileSystem : public FileSystem {
  public:
    std::string tempDirectory() override { return real().tempDirectory(); }
    std::string programPath() override { return real().programPath(); }
    bool folderExists(const std::string& p) override { return real().folderExists(p); }
    bool plainFileExists(const std::string& p) override { return real().plainFileExists(p); }
    bool createFolder(const std::string& p) override { return real().createFolder(p); }
    bool deleteFolderTree(const std::string& p) override { return real().deleteFolderTree(p); }
    bool deleteFile(const std::string& p) override { return real().deleteFile(p); }
    bool writeFile(const std::string& p, std::string_view b) override { return real().writeFile(p, b); }
    std::optional<std::string> readFile(const std::string& p) override { return real().readFile(p); }
    std::int64_t fileSize(const std::string& p) override { return real().fileSize(p); }
    std::optional<LocalTime> fileDate(const std::string& p) override { return real().fileDate(p); }
    std::optional<FileError> listFolder(const std::string& f,
                                        const std::function<bool(const FolderEntry&)>& visit) override {
        return real().listFolder(f, visit);
    }
    std::unique_ptr<FileReader> openRead(const std::string& p, FileError& e) override {
        return real().openRead(p, e);
    }
    std::unique_ptr<FileWriter> createWrite(const std::string& p, FileError& e) override {
        return real().createWrite(p, e);
    }
    std::optional<FileError> copyFile(const std::string& f, const std::string& t) override {
        return real().copyFile(f, t);
    }
    std::optional<FileError> copyFileNoReplace(const std::string& f, const std::string& t) override {
        return real().copyFileNoReplace(f, t);
    }
    bool shellCopy(const std::string& f, const std::string& t) override { return real().shellCopy(f, t); }
    unsigned deleteFileWithCode(const std::string& p) override { return real().deleteFileWithCode(p); }
    std::optional<FileError> moveFile(const std::string& f, const std::string& t) override {
        return real().moveFile(f, t);
    }
    std::optional<FileVersion> fileVersion(const std::string& p) override { return real().fileVersion(p); }
    std::string specialFolder(int csidl) override { return real().specialFolder(csidl); }
    std::string expandEnvironment(const std::string& t) override { return real().expandEnvironment(t); }
    std::string longPathName(const std::string& p) override { return real().longPathName(p); }
    bool setCurrentFolder(const std::string& f) override { return real().setCurrentFolder(f); }

  protected:
    static FileSystem& real() { return windowsFileSystem(); }
};

} // namespace kw::test
