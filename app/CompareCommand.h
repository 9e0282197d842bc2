// The command line "compare PACKAGE1 PACKAGE2 REPORT", run without a window.
#pragma once
#include <string>
#include <vector>

namespace kw {

// `args` starts with "compare". Returns the program's exit code: 0 the packages agree in every topic,
// 1 some topics differ, 2 a package or the report could not be read or written.
int runCompareCommand(const std::vector<std::string>& args);

} // namespace kw
