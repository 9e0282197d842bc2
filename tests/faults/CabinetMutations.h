// Damaged variants of a sound cabinet, as a package may come back from a mail gateway or a half-finished
// download: cut at every structure boundary, bits flipped in the header and the tables, counts and
// offsets out of range, huge sizes, names of 0 and 300 characters, repeated names, a set of cabinets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kw::test {

struct CabinetVariant {
    std::string name; // what was done, for the failure message
    std::string bytes;
};

// Every deterministic variant of `cabinet` (which must hold at least two files in one folder), then
// `randomCount` variants with random bytes changed, from `seed`.
std::vector<CabinetVariant> cabinetVariants(const std::string& cabinet, int randomCount, std::uint32_t seed);

} // namespace kw::test
