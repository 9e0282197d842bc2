// One package on its way into the library: unpacked into memory (a large one into a staging folder of this
// process), checked
// against its contents list, its findings evaluated and its facts read; refused, with its reason, when it
// is damaged, altered or no package of ours. Packages are taken from files and from folders searched
// through.
#pragma once
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "library/PackageLibrary.h"
#include "platform/Cabinet.h"
#include "platform/SystemInfo.h"
#include "results/FolderEvidence.h"

namespace kw {

enum class IntakeState { Added, AlreadyThere, Refused };

struct IntakeOutcome {
    IntakeState state = IntakeState::Refused;
    std::string reason; // why it was refused, in Russian
    std::string id;     // the package's identity, when it could be read
};

// "добавлен", "уже есть", "отклонён: " + reason.
std::string intakeText(const IntakeOutcome& outcome);

// A package read and checked, not yet written: refused with its reason, known already (only hashed), or
// its facts ready to be stored.
struct PreparedPackage {
    std::string path;
    std::optional<IntakeOutcome> refusal;
    bool known = false;
    PackageFacts facts;
};

// Told of each package as it is done; returns false to stop after it.
using IntakeProgress = std::function<bool(const std::string& package, const IntakeOutcome& outcome)>;

class PackageIntake {
  public:
    // `staging`: a folder of this process's own (it is made and removed again); `editions` for the
    // findings of the standard-parts library.
    PackageIntake(FileSystem& files, PackageLibrary& library, std::string staging,
                  const EditionLookup* editions)
        : files_(files), library_(library), staging_(std::move(staging)), editions_(editions) {}

    // Never throws: a failure of the database is a refusal that names it.
    IntakeOutcome add(const std::string& package, const std::string& addedAt);
    // Adds them in turn; the next package is read and checked while the one before is written. Several
    // are written in one transaction, each whole or not there, and told once it is committed: a stop
    // (onEach's false) comes after the rest of that batch is told. `addedAt` is asked for each package
    // as it is written.
    void addAll(const std::vector<std::string>& packages, const std::function<std::string()>& addedAt,
                const IntakeProgress& onEach);

    // The most a package may unpack to in memory: a 32-bit process keeps room for the rest.
    static constexpr std::int64_t kMemoryLimit = 64LL << 20;
    void setMemoryLimit(std::int64_t bytes) { memoryLimit_ = bytes; }

  private:
    // Touches no database but through `known`, which says whether an identity is in the library already
    // (a failure of the library there is a refusal). `staging` is
    // this call's own, so that two calls may run at once.
    PreparedPackage prepare(const std::string& package, const std::function<bool(const std::string&)>& known,
                            const std::string& staging) const;
    // Read in full, as a package the library does not hold, beside a preparation that may be running
    // meanwhile.
    PreparedPackage readAgain(const std::string& package) const;
    std::optional<IntakeOutcome> check(FileSystem& unpacked, const std::string& folder,
                                       const ExtractedCabinet& members, PackageFacts& facts) const;
    // Throws SqlError; `store` makes that the package's refusal.
    IntakeOutcome write(const PreparedPackage& prepared, const std::string& addedAt);
    IntakeOutcome store(const PreparedPackage& prepared, const std::string& addedAt);

    // A batch is committed after this many packages or this long, whichever comes first.
    static constexpr size_t kBatchPackages = 16;
    static constexpr std::chrono::milliseconds kBatchTime{250};

    FileSystem& files_;
    PackageLibrary& library_;
    std::string staging_;
    const EditionLookup* editions_;
    std::int64_t memoryLimit_ = kMemoryLimit;
};

// The time a package is added, as the library keeps it ("2026-12-10 15:04:05").
std::string libraryTimestamp(SystemInfo& system);

// The packages named: files as they are, folders searched through (with their sub-folders) for ".cab" and
// ".kw" files, in the order the file system lists them; a name that is neither goes into `missing`.
std::vector<std::string> packagesUnder(FileSystem& files, const std::vector<std::string>& paths,
                                       std::vector<std::string>& missing);

} // namespace kw
