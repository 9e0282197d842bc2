// The report of a whole comparison as one HTML page that an engineer can attach to a ticket: the heads
// of both results, the state of every topic, and what is left of each side of the differing ones.
#pragma once
#include <string>

#include "results/FolderComparison.h"

namespace kw {

// UTF-8, self-contained (its styles inside, no scripts, nothing fetched), printable. The package
// names head the two columns; either may be empty.
std::string comparisonReportHtml(const FolderComparison& comparison, const std::string& package1,
                                 const std::string& package2);

// Text made safe for HTML: the markup characters as entities, control characters but the tab as U+FFFD.
std::string escapeHtml(std::string_view text);

} // namespace kw
