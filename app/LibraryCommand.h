// The command line "library add|find|changes [/db DB] ...", run without a window: the support library of
// received packages for scripts and for the support team's server.
#pragma once
#include <string>
#include <vector>

namespace kw {

// `args` starts with "library". DB: an SQLite file's path, or "odbc:" and an ODBC connection string;
// without /db the library the settings file remembers, else "KW_Library.sqlite" beside the program.
//   add PATH...      packages and folders of packages (searched through for .cab and .kw): one line each
//                    and a total; 0 all added or there already, 1 some refused, 2 no library
//   find [/computer NAME] [/product TAG] [/version TEXT] [/finding CODE] [/file NAME] [/md5 HASH] REPORT
//                    0 some found, 1 none, 2 an error
//   changes PACKAGE REPORT   the package (added first) against the computer's latest earlier one, as
//                    "compare" reports it: 0 no topic differs, 1 some do, 2 an error or no earlier package
int runLibraryCommand(const std::vector<std::string>& args);

} // namespace kw
