// File inventory: a tab-separated table of the files of a folder tree with sizes, dates, versions and
// MD5 sums, "(" + name + ")Files.csv" in the work folder, and the folder's permissions dump.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kw {

class CollectionRun;
class FileSystem;
class SystemInfo;

inline constexpr const char* kInventoryHeader = "Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:";
inline constexpr const char* kHotfixTable = "(ELEMLib_HotFix)Files.csv";
inline constexpr const char* kHotfixHeader = "Путь:\tИмя файла:\tSP/HotFix\tВерсия:\tБайт:\tДата:";

// The file version "major.minor.release.build", empty without a version resource.
std::string FileVersionText(FileSystem& files, const std::string& path);
// The product version, "00" without a version resource.
std::string FileVersionTextOrZero(FileSystem& files, const std::string& path);
// MD5 of the file's bytes as 32 uppercase hexadecimal digits; empty when it cannot be read.
std::string fileMd5(FileSystem& files, const std::string& path);
// Date and time as date-time text: the short date, then the long time unless it is midnight.
std::string dateTimeText(SystemInfo& system, int year, int month, int day, int hour, int minute, int second);
// A file as the reports describe it: path, tab, " - ", size, " байт  -  ", tab, date and time, tab,
// " - версия: " and the version given.
std::string describeFile(CollectionRun& run, const std::string& path, const std::string& version);

enum class InventoryPart { TopLevel, AppendTree };

class FileInventory {
  public:
    explicit FileInventory(CollectionRun& run);
    ~FileInventory();

    void InventoryFolder(const std::string& folder, const std::string& name);
    // TopLevel: a new table of the files directly in folder, and its permissions dump; AppendTree: the
    // whole tree of folder appended to the existing table of that name.
    void InventoryFolderPart(const std::string& folder, const std::string& name, InventoryPart part);
    // Rows appended to the rows gathered so far (see rows()).
    void ListFilesRecursive(const std::string& folder);
    void ListFilesFlat(const std::string& folder);
    void AddHotfixRow(const std::string& fileName, const std::string& folder, const std::string& label);
    // "Список безопасности: ..." and the folder's (or file's) permissions into "(cmd)(" + name +
    // ")cacls.txt"; the dump is not waited for here.
    void DumpPermissions(const std::string& path, const std::string& name);
    void DumpPermissionsTo(const std::string& path, const std::string& outputName);

    // The whole tree of folder as a new table of that work-folder name, without a permissions dump.
    void ListFolderInto(const std::string& folder, const std::string& table);
    // How many files are hashed at once (rows still come in walk order).
    void setHashThreads(unsigned n);

  private:
    class RowPipeline;
    void list(const std::string& folder, bool recursive);
    void startPermissionsDump(const std::string& folder, const std::string& name);
    bool stopped() const;
    bool saveTable(const std::string& name, const std::vector<std::string>& lines);

    CollectionRun& run_;
    std::vector<std::string> rows_;
    std::unique_ptr<RowPipeline> pipeline_;
    std::function<void(const std::string&, const std::string&)> onFile_;
    unsigned hashThreads_ = 2;
    bool inRun_ = false;
};

} // namespace kw
