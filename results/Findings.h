// The findings of a work folder: every rule of the rule table evaluated on its files, most important first,
// written as "KW_Findings.csv" and told in the event log. Nothing here can stop a run or an open.
#pragma once
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "results/FindingChecks.h"
#include "results/FindingRules.h"

namespace kw {

inline constexpr const char* kFindingsFile = "KW_Findings.csv";
inline constexpr const char* kFindingsHeader = "Код:\tВажность:\tПроблема:\tЧто сделать:\tИсточник:";

struct Finding {
    std::string code;
    Importance importance = Importance::Info;
    std::string problem, todo;
    std::string source; // the work-folder file the finding comes from
};

// Every rule on the files of `folder` (no trailing separator); by importance, then in the table's order.
std::vector<Finding> evaluateFindings(FileSystem& files, const std::string& folder,
                                      const std::vector<FindingRule>& rules, const EditionLookup* editions);

// The table as UTF-8: the header and one line per finding, CR LF after every line.
std::string findingsTableText(const std::vector<Finding>& findings);
// The event-log lines of the end of a run: a heading, then one line per finding.
std::vector<std::string> findingLogLines(const std::vector<Finding>& findings);
// True when a finding is an "ошибка" or a "предупреждение".
bool hasProblems(const std::vector<Finding>& findings);

// Evaluates the built-in rules on `folder` and writes "KW_Findings.csv" there (ANSI). A failure inside
// the rules leaves the findings found so far; the result says whether the file was written.
bool writeFindings(FileSystem& files, const std::string& folder, const EditionLookup* editions,
                   std::vector<Finding>& findings);

// The index in the result tree of the topic that shows `source`, or -1.
int findingSourceNode(const std::string& source);

} // namespace kw
