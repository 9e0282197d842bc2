// The product section pattern: the folder values of one section run, the walk over its declared rows,
// and the steps every product section shares (version and install-folder lookups, banner, permission
// dump, branch export, the "нет параметра реестра" line).
#pragma once
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/FileCapture.h"
#include "core/FileInventory.h"
#include "core/RegistryReaders.h"
#include "products/SectionRows.h"

namespace kw {

class CollectionRun;

inline constexpr const char* kTavirKey = "\\SOFTWARE\\TAVIR";

class ProductSection {
  public:
    explicit ProductSection(CollectionRun& run);

    CollectionRun& run() { return run_; }
    bool on(Option option) const;

    // A folder value; the registered letters are read when first asked for.
    const std::string& folder(Folder f);
    void setFolder(Folder f, std::string value);

    void walk(std::span<const CaptureRow> rows);
    void walk(std::span<const BranchRow> rows);
    void capture(const CaptureRow& row);
    void exportBranch(const BranchRow& row);

    // "CurrentVersion" of the product's subkey under "\SOFTWARE\TAVIR".
    std::string readVersion(std::string_view product);
    // valueName of the version's subkey of the product's key (the key itself when the version is empty).
    std::string readInstallFolder(std::string_view product, const std::string& version,
                                  std::string_view valueName = "InstallPath");
    // "InstallPath", and "Directory" when that is empty.
    std::string readInstallFolderOrDirectory(std::string_view product, const std::string& version);
    std::string readString(RegistryRoot root, const std::string& key, const std::string& subkey,
                           const std::string& valueName);

    void line(const std::string& text);
    void blue(const std::string& text);  // one line in blue, then black again
    void debug(const std::string& text); // only with "Отладочная информация"
    void banner(const std::string& text);
    // "Список безопасности: ..." and the dump of a folder (or file) into "(cmd)(" + tag + ")cacls.txt".
    void dumpPermissions(const std::string& path, const std::string& tag);
    // "Не могу получить список файлов " + product + ", нет параметра реестра"
    void notInstalled(std::string_view product);
    // path, size, date and product version ("00" without one), as the product sections list a file.
    std::string fileAndVersionLine(const std::string& path);
    // prefix, then path, size, date and file version (empty without one), as the settings reports list a
    // file.
    std::string fileLine(const std::string& prefix, const std::string& path);
    // " ", then in blue "Файл: ", "Размер файла в байтах: " and "Дата создания файла: " of the file.
    void fileFacts(const std::string& path);
    bool fileExists(const std::string& path);
    bool inWork(const std::string& name);
    std::string workPath(const std::string& name);

    FileCapture& files() { return capture_; }
    FileInventory& inventory() { return inventory_; }
    RegistryReader& registry() { return reader_; }

  private:
    void captureByPath(const CaptureRow& row);
    void listImportantFiles(const std::string& top, const std::string& tag,
                            std::span<const std::string_view> parts);
    void exactCopy(const std::string& folder, const std::string& file);
    std::string fileDate(const std::string& path);

    CollectionRun& run_;
    FileCapture capture_;
    FileInventory inventory_;
    RegistryReader reader_;
    std::array<std::optional<std::string>, static_cast<std::size_t>(Folder::Count)> folders_;
};

} // namespace kw
