// The library's tables, in plain SQL that SQLite and PostgreSQL both accept. The schema carries its
// version and is brought up to the program's own at every open; a library made by a newer program is
// refused rather than misread.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/SqlConnection.h"

namespace kw {

inline constexpr std::int64_t kLibrarySchemaVersion = 3;

// A package's finding codes as its row keeps them: in order, each ended by a tab (a code holds none).
std::string joinedFindingCodes(const std::vector<std::string>& codes);
std::vector<std::string> splitFindingCodes(std::string_view joined);

// Creates the tables or upgrades them; throws SqlError (with the reason in Russian for a newer schema).
void prepareLibrarySchema(SqlConnection& db);

} // namespace kw
