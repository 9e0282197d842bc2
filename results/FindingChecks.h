// The generic checks the findings' rules are made of, over the files of one work folder: registry-export
// values, table cells, lines of a text, the event log's not-found lines, numbers in a line and the edition
// table of the standard-parts library. Each file is read once, whatever number of rules reads it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/FindingRules.h"
#include "results/FolderEvidence.h"

namespace kw {

// What a term gave: its text, and the work-folder file it was read from. No text: the evidence is
// missing (a file that cannot be read), and the rule stays silent.
struct CheckValue {
    std::optional<std::string> text;
    std::string source;
};

CheckValue evaluateTerm(FolderEvidence& evidence, const RuleTerm& term);

// One alternative of a rule: the values of its conditions when all hold, nothing otherwise.
std::optional<std::vector<CheckValue>> evaluateAlternative(FolderEvidence& evidence,
                                                           const RuleAlternative& alternative);

// The checks a test may name, for the table's conformance test.
bool isKnownCheck(std::string_view name, size_t argumentCount);

// Whole number with digit-group separators (blank, no-break space, apostrophe) skipped: "1 234" is 1234.
std::optional<std::int64_t> readGroupedNumber(std::string_view text);
// The leading major and minor number of a version text ("22.0.1.777" gives 22 and 0).
std::optional<std::pair<int, int>> majorMinorOf(std::string_view version);

} // namespace kw
