// The structure of a cabinet file checked before it is read. A reader that trusted the header's counts,
// indexes and offsets would read past its tables on a package damaged on its way (one changed byte in a
// mail gateway is enough), as the system's cabinet library once did. Whatever this
// check lets through is consistent: every table lies inside the file, every file names a folder that
// exists, every data block lies inside the file, keeps its checksum and (MSZIP) decodes to its declared
// size, and no file reaches past what its folder unpacks to.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kw {

// Reads `size` bytes at `offset` of the cabinet into `buffer`; false when they cannot all be read.
using CabinetBytes = std::function<bool(std::uint64_t offset, void* buffer, std::size_t size)>;

// Nothing when the cabinet of `length` bytes is sound; else what is wrong with it, in Russian, for the
// message that refuses it. Without `packedData` the data blocks' checksums and packed data are left to
// the reader, which checks them as it unpacks (their headers are checked all the same).
std::optional<std::string> cabinetLayoutFault(std::uint64_t length, const CabinetBytes& read,
                                              bool packedData = true);

} // namespace kw
