// The noise table read from its compiled-in data file, and the masking of lines by it.
#include "results/NoiseRules.h"

#include <algorithm>
#include <cwctype>

#include "core/DataTable.h"
#include "platform/Text.h"

namespace kw {

// The text of results/NoiseRules.tsv, compiled in from a source CMake generates.
std::string_view builtInNoiseRulesText();

namespace {

struct RuleTable {
    std::vector<NoiseRule> rules;
    std::vector<std::string> broken;
};

std::optional<NoiseKind> kindOf(std::string_view name) {
    constexpr std::pair<std::string_view, NoiseKind> kKinds[] = {{"время", NoiseKind::TimeOrPath},
                                                                 {"имя", NoiseKind::HostOrUser},
                                                                 {"компьютер", NoiseKind::ComputerName},
                                                                 {"пользователь", NoiseKind::UserName},
                                                                 {"временный", NoiseKind::TemporaryFolder}};
    for (auto [text, kind] : kKinds)
        if (text == name)
            return kind;
    return std::nullopt;
}

// "-" stands for an empty column (a hint that every line passes, a mask that removes the match).
std::wstring columnText(std::string_view column) {
    return column == "-" ? std::wstring() : toWide(column);
}

RuleTable readRuleTable() {
    RuleTable table;
    std::string_view text = builtInNoiseRulesText();
    for (auto [line, lineNumber] : dataLines(text)) {
        int number = static_cast<int>(lineNumber);
        std::vector<std::string_view> c = tabColumns(line);
        std::optional<NoiseKind> kind = c.size() == 5 ? kindOf(c[1]) : std::nullopt;
        if (!kind) {
            table.broken.push_back(std::to_string(number) + ": " + std::string(line));
            continue;
        }
        try {
            table.rules.push_back({.files = std::string(c[0]),
                                   .kind = *kind,
                                   .hint = columnText(c[2]),
                                   .pattern = std::wregex(toWide(c[3]), std::regex::ECMAScript),
                                   .mask = columnText(c[4]),
                                   .line = number});
        } catch (const std::regex_error& e) {
            table.broken.push_back(std::to_string(number) + ": " + e.what());
        }
    }
    return table;
}

const RuleTable& ruleTable() {
    static const RuleTable table = readRuleTable();
    return table;
}

bool switchedOn(NoiseKind kind, const NoiseOptions& o) {
    return (kind == NoiseKind::TimeOrPath && o.timesAndPaths) ||
           (kind == NoiseKind::HostOrUser && o.hostAndUser);
}

wchar_t lowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool isWordCharacter(wchar_t c) {
    return std::iswalnum(c) || c == L'_' || (c >= 0x0400 && c <= 0x04FF);
}

// Whether the line holds the hint, Latin letters compared without regard to case.
bool holdsHint(std::wstring_view line, std::wstring_view hint) {
    if (hint.empty())
        return true;
    auto same = [](wchar_t a, wchar_t b) { return lowerAscii(a) == lowerAscii(b); };
    return std::search(line.begin(), line.end(), hint.begin(), hint.end(), same) != line.end();
}

// The library's regular expressions recurse once or more per character: a longer line (a dump, a
// binary file read as text) could exhaust the stack. Noise stands in short lines; longer ones stay as
// they are.
constexpr size_t kLongestPatternLine = 1024;

bool patternMayApply(std::wstring_view line, const NoiseRule& rule) {
    return line.size() <= kLongestPatternLine && holdsHint(line, rule.hint);
}

// Names shorter than this would mask pieces of ordinary words.
constexpr size_t kShortestName = 2;

} // namespace

std::span<const NoiseRule> noiseRules() {
    return ruleTable().rules;
}

std::span<const std::string> brokenNoiseRules() {
    return ruleTable().broken;
}

bool fileNameMatches(std::string_view pattern, std::string_view name) {
    // The classic walk with one remembered star: enough for the few stars a rule holds.
    size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && lower(pattern[p]) == lower(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool namesSomething(NoiseKind kind) {
    return kind == NoiseKind::ComputerName || kind == NoiseKind::UserName ||
           kind == NoiseKind::TemporaryFolder;
}

void collectNames(std::string_view file, std::span<const std::wstring_view> lines, ResultNames& names) {
    for (const NoiseRule& rule : noiseRules()) {
        if (!namesSomething(rule.kind) || !fileNameMatches(rule.files, file))
            continue;
        std::vector<std::wstring>& into = rule.kind == NoiseKind::ComputerName ? names.computer
                                          : rule.kind == NoiseKind::UserName   ? names.user
                                                                               : names.temporary;
        for (std::wstring_view line : lines) {
            if (!patternMayApply(line, rule))
                continue;
            std::match_results<std::wstring_view::const_iterator> m;
            if (!std::regex_search(line.begin(), line.end(), m, rule.pattern) || m.size() < 2)
                continue;
            std::wstring name = m[1].str();
            while (!name.empty() && std::iswspace(name.back()))
                name.pop_back();
            // A drive's root as the temporary folder would mask every path of that drive.
            bool root = rule.kind == NoiseKind::TemporaryFolder && name.find(L'\\') == std::wstring::npos;
            if (!root && name.size() >= kShortestName &&
                std::find(into.begin(), into.end(), name) == into.end())
                into.push_back(name);
        }
    }
}

NoiseMask::NoiseMask(const NoiseOptions& options, ResultNames names) : options_(options) {
    if (!options.hostAndUser && (!options.timesAndPaths || names.temporary.empty()))
        return;
    lowerCase_ = std::make_shared<LowerCaseMap>();
    if (options.hostAndUser) {
        for (const std::wstring& name : names.computer)
            lowerNames_.push_back({lowerCase_->lower(name), L"‹компьютер›"});
        for (const std::wstring& name : names.user)
            lowerNames_.push_back({lowerCase_->lower(name), L"‹пользователь›"});
    }
    // The result's own temporary folder, whatever it is called, is where this run happened to work.
    if (options.timesAndPaths)
        for (const std::wstring& name : names.temporary)
            lowerNames_.push_back({lowerCase_->lower(name), L"‹временный каталог›"});
    // A longer name that holds a shorter one is masked first.
    std::stable_sort(lowerNames_.begin(), lowerNames_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

bool NoiseMask::appliesTo(std::string_view file) const {
    if (!lowerNames_.empty())
        return true;
    return std::any_of(noiseRules().begin(), noiseRules().end(), [&](const NoiseRule& r) {
        return switchedOn(r.kind, options_) && fileNameMatches(r.files, file);
    });
}

bool NoiseMask::maskNames(std::wstring& line) const {
    std::wstring lower = lowerCase_->lower(line);
    if (lower.size() != line.size())
        return false; // a text the locale lowered to another length: left as it is
    bool changed = false;
    for (const auto& [name, mask] : lowerNames_) {
        if (name.size() < kShortestName)
            continue;
        for (size_t at = lower.find(name); at != std::wstring::npos; at = lower.find(name, at + 1)) {
            // Whole words only: a user "ivan" leaves "ivanovo" alone.
            bool before = at > 0 && isWordCharacter(lower[at - 1]);
            bool after = at + name.size() < lower.size() && isWordCharacter(lower[at + name.size()]);
            if (before || after)
                continue;
            line.replace(at, name.size(), mask);
            lower.replace(at, name.size(), mask);
            changed = true;
        }
    }
    return changed;
}

std::optional<std::vector<std::wstring>> NoiseMask::masked(std::string_view file,
                                                           std::span<const std::wstring_view> lines) const {
    std::vector<const NoiseRule*> rules;
    for (const NoiseRule& r : noiseRules())
        if (switchedOn(r.kind, options_) && fileNameMatches(r.files, file))
            rules.push_back(&r);
    if (rules.empty() && lowerNames_.empty())
        return std::nullopt;
    // Lines are copied only from the first one that changes: a big table without noise costs a look at
    // each line's hints.
    std::vector<std::wstring> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::wstring_view view = lines[i];
        bool tried = !lowerNames_.empty() || std::any_of(rules.begin(), rules.end(), [&](const NoiseRule* r) {
            return patternMayApply(view, *r);
        });
        std::wstring line;
        bool changed = false;
        if (tried) {
            line.assign(view);
            for (const NoiseRule* r : rules) {
                if (!patternMayApply(line, *r))
                    continue;
                std::wstring next = std::regex_replace(line, r->pattern, r->mask);
                if (next != line) {
                    line = std::move(next);
                    changed = true;
                }
            }
            if (!lowerNames_.empty() && maskNames(line))
                changed = true;
        }
        if (changed && out.empty()) {
            out.reserve(lines.size());
            for (size_t k = 0; k < i; ++k)
                out.emplace_back(lines[k]);
        }
        if (!out.empty() || changed)
            out.push_back(changed ? std::move(line) : std::wstring(view));
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

} // namespace kw
