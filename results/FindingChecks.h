// The generic checks the findings' rules are made of, over the files of one work folder: registry-export
// values, table cells, lines of a text, the event log's not-found lines, numbers in a line and the edition
// table of the standard-parts library. Each file is read once, whatever number of rules reads it.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "results/FindingRules.h"

namespace kw {

// The edition table as the checks need it (the table itself lives with the product sections).
struct EditionLookup {
    std::function<bool(std::string_view file)> isComponent;
    std::function<bool(std::string_view file, std::int64_t size, std::string_view version)> matches;
};

// What a term gave: its text, and the work-folder file it was read from. No text: the evidence is
// missing (a file that cannot be read), and the rule stays silent.
struct CheckValue {
    std::optional<std::string> text;
    std::string source;
};

class FolderEvidence {
  public:
    // `folder` without a trailing separator; `editions` may be null (edition() then finds nothing).
    FolderEvidence(FileSystem& files, std::string folder, const EditionLookup* editions);

    // The file's lines as UTF-8 (rich text as its plain text); null when it cannot be read.
    const std::vector<std::string>* lines(const std::string& name);
    bool exists(const std::string& name);
    // The work-folder files whose names match `pattern` ("*" any text, letter case ignored).
    std::vector<std::string> namesLike(const std::string& pattern);
    const EditionLookup* editions() const { return editions_; }

  private:
    FileSystem& files_;
    std::string folder_;
    const EditionLookup* editions_;
    std::map<std::string, std::optional<std::vector<std::string>>> read_; // by lower-cased name
    std::optional<std::vector<std::string>> names_;
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
bool globMatches(std::string_view pattern, std::string_view name); // "*" any text, letter case ignored

} // namespace kw
