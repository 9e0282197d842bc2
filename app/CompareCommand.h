// The command line "compare [/keep-times] [/ignore-names] PACKAGE1 PACKAGE2 REPORT", run without a window.
#pragma once
#include <string>
#include <vector>

#include "results/NoiseRules.h"

namespace kw {

// `args` starts with "compare". "/keep-times" compares the times of the run, durations and temporary
// paths too, "/ignore-names" leaves out the computer's and the user's names. A report named *.html or
// *.htm is an HTML page, any other the tab-separated table. Returns the program's exit code: 0 the
// packages agree in every topic (noise aside), 1 some topics differ, 2 a package or the report could not
// be read or written.
int runCompareCommand(const std::vector<std::string>& args);

// Two unpacked results compared and the report written, with the comparison options the user last saved;
// the same exit codes. `package1` and `package2` name the sides in the report.
int reportComparison(const std::string& folder1, const std::string& folder2, const std::string& package1,
                     const std::string& package2, const std::string& report, const NoiseOptions& noise);

} // namespace kw
