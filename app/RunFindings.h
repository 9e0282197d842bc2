// The findings where the window's program makes them: at the end of every run (into the work folder, before
// the package is made) and after a package was opened into side 1 or side 2.
#pragma once
#include <string>
#include <vector>

#include "core/CollectionRun.h"
#include "results/Findings.h"

namespace kw {

// The edition table of the standard-parts library behind the findings' edition check.
const EditionLookup& builtInEditionLookup();

// Writes "KW_Findings.csv" into the work folder and one event-log line per finding; the event log is
// saved before (some rules read it) and after (so that the package holds the lines).
void writeRunFindings(CollectionRun& engine);

// "KW_Findings.csv" for the files of an opened package, whichever version made it.
void writeOpenedFindings(FileSystem& files, const std::string& folder);

} // namespace kw
