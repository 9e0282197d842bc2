// Microsoft cabinets, written and read inside the program by its own code on zlib (MSZIP), so that
// packing and unpacking need no tool that a Windows edition may lack and no process to wait for. The
// packages are the bytes the system's cabinet library wrote before: one folder, each 32 KB block packed on
// its own (on two threads here), names as given and UTF-8 names marked.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kw {

// One file to pack: where it is, and the bare name it gets inside the cabinet.
struct CabinetSource {
    std::string path;
    std::string name;
};

// Told how many bytes of how many are done; returning false stops the work.
using CabinetProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// The most one cabinet can hold: its data blocks and offsets are counted in 32-bit and 16-bit fields,
// and what does not fit would have to go into a second cabinet, which a package never has.
inline constexpr std::int64_t kCabinetCapacity = 1900LL * 1024 * 1024;

// Writes `cabinet` (replaced when it exists) with the files in the given order, MSZIP-compressed, in one
// cabinet. `diskLabel` names the disk of the set. Nothing on success; the reason otherwise, and then no
// cabinet is left behind.
std::optional<FileError> writeCabinet(const std::string& cabinet, const std::vector<CabinetSource>& files,
                                      const std::string& diskLabel, const CabinetProgress& progress = {});

// Hands over the next file to pack, waiting for it if need be: nothing when there are no more files, and
// then `error` set when packing must stop with that reason.
using CabinetFeed = std::function<std::optional<CabinetSource>(std::optional<FileError>& error)>;
// The same with the files handed over one by one while packing goes on; `expectedBytes` (what they are
// expected to add up to) is the total of the progress.
std::optional<FileError> writeCabinet(const std::string& cabinet, const CabinetFeed& feed,
                                      std::int64_t expectedBytes, const std::string& diskLabel,
                                      const CabinetProgress& progress = {});

// A member's name as the cabinet holds it (decoded to UTF-8) and its unpacked size.
struct CabinetMember {
    std::string name;
    std::int64_t size = 0;
};

// Decides whether a member may be written: nothing to write it, the reason to refuse it.
using MemberFilter = std::function<std::optional<std::string>(const CabinetMember&)>;

struct ExtractedCabinet {
    std::vector<std::string> written;                         // bare names, in cabinet order
    std::vector<std::pair<std::string, std::string>> refused; // name and reason
};

// True when the file is a cabinet the system can read (its header is sound).
bool isCabinet(const std::string& path);

// Unpacks every member that `filter` lets through into `folder` (which must exist) under the member's
// name. A file that is no cabinet, a damaged or truncated one, or one that continues in another cabinet is
// an error; files written before the error stay for the caller to remove. The filter sees every member
// before anything is written, and nothing is when the members let through would not fit on the folder's
// drive with room to spare (ERROR_DISK_FULL).
std::optional<FileError> extractCabinet(const std::string& cabinet, const std::string& folder,
                                        const MemberFilter& filter, ExtractedCabinet& result,
                                        const CabinetProgress& progress = {});

// A member unpacked into memory, with the local time the cabinet dates it.
struct UnpackedMember {
    std::string name;
    LocalTime modified;
    std::string bytes;
};

// The same unpacking into memory, when the members let through add up to no more than `limit` bytes;
// else the error kTooLargeForMemory before anything is unpacked, so that the caller can take a folder.
inline constexpr unsigned kTooLargeForMemory = 223; // ERROR_FILE_TOO_LARGE
std::optional<FileError> extractCabinetToMemory(const std::string& cabinet, const MemberFilter& filter,
                                                std::int64_t limit, std::vector<UnpackedMember>& members,
                                                ExtractedCabinet& result);

} // namespace kw
