// How much of one result file is held in memory at once. A package may carry a file of any size (a log
// of gigabytes, or the zeros a hostile package unpacks to) and a 32-bit program has 4 GB at most: a text
// beyond the first limit is shown from its beginning and compared piece by piece, a table beyond the
// second is shown from its first rows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace kw {

inline constexpr std::int64_t kHeldTextBytes = std::int64_t{64} << 20;
inline constexpr std::int64_t kHeldTableBytes = std::int64_t{256} << 20;

// The first `limit` bytes of a file (all of it when it is smaller); nothing when it cannot be read.
std::optional<std::string> readFirstBytes(FileSystem& files, const std::string& path, std::int64_t limit);
// What a view says under a file's beginning: how much of how much it shows.
std::string notShownText(std::int64_t shown, std::int64_t size);
// Whether two files hold the same bytes, read a piece at a time; nothing when either cannot be read.
std::optional<bool> sameBytes(FileSystem& files, const std::string& a, const std::string& b);

} // namespace kw
