// The command line "verify PACKAGE [REPORT]", run without a window.
#pragma once
#include <string>
#include <vector>

namespace kw {

// `args` starts with "verify". Checks every file of the package against its contents list
// ("KW_Manifest.csv") and writes REPORT when named: the header `Имя файла:` TAB `Состояние:`, one row per
// file with "совпадает", "изменён", "отсутствует" or "лишний". Returns the program's exit code: 0 every
// listed file matches and none is unlisted, 1 something differs, 2 the package cannot be read, has no
// contents list, or the report cannot be written.
int runVerifyCommand(const std::vector<std::string>& args);

} // namespace kw
