// Evaluating the rule table on a work folder, and the findings' table and log lines.
#include "results/Findings.h"

#include <algorithm>
#include <exception>

#include "platform/Text.h"
#include "results/ResultTree.h"

namespace kw {

namespace {

// A value inside a table cell or a log line: one line, no tabs, not endless.
std::string cellText(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    constexpr size_t kLongest = 300;
    if (text.size() > kLongest) {
        size_t cut = kLongest;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 character
        text = text.substr(0, cut) + "...";
    }
    return text;
}

std::string withValues(const std::string& pattern, const std::vector<CheckValue>& values) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            size_t n = static_cast<size_t>(pattern[i + 1] - '1');
            if (n < values.size())
                out += values[n].text.value_or("");
            i += 2;
            continue;
        }
        out += pattern[i];
    }
    return cellText(out);
}

// The file the finding names: the first condition's, else any the rule read, else its first source.
std::string sourceOf(const FindingRule& rule, const std::vector<CheckValue>& values) {
    for (const CheckValue& v : values)
        if (!v.source.empty() && v.source.find('*') == std::string::npos)
            return v.source;
    return rule.sources.empty() ? std::string() : rule.sources.front();
}

} // namespace

std::vector<Finding> evaluateFindings(FileSystem& files, const std::string& folder,
                                      const std::vector<FindingRule>& rules, const EditionLookup* editions) {
    FolderEvidence evidence(files, folder, editions);
    std::vector<Finding> findings;
    for (const FindingRule& rule : rules) {
        for (const RuleAlternative& alternative : rule.alternatives) {
            // A rule that fails in itself is silent: the others still speak.
            std::optional<std::vector<CheckValue>> values;
            try {
                values = evaluateAlternative(evidence, alternative);
            } catch (const std::exception&) {
                values.reset();
            }
            if (!values)
                continue;
            findings.push_back({.code = rule.code,
                                .importance = rule.importance,
                                .problem = withValues(rule.problem, *values),
                                .todo = withValues(rule.todo, *values),
                                .source = sourceOf(rule, *values)});
        }
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.importance < b.importance; });
    return findings;
}

std::string findingsTableText(const std::vector<Finding>& findings) {
    std::string text = std::string(kFindingsHeader) + "\r\n";
    for (const Finding& f : findings)
        text += f.code + "\t" + std::string(importanceText(f.importance)) + "\t" + f.problem + "\t" + f.todo +
                "\t" + f.source + "\r\n";
    return text;
}

std::vector<std::string> findingLogLines(const std::vector<Finding>& findings) {
    if (findings.empty())
        return {"Найденные проблемы: проблем не найдено"};
    std::vector<std::string> lines{"Найденные проблемы (" + std::to_string(findings.size()) + "):"};
    for (const Finding& f : findings)
        lines.push_back("    " + f.code + " " + std::string(importanceText(f.importance)) + ": " + f.problem +
                        " [" + f.source + "]");
    return lines;
}

bool hasProblems(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.importance != Importance::Info; });
}

bool writeFindings(FileSystem& files, const std::string& folder, const EditionLookup* editions,
                   std::vector<Finding>& findings) {
    try {
        findings = evaluateFindings(files, folder, builtInRules().rules, editions);
    } catch (const std::exception&) {
        // Out of memory on a huge package, say: the table still says nothing was found, not something false.
        findings.clear();
    }
    return files.writeFile(folder + "\\" + kFindingsFile, utf8ToAnsi(findingsTableText(findings)));
}

int findingSourceNode(const std::string& source) {
    std::span<const ResultNode> tree = resultTree();
    for (size_t i = 0; i < tree.size(); ++i)
        if (!tree[i].file.empty() && sameTextIgnoringCase(tree[i].file, source))
            return static_cast<int>(i);
    return -1;
}

} // namespace kw
