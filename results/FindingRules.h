// The rule table of the findings: each rule a code, an importance, the files it reads, a test made of the
// generic checks, and what to tell the support engineer (the data file results/FindingRules.tsv, compiled
// in).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

enum class Importance { Error, Warning, Info }; // listed in this order
std::string_view importanceText(Importance i); // "ошибка", "предупреждение", "сведения"

// A text or a check with its arguments.
struct RuleTerm {
    bool call = false;
    std::string text; // the text, or the check's name
    std::vector<RuleTerm> args;
};

struct RuleCondition {
    bool negated = false; // "!" before a lone term
    RuleTerm left;
    std::string op; // empty: the lone term holds when its text is not empty
    RuleTerm right;
};

using RuleAlternative = std::vector<RuleCondition>; // all must hold

struct FindingRule {
    std::string code;
    Importance importance = Importance::Info;
    std::vector<std::string> sources;
    std::vector<RuleAlternative> alternatives; // each that holds is one finding
    std::string problem, todo;
};

struct RuleTableError {
    std::size_t line; // 1-based line of the data
    std::string message;
};

struct RuleTable {
    std::vector<FindingRule> rules;
    std::vector<RuleTableError> errors; // malformed lines are left out and named here
};

RuleTable parseRuleTable(std::string_view text);
// The table compiled in from results/FindingRules.tsv, parsed once on first use.
const RuleTable& builtInRules();

// One test as the table writes it; an error message instead when it breaks the form.
struct ParsedTest {
    std::vector<RuleAlternative> alternatives;
    std::string error;
};
ParsedTest parseRuleTest(std::string_view test);

} // namespace kw
