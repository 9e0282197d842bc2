// Rich text of event-log lines: ANSI code page, a colour table of black, blue and green, bold runs.
#pragma once
#include <string>
#include <vector>

#include "core/EventLog.h"

namespace kw {

std::string writeRtf(const std::vector<LogLine>& lines);

} // namespace kw
