// Reads the findings' rule table and the small test language of its rows.
#include "results/FindingRules.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/DataTable.h"

namespace kw {

std::string_view builtInFindingRulesText(); // results/FindingRules.tsv, compiled in

std::string_view importanceText(Importance i) {
    switch (i) {
    case Importance::Error:
        return "ошибка";
    case Importance::Warning:
        return "предупреждение";
    case Importance::Info:
        break;
    }
    return "сведения";
}

namespace {

constexpr std::string_view kOperators[] = {"!=", "<=", ">=", "!~", "=", "<", ">", "~"};

class TestParser {
  public:
    explicit TestParser(std::string_view text) : s_(text) {}

    ParsedTest parse() {
        ParsedTest out;
        RuleAlternative alternative;
        while (error_.empty()) {
            alternative.push_back(condition());
            skipBlanks();
            if (at("||")) {
                pos_ += 2;
                out.alternatives.push_back(std::move(alternative));
                alternative.clear();
            } else if (at("&")) {
                ++pos_;
            } else if (pos_ < s_.size()) {
                fail("ожидается \"&\" или \"||\"");
            } else {
                break;
            }
        }
        out.alternatives.push_back(std::move(alternative));
        if (!error_.empty())
            out = {.alternatives = {}, .error = error_ + " (позиция " + std::to_string(pos_ + 1) + ")"};
        return out;
    }

  private:
    void fail(const std::string& message) {
        if (error_.empty())
            error_ = message;
        pos_ = s_.size();
    }
    void skipBlanks() {
        while (pos_ < s_.size() && s_[pos_] == ' ')
            ++pos_;
    }
    bool at(std::string_view token) const { return s_.substr(pos_).starts_with(token); }

    RuleCondition condition() {
        RuleCondition c;
        skipBlanks();
        if (at("!") && !at("!=") && !at("!~")) {
            c.negated = true;
            ++pos_;
        }
        c.left = term();
        skipBlanks();
        for (std::string_view op : kOperators) {
            if (at(op) && !at("||")) {
                if (c.negated)
                    fail("\"!\" перед сравнением");
                c.op = op;
                pos_ += op.size();
                c.right = term();
                break;
            }
        }
        return c;
    }

    RuleTerm term() {
        skipBlanks();
        RuleTerm t;
        if (at("\"")) {
            ++pos_;
            for (;;) {
                size_t quote = s_.find('"', pos_);
                if (quote == std::string_view::npos) {
                    fail("нет закрывающей кавычки");
                    return t;
                }
                t.text.append(s_.substr(pos_, quote - pos_));
                pos_ = quote + 1;
                if (!at("\""))
                    return t;
                t.text += '"'; // "" inside a text stands for one quote
                ++pos_;
            }
        }
        size_t start = pos_;
        while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
            ++pos_;
        if (start == pos_) {
            fail("ожидается текст в кавычках, число или проверка");
            return t;
        }
        t.text = std::string(s_.substr(start, pos_ - start));
        skipBlanks();
        if (std::all_of(t.text.begin(), t.text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
            return t; // a number stands for its text
        if (!at("(")) {
            fail("ожидается \"(\" после " + t.text);
            return t;
        }
        ++pos_;
        t.call = true;
        skipBlanks();
        if (at(")")) {
            ++pos_;
            return t;
        }
        for (;;) {
            t.args.push_back(term());
            skipBlanks();
            if (at(",")) {
                ++pos_;
                continue;
            }
            if (at(")")) {
                ++pos_;
                return t;
            }
            fail("ожидается \",\" или \")\"");
            return t;
        }
    }

    std::string_view s_;
    size_t pos_ = 0;
    std::string error_;
};

std::optional<Importance> importanceOf(std::string_view text) {
    for (Importance i : {Importance::Error, Importance::Warning, Importance::Info})
        if (importanceText(i) == text)
            return i;
    return std::nullopt;
}

std::vector<std::string> splitSources(std::string_view text) {
    std::vector<std::string> sources;
    for (size_t from = 0; from <= text.size();) {
        size_t comma = text.find(", ", from);
        std::string_view one = text.substr(from, comma - from);
        if (!one.empty())
            sources.emplace_back(one);
        if (comma == std::string_view::npos)
            break;
        from = comma + 2;
    }
    return sources;
}

} // namespace

ParsedTest parseRuleTest(std::string_view test) {
    return TestParser(test).parse();
}

RuleTable parseRuleTable(std::string_view text) {
    RuleTable table;
    for (auto [line, number] : dataLines(text)) {
        std::vector<std::string_view> columns = tabColumns(line);
        auto error = [&](const std::string& message) { table.errors.push_back({number, message}); };
        if (columns.size() != 6) {
            error("ожидается 6 столбцов, найдено " + std::to_string(columns.size()));
            continue;
        }
        std::optional<Importance> importance = importanceOf(columns[1]);
        if (!importance) {
            error("неизвестная важность \"" + std::string(columns[1]) + "\"");
            continue;
        }
        ParsedTest test = parseRuleTest(columns[3]);
        if (!test.error.empty()) {
            error(test.error);
            continue;
        }
        table.rules.push_back({.code = std::string(columns[0]),
                               .importance = *importance,
                               .sources = splitSources(columns[2]),
                               .alternatives = std::move(test.alternatives),
                               .problem = std::string(columns[4]),
                               .todo = std::string(columns[5])});
    }
    return table;
}

const RuleTable& builtInRules() {
    static const RuleTable table = parseRuleTable(builtInFindingRulesText());
    return table;
}

} // namespace kw
