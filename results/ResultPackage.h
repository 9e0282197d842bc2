// Result packages: the work folder packed into one cabinet that the user attaches to the support
// request, and a package unpacked into the work folder (side 1) or the comparison folder (side 2).
// Window-free: the logs go to the engine's event and timing logs, progress and status to a RunObserver.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CollectionRun.h"
#include "core/RunObserver.h"
#include "platform/Cabinet.h"
#include "results/PackageManifest.h"

namespace kw {

inline constexpr const char* kDirectiveFile = "KWScan.DDF";
inline constexpr const char* kCabinetFile = "KWScan.CAB";
inline constexpr const char* kDiskLabel = "KW_Archive";

// The by-products of packing are never packed themselves (exact names).
bool isPackingByProduct(std::string_view name);

// "KWScan.DDF": the nine header lines, then each name in double quotes; CR LF after every line.
std::string directiveText(const std::vector<std::string>& names);

// Computer name, "_", the date without its dots, "_", the time without its colons, ".cab". Characters
// that a file name cannot hold (another date separator, say) are dropped too.
std::string packageFileName(const std::string& computer, const std::string& shortDate,
                            const std::string& longTime);

// Why a member of an opened package may not be written into the target folder, or nothing. Only plain
// names are written: no separators, drives, streams, "." or "..", device names, or names too long for
// `folder` + "\" + name to be an ordinary path.
std::optional<std::string> memberRefusal(const std::string& name, const std::string& folder);

// Unpacks `package` into `folder` (which exists), writing only the members that may land in `target`
// (memberRefusal) and the first of names that repeat; the others are listed in `result` with the reason.
std::optional<FileError> unpackPlainMembers(const std::string& package, const std::string& folder,
                                            const std::string& target, ExtractedCabinet& result,
                                            const CabinetProgress& progress = {});

// The same into memory (extractCabinetToMemory), up to `limit` bytes.
std::optional<FileError> unpackPlainMembersToMemory(const std::string& package, const std::string& target,
                                                    std::int64_t limit, std::vector<UnpackedMember>& members,
                                                    ExtractedCabinet& result);

// The staging folders of the processes that ended without removing theirs (killed, or crashed): their
// names carry the process number ("KW_Compare_1234_1").
void removeStaleStagingFolders(FileSystem& files, const std::string& temp);

// WritePackageList: the files directly in the folder (ending in a separator or not), by-products,
// sub-folders and the package's own lists ("KW_Masked.csv", "KW_Manifest.csv", written anew at every save)
// left out, in the order the file system lists them; their bytes added up in `bytes`.
std::optional<FileError> WritePackageList(FileSystem& files, const std::string& folder,
                                          std::vector<std::string>& names, std::int64_t& bytes);

// The package's own lists: not files of a run, written anew at every save.
bool isPackageList(std::string_view name);

enum class SaveResult { Saved, NotListed, TooLarge, NotPacked, CopyFailed };
struct SaveOutcome {
    SaveResult result = SaveResult::NotPacked;
    std::string package; // the full path of the package written, or tried
    std::string reason;  // for the user, in Russian, when not saved
};

struct OpenOutcome {
    bool opened = false;
    std::string reason;                                       // when not opened
    std::vector<std::pair<std::string, std::string>> refused; // members left out, with the reason
    PackageCheck check;                                       // the members against the contents list
};

class ResultPackages {
  public:
    ResultPackages(CollectionRun& engine, RunObserver& observer) : engine_(engine), observer_(observer) {}

    // SavePackage: packs every file directly in the work folder into "KWScan.CAB", then the list of masked
    // values ("KW_Masked.csv", with "Скрывать пароли в пакете") and the contents list ("KW_Manifest.csv"),
    // and copies it into `folder` under the package name, refusing to replace a file there. Masked copies
    // are made in a staging folder of this process: the work folder keeps the originals. "KWScan.CAB" and
    // "KWScan.DDF" are removed again once the package is written.
    SaveOutcome SavePackage(const std::string& folder);
    // After a failed copy: the cabinet still in the work folder goes to `path` (which it may replace).
    SaveOutcome savePackageAs(const std::string& path);

    // OpenPackage: unpacks `package` into the work folder or the comparison folder (kWorkFolder or
    // kCompareFolder), through a staging folder of this process, and checks it against its contents list.
    // The folder's content is replaced only after the whole package was read and some file of it could be
    // written.
    OpenOutcome OpenPackage(const std::string& package, const char* targetFolder);

    // A folder of this process in the temporary directory: two running instances never share one.
    std::string stagingFolder(const std::string& stem);

  private:
    std::string now(); // the current time in the long time format
    SaveOutcome copyPackage(const std::string& to, bool replace);

    CollectionRun& engine_;
    RunObserver& observer_;
};

} // namespace kw
