#include "library/PackageIntake.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <unordered_set>

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

// Packages prepared in order on one thread of their own, at most one kept ready ahead of the one taken;
// the thread ends with the list or when this is destroyed, and is joined on every way out.
class PreparedAhead {
  public:
    PreparedAhead(const std::vector<std::string>& packages,
                  std::function<PreparedPackage(const std::string&)> prepare)
        : thread_([this, &packages, prepare = std::move(prepare)](std::stop_token stop) {
              for (const std::string& package : packages) {
                  PreparedPackage prepared;
                  try {
                      prepared = prepare(package);
                  } catch (const std::exception& e) {
                      // Not to end the program from a thread: the package is refused, the others go on.
                      prepared = {
                          package, refused(std::string("непредвиденная ошибка: ") + e.what()), false, {}};
                  }
                  std::unique_lock lock(mutex_);
                  if (!changed_.wait(lock, stop, [&] { return !ready_; }) || stop.stop_requested())
                      return;
                  ready_ = std::move(prepared);
                  changed_.notify_all();
              }
          }) {}

    // The next package of the list; not to be called more often than the list is long.
    PreparedPackage next() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ready_.has_value(); });
        PreparedPackage out = std::move(*ready_);
        ready_.reset();
        changed_.notify_all();
        return out;
    }

  private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::optional<PreparedPackage> ready_;
    std::jthread thread_; // last: started once the rest is there, stopped and joined first
};

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

PreparedPackage PackageIntake::prepare(const std::string& package,
                                       const std::function<bool(const std::string&)>& known,
                                       const std::string& staging) const {
    PreparedPackage out{package, std::nullopt, false, {}};
    PackageFacts& facts = out.facts;
    facts.fileName = baseName(package);
    std::int64_t size = 0;
    if (auto error = hashFile(files_, package, size, facts.id)) {
        out.refusal = refused("файл не читается: " + error->message);
        return out;
    }
    facts.cabinetSize = size;
    try {
        // Known already: only where it lies now is new.
        if ((out.known = known(facts.id)))
            return out;
        // In memory when it fits; a package too large for that goes through the staging folder.
        ExtractedCabinet members;
        std::vector<UnpackedMember> unpacked;
        std::optional<FileError> error =
            unpackPlainMembersToMemory(package, staging, memoryLimit_, unpacked, members);
        if (!error) {
            MemoryFolder inMemory(staging, std::move(unpacked));
            out.refusal = check(inMemory, staging, members, facts);
        } else if (error->code != kTooLargeForMemory) {
            out.refusal = refused(error->message, facts.id);
        } else {
            StagingFolder folder(files_, staging);
            if (!files_.createFolder(folder.path()))
                out.refusal = refused("не удалось создать каталог " + folder.path(), facts.id);
            else if (auto error = unpackPlainMembers(package, folder.path(), folder.path(), members))
                out.refusal = refused(error->message, facts.id);
            else
                out.refusal = check(files_, folder.path(), members, facts);
        }
    } catch (const SqlError& e) { // from `known`, when it asks the library
        out.refusal = refused("библиотека не приняла пакет: " + std::string(e.what()), facts.id);
    } catch (const std::bad_alloc&) {
        out.refusal = refused("недостаточно памяти", facts.id);
    }
    return out;
}

std::optional<IntakeOutcome> PackageIntake::check(FileSystem& unpacked, const std::string& folder,
                                                  const ExtractedCabinet& members,
                                                  PackageFacts& facts) const {
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
    return std::nullopt;
}

IntakeOutcome PackageIntake::write(const PreparedPackage& p, const std::string& addedAt) {
    if (p.refusal)
        return *p.refusal;
    if (p.known) {
        if (library_.relocate(p.facts.id, p.path))
            return {IntakeState::AlreadyThere, "", p.facts.id};
        return write(readAgain(p.path), addedAt); // gone since it was looked up
    }
    AddState state = library_.add(p.facts, p.path, addedAt);
    return {state == AddState::Added ? IntakeState::Added : IntakeState::AlreadyThere, "", p.facts.id};
}

PreparedPackage PackageIntake::readAgain(const std::string& package) const {
    return prepare(
        package, [](const std::string&) { return false; }, staging_ + "_again");
}

IntakeOutcome PackageIntake::store(const PreparedPackage& p, const std::string& addedAt) {
    try {
        return write(p, addedAt);
    } catch (const SqlError& e) {
        return refused("библиотека не приняла пакет: " + std::string(e.what()), p.facts.id);
    } catch (const std::bad_alloc&) {
        return refused("недостаточно памяти", p.facts.id);
    }
}

IntakeOutcome PackageIntake::add(const std::string& package, const std::string& addedAt) {
    auto known = [&](const std::string& id) { return library_.has(id); };
    return store(prepare(package, known, staging_), addedAt);
}

void PackageIntake::addAll(const std::vector<std::string>& packages,
                           const std::function<std::string()>& addedAt, const IntakeProgress& onEach) {
    // Read once, so that the preparing thread never asks the database; a library it cannot read is
    // taken as empty, and each package then finds out for itself.
    std::unordered_set<std::string> held;
    try {
        for (std::string& id : library_.packageIds())
            held.insert(std::move(id));
    } catch (const SqlError&) {
    }
    auto known = [&held](const std::string& id) { return held.count(id) > 0; };
    PreparedAhead preparing(packages,
                            [&](const std::string& package) { return prepare(package, known, staging_); });
    // Written in batches, one transaction for several packages (each one still whole or not there),
    // and told only once its batch is committed: a commit costs as much as writing many packages.
    // On a server (over ODBC) each package is a transaction of its own: two engineers' batches would
    // wait for each other's rows of the same files, in no common order, and deadlock.
    struct Written {
        PreparedPackage prepared; // its facts let go once written, and read again should the batch fail
        IntakeOutcome outcome;
        bool alone = false; // its writing failed in the batch: written again on its own after it
    };
    auto writeAlone = [&](Written& w) {
        if (!w.prepared.refusal && w.prepared.facts.id.empty())
            w.prepared = readAgain(w.prepared.path);
        w.outcome = store(w.prepared, addedAt());
    };
    std::vector<Written> batch;
    std::optional<SqlTransaction> transaction;
    auto began = std::chrono::steady_clock::now();
    const bool batches = library_.connection().savepoints();
    bool going = true;
    auto commit = [&] {
        try {
            if (transaction)
                transaction->commit();
        } catch (const SqlError&) {
            for (Written& w : batch)
                w.alone = true;
        }
        transaction.reset();
        for (Written& w : batch) {
            if (w.alone)
                writeAlone(w);
            going = onEach(w.prepared.path, w.outcome) && going;
        }
        batch.clear();
    };
    for (size_t i = 0; i < packages.size() && going; ++i) {
        Written w{preparing.next(), {}};
        try {
            if (!batches) {
                writeAlone(w);
            } else {
                if (!transaction) {
                    transaction.emplace(library_.connection());
                    began = std::chrono::steady_clock::now();
                }
                w.outcome = write(w.prepared, addedAt());
                w.prepared = {std::move(w.prepared.path), std::nullopt, false, {}};
            }
        } catch (const SqlError&) {
            w.alone = true; // a conflict with another writer, say, or the batch's transaction lost
        } catch (const std::bad_alloc&) {
            w.outcome = refused("недостаточно памяти", w.prepared.facts.id);
        }
        bool failed = w.alone;
        batch.push_back(std::move(w));
        if (failed || !transaction || batch.size() >= kBatchPackages ||
            std::chrono::steady_clock::now() - began >= kBatchTime)
            commit();
    }
    commit(); // a stop waits for the package being prepared, which is not written
}

} // namespace kw
