#include "library/PackageIntake.h"

#include <cstdio>
#include <memory>

#include "library/MemoryFolder.h"
#include "platform/Digest.h"
#include "platform/Text.h"
#include "results/FindingRules.h"
#include "results/Findings.h"
#include "results/PackageManifest.h"
#include "results/ResultPackage.h"

namespace kw {
namespace {

bool isPackageName(std::string_view name) {
    auto ends = [&](std::string_view ext) {
        return name.size() > ext.size() && sameTextIgnoringCase(name.substr(name.size() - ext.size()), ext);
    };
    return ends(".cab") || ends(".kw");
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void searchFolder(FileSystem& files, const std::string& folder, std::vector<std::string>& out, int depth) {
    // Links are not entered, and a tree deeper than any real one is a loop.
    if (depth > 64)
        return;
    std::vector<std::string> below;
    files.listFolder(folder + "\\", [&](const FolderEntry& e) {
        if (e.folder && !e.reparsePoint)
            below.push_back(folder + "\\" + e.name);
        else if (!e.folder && isPackageName(e.name))
            out.push_back(folder + "\\" + e.name);
        return true;
    });
    for (const std::string& f : below)
        searchFolder(files, f, out, depth + 1);
}

// Removed on every way out.
class StagingFolder {
  public:
    StagingFolder(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {
        files_.deleteFolderTree(path_);
    }
    ~StagingFolder() { files_.deleteFolderTree(path_); }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    FileSystem& files_;
    std::string path_;
};

IntakeOutcome refused(std::string reason, std::string id = {}) {
    return {IntakeState::Refused, std::move(reason), std::move(id)};
}

} // namespace

std::string intakeText(const IntakeOutcome& o) {
    switch (o.state) {
    case IntakeState::Added:
        return "добавлен";
    case IntakeState::AlreadyThere:
        return "уже есть";
    case IntakeState::Refused:
        break;
    }
    return "отклонён: " + o.reason;
}

std::string libraryTimestamp(SystemInfo& system) {
    LocalTime t = system.now();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

std::vector<std::string> packagesUnder(FileSystem& files, const std::vector<std::string>& paths,
                                       std::vector<std::string>& missing) {
    std::vector<std::string> out;
    for (std::string path : paths) {
        while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
            path.pop_back();
        if (files.plainFileExists(path))
            out.push_back(path);
        else if (files.folderExists(path))
            searchFolder(files, path, out, 0);
        else
            missing.push_back(path);
    }
    return out;
}

IntakeOutcome PackageIntake::add(const std::string& package, const std::string& addedAt) {
    PackageFacts facts;
    facts.fileName = baseName(package);
    std::int64_t size = 0;
    if (auto error = hashFile(files_, package, size, facts.id))
        return refused("файл не читается: " + error->message);
    facts.cabinetSize = size;
    try {
        // Known already: only where it lies now is new.
        if (library_.has(facts.id)) {
            library_.add(facts, package, addedAt);
            return {IntakeState::AlreadyThere, "", facts.id};
        }
        // In memory when it fits; a package too large for that goes through the staging folder.
        ExtractedCabinet members;
        std::vector<UnpackedMember> unpacked;
        std::optional<FileError> error =
            unpackPlainMembersToMemory(package, staging_, memoryLimit_, unpacked, members);
        if (!error) {
            MemoryFolder inMemory(staging_, std::move(unpacked));
            return index(inMemory, staging_, members, facts, package, addedAt);
        }
        if (error->code != kTooLargeForMemory)
            return refused(error->message, facts.id);
        StagingFolder staging(files_, staging_);
        if (!files_.createFolder(staging.path()))
            return refused("не удалось создать каталог " + staging.path(), facts.id);
        if (auto error = unpackPlainMembers(package, staging.path(), staging.path(), members))
            return refused(error->message, facts.id);
        return index(files_, staging.path(), members, facts, package, addedAt);
    } catch (const SqlError& e) {
        return refused("библиотека не приняла пакет: " + std::string(e.what()), facts.id);
    } catch (const std::bad_alloc&) {
        return refused("недостаточно памяти", facts.id);
    }
}

IntakeOutcome PackageIntake::index(FileSystem& unpacked, const std::string& folder,
                                   const ExtractedCabinet& members, PackageFacts& facts,
                                   const std::string& package, const std::string& addedAt) {
    PackageCheck check = checkUnpackedPackage(unpacked, folder, members.written, members.refused);
    if (check.manifest != ManifestState::Checked)
        return refused(check.manifest == ManifestState::Missing
                           ? "в пакете нет состава KW_Manifest.csv"
                           : "состав пакета не читается: " + check.problem,
                       facts.id);
    if (int differing = check.differing())
        return refused("пакет изменён после сборки: " + std::to_string(differing) +
                           " файл(ов) не совпадает с составом KW_Manifest.csv",
                       facts.id);
    if (!unpacked.plainFileExists(folder + "\\KW_scan.ini") &&
        !unpacked.plainFileExists(folder + "\\KW_Scan!.rtf"))
        return refused("это не пакет результатов KW_Scan!", facts.id);
    facts.members = parseManifest(unpacked.readFile(folder + "\\" + kManifestFile).value_or(""))
                        .value_or(std::vector<ManifestRow>{});
    facts.findings = evaluateFindings(unpacked, folder, builtInRules().rules, editions_);
    readPackageFacts(unpacked, folder, facts);
    AddState state = library_.add(facts, package, addedAt);
    return {state == AddState::Added ? IntakeState::Added : IntakeState::AlreadyThere, "", facts.id};
}

} // namespace kw
