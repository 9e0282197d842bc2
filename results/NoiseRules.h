// What differs between two results although nothing on the computer changed (the time of the run,
// durations, the work and temporary folders, process numbers, free memory and disk, and, when asked,
// the computer's and the user's names): the rule table (results/NoiseRules.tsv, compiled in) and the
// masking of a topic's lines by it, so that the whole-result comparison can tell such topics apart.
#pragma once
#include <memory>
#include <optional>
#include <regex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "results/CaseMap.h"

namespace kw {

struct NoiseOptions {
    bool timesAndPaths = true; // "Не учитывать время, длительности и временные пути"
    bool hostAndUser = false; // "Не учитывать имя компьютера и пользователя"
    bool any() const { return timesAndPaths || hostAndUser; }
};

enum class NoiseKind {
    TimeOrPath, // masked under "Не учитывать время, длительности и временные пути"
    HostOrUser, // masked under "Не учитывать имя компьютера и пользователя"
    ComputerName,    // the pattern's first group names the computer on a line of the file
    UserName,        // ... the user
    TemporaryFolder, // ... the result's own temporary folder
};

struct NoiseRule {
    std::string files; // a file name with "*" for any run of characters, letter case ignored
    NoiseKind kind;
    std::wstring hint; // a line without it is left alone ("" tries every line)
    std::wregex pattern;
    std::wstring mask; // what a match becomes (its own "$1" keeps a group)
    int line = 0;      // in the table, for messages
};

// The rules of the table, read once; a line that breaks the table's form is left out and named in
// `broken` (the table's test asks for none).
std::span<const NoiseRule> noiseRules();
std::span<const std::string> brokenNoiseRules();

// Whether `name` is matched by the pattern (letter case ignored for ASCII letters).
bool fileNameMatches(std::string_view pattern, std::string_view name);

// The names one result gives its computer, its user and its temporary folder (from the files the name
// rules point to).
struct ResultNames {
    std::vector<std::wstring> computer, user, temporary;
};
// Takes the names from one topic file's lines when a name rule points to that file.
void collectNames(std::string_view file, std::span<const std::wstring_view> lines, ResultNames& names);

// Masks the noise of one side of one topic: its own names, the rules the options switch on.
class NoiseMask {
  public:
    NoiseMask(const NoiseOptions& options, ResultNames names);
    // Whether any rule can apply to this topic file (so a big table need not be cut into lines).
    bool appliesTo(std::string_view file) const;
    // The lines with their noise masked; nothing when no line changed. The patterns are tried on lines
    // of up to 1024 characters only; names are masked in lines of any length.
    std::optional<std::vector<std::wstring>> masked(std::string_view file,
                                                    std::span<const std::wstring_view> lines) const;

  private:
    bool maskNames(std::wstring& line) const;

    NoiseOptions options_;
    // The computer's and the user's names in lower case, longest first, each with its mask.
    std::vector<std::pair<std::wstring, std::wstring>> lowerNames_;
    std::shared_ptr<const LowerCaseMap> lowerCase_;
};

} // namespace kw
