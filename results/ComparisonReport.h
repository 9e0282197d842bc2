// The result of comparing two whole results as a file: a tab-separated table and rich text.
#pragma once
#include <string>

#include "results/FolderComparison.h"

namespace kw {

// In the ANSI code page with CR LF line ends: the header "Раздел", "Файл", "Состояние", "Осталось в (1)",
// "Осталось в (2)", then a line per topic; the table views open it like any inventory.
std::string comparisonReportTsv(const FolderComparison& comparison);

// The same lines as rich text, the header in bold, the cells apart by tabs.
std::string comparisonReportRtf(const FolderComparison& comparison);

} // namespace kw
