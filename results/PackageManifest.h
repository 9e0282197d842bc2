// The contents list of a package, "KW_Manifest.csv": every other member with its size and SHA-256 as
// packed and the topic that shows it; and the check of an unpacked package against it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace kw {

inline constexpr const char* kManifestFile = "KW_Manifest.csv";

struct ManifestRow {
    std::string name; // the bare member name
    std::int64_t size = 0;
    std::string sha256; // lower-case hex
    std::string topic;  // the caption of the result-tree node that shows the file, or empty
};

// The caption of the first result-tree node that opens the file, or empty.
std::string topicOfFile(std::string_view name);

// The file's text: the header `Имя файла:` TAB `Байт:` TAB `SHA-256:` TAB `Тема:`, a row per member;
// ANSI with CR LF.
std::string manifestText(const std::vector<ManifestRow>& rows);
// Its rows, or nothing when the text is no contents list (another header, a row that is not four
// cells with a size and a digest).
std::optional<std::vector<ManifestRow>> parseManifest(std::string_view ansi);

// The size and SHA-256 of a file, read in blocks; the error when it cannot be read.
std::optional<FileError> hashFile(FileSystem& files, const std::string& path, std::int64_t& size,
                                  std::string& sha256);

enum class MemberState { Same, Changed, Missing, Extra };
// "совпадает", "изменён", "отсутствует", "лишний".
const char* memberStateText(MemberState state);

struct MemberCheck {
    std::string name;
    MemberState state = MemberState::Same;
    std::string detail; // what differs, for the event log
};

enum class ManifestState { Checked, Missing, Unreadable };

struct PackageCheck {
    ManifestState manifest = ManifestState::Missing;
    std::string problem;              // why the list could not be read
    std::vector<MemberCheck> members; // the list's rows in order, then the members it does not list
    int differing() const;
    int count(MemberState state) const;
};

// Checks the members unpacked into `folder` (`written`, in cabinet order) against the contents list among
// them; `refused` are the members that were in the package but not written (unsafe or repeated names),
// with the reason.
PackageCheck checkUnpackedPackage(FileSystem& files, const std::string& folder,
                                  const std::vector<std::string>& written,
                                  const std::vector<std::pair<std::string, std::string>>& refused);

// The event-log lines of a check: one per differing file, or the one line that says it cannot be checked
// or that every file matches.
std::vector<std::string> checkLogLines(const PackageCheck& check, const std::string& package);

// `verify`'s report: the header `Имя файла:` TAB `Состояние:`, one row per file; ANSI with CR LF.
std::string verifyReportText(const PackageCheck& check);

} // namespace kw
