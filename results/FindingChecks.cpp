// The generic checks of the findings, and how a rule's conditions combine them.
#include "results/FindingChecks.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "platform/Text.h"

namespace kw {

namespace {

constexpr const char* kEventLog = "KW_Scan!.rtf";

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> cells;
    for (size_t from = 0;;) {
        size_t tab = line.find('\t', from);
        cells.push_back(trimmed(line.substr(from, tab - from)));
        if (tab == std::string_view::npos)
            return cells;
        from = tab + 1;
    }
}

std::optional<size_t> columnOf(const std::vector<std::string_view>& header, std::string_view name) {
    for (size_t i = 0; i < header.size(); ++i)
        if (header[i] == name)
            return i;
    return std::nullopt;
}

bool holdsAll(std::string_view line, std::span<const std::string> texts) {
    return std::all_of(texts.begin(), texts.end(),
                       [&](const std::string& t) { return line.find(t) != std::string_view::npos; });
}

// A registry-export value line: "name"=data. The name as written, its backslashes doubled.
std::optional<std::string> registryData(std::string_view line, std::string_view name) {
    if (!line.starts_with('"'))
        return std::nullopt;
    size_t end = line.find("\"=", 1);
    if (end == std::string_view::npos)
        return std::nullopt;
    std::string written(line.substr(1, end - 1)), wanted;
    for (char c : name)
        wanted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    if (!sameTextIgnoringCase(written, wanted))
        return std::nullopt;
    std::string_view data = line.substr(end + 2);
    if (data.size() < 2 || data.front() != '"' || data.back() != '"')
        return std::string(data); // dword:..., hex:...
    std::string text;
    data = data.substr(1, data.size() - 2);
    for (size_t i = 0; i < data.size(); ++i) {
        text += data[i];
        if (data[i] == '\\' && i + 1 < data.size() && data[i + 1] == '\\')
            ++i;
    }
    return text;
}

struct Call {
    FolderEvidence& evidence;
    std::vector<std::string> args; // the arguments' texts
    std::string source;            // the file the check read
};

using Check = std::optional<std::string> (*)(Call&);

// The checks that read one file take its name first: unreadable, and the rule stays silent.
const std::vector<std::string>* fileOf(Call& c) {
    c.source = c.args[0];
    return c.evidence.lines(c.args[0]);
}

std::optional<std::string> firstLine(Call& c, std::string_view begins, std::span<const std::string> has) {
    const std::vector<std::string>* lines = fileOf(c);
    if (!lines)
        return std::nullopt;
    for (const std::string& line : *lines) {
        std::string_view t = trimmed(line);
        if (t.starts_with(begins) && holdsAll(t, has))
            return std::string(t);
    }
    return std::string();
}

std::optional<std::string> checkReg(Call& c) {
    const std::vector<std::string>* lines = fileOf(c);
    if (!lines)
        return std::nullopt;
    for (const std::string& line : *lines)
        if (auto data = registryData(line, c.args[1]))
            return data;
    return std::string();
}

std::optional<std::string> checkCell(Call& c) {
    const std::vector<std::string>* lines = fileOf(c);
    if (!lines)
        return std::nullopt;
    if (lines->empty())
        return std::string();
    std::vector<std::string_view> header = splitTabs((*lines)[0]);
    auto keyColumn = columnOf(header, c.args[1]), valueColumn = columnOf(header, c.args[3]);
    if (!keyColumn || !valueColumn)
        return std::string();
    for (size_t r = 1; r < lines->size(); ++r) {
        std::vector<std::string_view> cells = splitTabs((*lines)[r]);
        if (cells.size() > std::max(*keyColumn, *valueColumn) &&
            sameTextIgnoringCase(cells[*keyColumn], c.args[2]))
            return std::string(cells[*valueColumn]);
    }
    return std::string();
}

std::optional<std::string> checkLine(Call& c) {
    return firstLine(c, c.args[1], std::span(c.args).subspan(2));
}

std::optional<std::string> checkCount(Call& c) {
    const std::vector<std::string>* lines = fileOf(c);
    if (!lines)
        return std::nullopt;
    auto n = std::count_if(lines->begin(), lines->end(),
                           [&](const std::string& l) { return trimmed(l).starts_with(c.args[1]); });
    return std::to_string(n);
}

std::optional<std::string> checkAfter(Call& c) {
    const std::vector<std::string>* lines = fileOf(c);
    if (!lines)
        return std::nullopt;
    const std::string& marker = c.args[1];
    if (marker.empty())
        return std::string();
    for (const std::string& line : *lines) {
        size_t at = line.find(marker);
        if (at != std::string::npos && holdsAll(line, std::span(c.args).subspan(2)))
            return std::string(trimmed(std::string_view(line).substr(at + marker.size())));
    }
    return std::string();
}

std::optional<std::string> checkMissing(Call& c) {
    if (c.args[0].empty())
        return std::string(); // nothing named, nothing reported missing
    std::string text = c.args[0];
    c.args = {kEventLog, "[-]", text};
    return checkLine(c);
}

std::optional<std::string> checkExists(Call& c) {
    c.source = c.args[0];
    return c.evidence.exists(c.args[0]) ? std::string("1") : std::string();
}

std::optional<std::string> checkLeft(Call& c) {
    size_t n = 0;
    std::from_chars(c.args[1].data(), c.args[1].data() + c.args[1].size(), n);
    // Whole characters: the text is UTF-8.
    std::string out;
    for (size_t i = 0, taken = 0; i < c.args[0].size() && taken < n; ++taken) {
        size_t len = 1;
        unsigned char lead = static_cast<unsigned char>(c.args[0][i]);
        if (lead >= 0xF0)
            len = 4;
        else if (lead >= 0xE0)
            len = 3;
        else if (lead >= 0xC0)
            len = 2;
        out.append(c.args[0], i, len);
        i += len;
    }
    return out;
}

std::optional<std::string> checkJoin(Call& c) {
    std::string out;
    for (const std::string& part : c.args)
        out += part;
    return out;
}

std::optional<std::string> checkNumber(Call& c) {
    std::string_view text = c.args[0];
    if (c.args.size() > 1) {
        size_t at = text.find(c.args[1]);
        if (at == std::string_view::npos)
            return std::string();
        text = text.substr(at + c.args[1].size());
    }
    auto n = readGroupedNumber(text);
    return n ? std::to_string(*n) : std::string();
}

std::optional<std::string> checkEdition(Call& c) {
    const EditionLookup* editions = c.evidence.editions();
    if (!editions)
        return std::string();
    std::vector<std::string> misses;
    for (const std::string& table : c.evidence.namesLike(c.args[0])) {
        const std::vector<std::string>* lines = c.evidence.lines(table);
        if (!lines || lines->empty())
            continue;
        std::vector<std::string_view> header = splitTabs((*lines)[0]);
        auto name = columnOf(header, "Имя файла:"), size = columnOf(header, "Байт:"),
             version = columnOf(header, "Версия:");
        if (!name || !size || !version)
            continue;
        size_t needed = std::max({*name, *size, *version});
        for (size_t r = 1; r < lines->size(); ++r) {
            std::vector<std::string_view> cells = splitTabs((*lines)[r]);
            if (cells.size() <= needed || !editions->isComponent(cells[*name]))
                continue;
            auto bytes = readGroupedNumber(cells[*size]);
            if (bytes && editions->matches(cells[*name], *bytes, cells[*version]))
                continue;
            if (c.source.empty())
                c.source = table;
            misses.push_back(std::string(cells[*name]) + " " + std::string(cells[*version]) + " (" +
                             std::string(cells[*size]) + " байт, " + table + ")");
        }
    }
    std::string list;
    for (size_t i = 0; i < misses.size() && i < 5; ++i)
        list += (i ? "; " : "") + misses[i];
    if (misses.size() > 5)
        list += "; и ещё " + std::to_string(misses.size() - 5);
    return list;
}

struct CheckRow {
    std::string_view name;
    size_t minArgs, maxArgs;
    Check check;
};

constexpr size_t kMany = 16;
const CheckRow kChecks[] = {
    {"reg", 2, 2, checkReg},         {"cell", 4, 4, checkCell},       {"line", 2, kMany, checkLine},
    {"first", 2, 2, checkLine},      {"count", 2, 2, checkCount},     {"after", 2, kMany, checkAfter},
    {"missing", 1, 1, checkMissing}, {"exists", 1, 1, checkExists},   {"left", 2, 2, checkLeft},
    {"number", 1, 2, checkNumber},   {"edition", 1, 1, checkEdition}, {"join", 2, kMany, checkJoin},
};

const CheckRow* checkNamed(std::string_view name) {
    for (const CheckRow& row : kChecks)
        if (row.name == name)
            return &row;
    return nullptr;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    text = trimmed(text);
    std::int64_t n = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return n;
}

bool compare(std::string_view op, const std::string& a, const std::string& b) {
    if (op == "=")
        return a == b;
    if (op == "!=")
        return a != b;
    if (op == "~" || op == "!~") {
        auto x = majorMinorOf(a), y = majorMinorOf(b);
        if (!x || !y)
            return false; // no version, no evidence either way
        bool same = x->first == y->first && (x->second < 0 || y->second < 0 || x->second == y->second);
        return op == "~" ? same : !same;
    }
    auto x = wholeNumber(a), y = wholeNumber(b);
    if (!x || !y)
        return false;
    if (op == "<")
        return *x < *y;
    if (op == ">")
        return *x > *y;
    if (op == "<=")
        return *x <= *y;
    return *x >= *y;
}

} // namespace

CheckValue evaluateTerm(FolderEvidence& evidence, const RuleTerm& term) {
    if (!term.call)
        return {term.text, ""};
    const CheckRow* row = checkNamed(term.text);
    if (!row || term.args.size() < row->minArgs || term.args.size() > row->maxArgs)
        return {std::nullopt, ""};
    Call call{evidence, {}, ""};
    std::string argumentSource;
    for (const RuleTerm& arg : term.args) {
        CheckValue v = evaluateTerm(evidence, arg);
        if (!v.text)
            return {std::nullopt, v.source};
        if (argumentSource.empty())
            argumentSource = v.source;
        call.args.push_back(std::move(*v.text));
    }
    std::optional<std::string> text = row->check(call);
    return {std::move(text), call.source.empty() ? argumentSource : call.source};
}

std::optional<std::vector<CheckValue>> evaluateAlternative(FolderEvidence& evidence,
                                                           const RuleAlternative& alternative) {
    std::vector<CheckValue> values;
    for (const RuleCondition& condition : alternative) {
        CheckValue left = evaluateTerm(evidence, condition.left);
        if (!left.text)
            return std::nullopt;
        bool holds;
        if (condition.op.empty()) {
            holds = left.text->empty() == condition.negated;
        } else {
            CheckValue right = evaluateTerm(evidence, condition.right);
            if (!right.text)
                return std::nullopt;
            holds = compare(condition.op, *left.text, *right.text);
        }
        if (!holds)
            return std::nullopt;
        values.push_back(std::move(left));
    }
    return values;
}

bool isKnownCheck(std::string_view name, size_t argumentCount) {
    const CheckRow* row = checkNamed(name);
    return row && argumentCount >= row->minArgs && argumentCount <= row->maxArgs;
}

std::optional<std::int64_t> readGroupedNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && !(text[i] >= '0' && text[i] <= '9'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    bool negative = i > 0 && text[i - 1] == '-';
    std::int64_t n = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            if (n > (INT64_MAX - 9) / 10)
                return std::nullopt;
            n = n * 10 + (c - '0');
            ++i;
            continue;
        }
        // A group separator only between digits: a blank, an apostrophe or a no-break space (UTF-8 C2 A0).
        size_t len = c == ' ' || c == '\'' ? 1 : text.substr(i).starts_with("\xC2\xA0") ? 2 : 0;
        if (len == 0 || i + len >= text.size() || !(text[i + len] >= '0' && text[i + len] <= '9'))
            break;
        i += len;
    }
    return negative ? -n : n;
}

std::optional<std::pair<int, int>> majorMinorOf(std::string_view version) {
    version = trimmed(version);
    int major = 0, minor = -1;
    auto [end, error] = std::from_chars(version.data(), version.data() + version.size(), major);
    if (error != std::errc())
        return std::nullopt;
    std::string_view rest(end, static_cast<size_t>(version.data() + version.size() - end));
    if (rest.starts_with('.')) {
        auto [end2, error2] = std::from_chars(rest.data() + 1, rest.data() + rest.size(), minor);
        if (error2 != std::errc())
            minor = -1;
    }
    return std::pair{major, minor};
}

} // namespace kw
