// Which computer a result comes from, when it was collected and by which version of the program, as its
// own files tell: the head of a comparison report.
#pragma once
#include <string>

#include "platform/FileSystem.h"

namespace kw {

struct ResultDescription {
    std::string computer; // "Имя компьютера" of the system section, else COMPUTERNAME of the console capture
    std::string collected; // date and time the timing log's opening line gives
    std::string version;   // "KW_Scan! V..." of the event log, without the program's path
    std::string user; // "Имя пользователя" of the system section, else USERNAME of the console capture
    std::string windows; // the line under "Windows:" of the system section
};

// Empty fields for what the folder does not tell (full path, no trailing separator).
ResultDescription describeResult(FileSystem& files, const std::string& folder);

} // namespace kw
