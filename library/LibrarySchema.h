// The library's tables, in plain SQL that SQLite and PostgreSQL both accept. The schema carries its
// version and is brought up to the program's own at every open; a library made by a newer program is
// refused rather than misread.
#pragma once
#include <cstdint>

#include "library/SqlConnection.h"

namespace kw {

inline constexpr std::int64_t kLibrarySchemaVersion = 4;

// Creates the tables or upgrades them; throws SqlError (with the reason in Russian for a newer schema).
void prepareLibrarySchema(SqlConnection& db);

} // namespace kw
