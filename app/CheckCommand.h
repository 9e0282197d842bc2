// "KW_Scan.exe check PACKAGE [REPORT]": the findings of a package, without a window, for scripts.
#pragma once
#include <string>
#include <vector>

namespace kw {

// args[0] is "check". Exit code: 0 no finding is an "ошибка" or "предупреждение", 1 at least one is,
// 2 the package cannot be read (or the report cannot be written).
int runCheckCommand(const std::vector<std::string>& args);

} // namespace kw
