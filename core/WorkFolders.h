// The work folder "KW_Temp" and the comparison folder "KW_Temp2" in the user's temporary directory,
// and the paths of files in them.
#pragma once
#include <string>

#include "core/EventLog.h"
#include "platform/FileSystem.h"

namespace kw {

inline constexpr const char* kWorkFolder = "\\KW_Temp";
inline constexpr const char* kCompareFolder = "\\KW_Temp2";

class WorkFolders {
  public:
    WorkFolders(FileSystem& files, EventLog& log) : files_(files), log_(log) {}

    std::string GetTempDirectory() { return files_.tempDirectory(); }
    // temporary directory + "\KW_Temp\" + name: the doubled separator is kept, the file system accepts it.
    std::string workPath(const std::string& name) { return GetTempDirectory() + kWorkFolder + "\\" + name; }
    // temporary directory + "\KW_Temp\": the folder prefix of workPath.
    std::string workFolderPath() { return GetTempDirectory() + kWorkFolder + "\\"; }
    std::string comparePath(const std::string& name) {
        return GetTempDirectory() + kCompareFolder + "\\" + name;
    }
    std::string folderPath(const char* folder) { return GetTempDirectory() + folder; }

    // Creates temporary directory + name when missing and logs one line.
    void CreateWorkFolder(const std::string& name);
    bool DeleteFolderTree(const std::string& path) { return files_.deleteFolderTree(path); }
    // "KW_Temp" and "KW_Temp2" with everything in them.
    void deleteWorkFolders() {
        DeleteFolderTree(folderPath(kWorkFolder));
        DeleteFolderTree(folderPath(kCompareFolder));
    }

    std::int64_t FileSizeOf(const std::string& path) { return files_.fileSize(path); }
    std::optional<LocalTime> FileDateOf(const std::string& path) { return files_.fileDate(path); }

  private:
    FileSystem& files_;
    EventLog& log_;
};

// Collapses doubled backslashes; the leading "\\" of a network path stays.
std::string collapseSeparators(const std::string& path);
// "X:\..." or a network path. A path built from an empty registry value is relative ("Bin\x.ini",
// "\Settings\PT"): the collectors never look such a path up, the current folder being anybody's.
bool isAbsolutePath(const std::string& path);

} // namespace kw
