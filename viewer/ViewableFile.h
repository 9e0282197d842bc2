// Which files of the work folder a double click on a table cell may hand to the shell: pictures and
// plain text only. A package opened from elsewhere may hold programs, scripts or shortcuts under any
// name, and the shell's "open" verb would run them.
#pragma once
#include <string_view>

namespace kw {

// By the name's last extension, without regard to case.
bool isViewableFile(std::string_view name);

} // namespace kw
