// What the window-less commands ("compare", "verify", "check") and a hidden run share: messages to the
// standard error of whoever started the program, and a package unpacked into a folder of this process's own.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/FileSystem.h"

namespace kw {

// One line to standard error: the handle the program was started with, else the console it was started
// from; nothing when there is neither.
void tellStandardError(const std::string& text);
// One line of a command's result to standard output, the same way.
void tellStandardOutput(const std::string& text);

// Runs a window-less command: first the staging folders that ended processes left behind go, and a
// failure nobody foresaw (memory ran out, say) ends it with a message and exit code 2, once its own
// folders have been removed.
int runWindowlessCommand(int (*command)(const std::vector<std::string>&),
                         const std::vector<std::string>& args);

// A folder of this run's own for one package, removed again when the object goes.
class UnpackedPackage {
  public:
    UnpackedPackage(FileSystem& files, std::string folder) : files_(files), folder_(std::move(folder)) {}
    ~UnpackedPackage() { files_.deleteFolderTree(folder_); }
    UnpackedPackage(const UnpackedPackage&) = delete;
    UnpackedPackage& operator=(const UnpackedPackage&) = delete;

    // The reason when the package cannot be read.
    std::optional<std::string> unpack(const std::string& package);
    const std::string& folder() const { return folder_; }
    const ExtractedCabinet& members() const { return members_; }

  private:
    FileSystem& files_;
    std::string folder_;
    ExtractedCabinet members_;
};

} // namespace kw
