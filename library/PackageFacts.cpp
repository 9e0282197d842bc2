// The facts of an unpacked package: its head from the result's own files (as the comparison report reads
// it), its products by the terms of ProductFacts.tsv, its inventory rows from the "Files.csv" tables.
#include "library/PackageFacts.h"

#include <algorithm>

#include "core/DataTable.h"
#include "platform/Text.h"
#include "results/Comparison.h"
#include "results/FindingChecks.h"
#include "results/FolderEvidence.h"
#include "results/HeldFiles.h"
#include "results/LocaleText.h"
#include "results/ResultDescription.h"

namespace kw {

// The text of library/ProductFacts.tsv, compiled in.
std::string_view builtInProductFactsText();

namespace {

struct ProductRule {
    std::string tag;
    std::vector<RuleAlternative> version, folder;
};

const std::vector<ProductRule>& productRules() {
    static const std::vector<ProductRule> rules = [] {
        std::vector<ProductRule> out;
        for (auto [line, number] : dataLines(builtInProductFactsText())) {
            std::vector<std::string_view> c = tabColumns(line);
            if (c.size() != 3)
                continue; // the table's test asks for none such
            ParsedTest version = parseRuleTest(c[1]), folder = parseRuleTest(c[2]);
            if (!version.error.empty() || !folder.error.empty())
                continue;
            out.push_back({std::string(c[0]), version.alternatives, folder.alternatives});
        }
        return out;
    }();
    return rules;
}

// The first alternative's lone term that gives a text.
std::string firstText(FolderEvidence& evidence, const std::vector<RuleAlternative>& alternatives) {
    for (const RuleAlternative& a : alternatives) {
        if (a.empty())
            continue;
        CheckValue v = evaluateTerm(evidence, a.front().left);
        if (v.text && !v.text->empty())
            return *v.text;
    }
    return {};
}

std::vector<std::string_view> cellsOf(std::string_view line) {
    std::vector<std::string_view> cells;
    for (size_t from = 0;;) {
        size_t tab = line.find('\t', from);
        cells.push_back(
            line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos)
            return cells;
        from = tab + 1;
    }
}

// "(MIRTAL_Bin)Files.csv" gives "MIRTAL_Bin"; "(ELEMLib)Vault_Files.csv" gives "ELEMLib".
std::string tableTag(const std::string& name) {
    if (name.size() < 3 || name[0] != '(')
        return {};
    size_t close = name.find(')');
    return close == std::string::npos ? std::string() : name.substr(1, close - 1);
}

// The install folder of the product a table belongs to: the product whose tag is the table's, or its
// start up to a "_" ("MIRTAL_Bin" belongs to "MIRTAL", "MIRTAL_Home_Bin" to "MIRTAL_Home").
std::string installFolderOf(const std::string& tag, const std::vector<ProductFact>& products) {
    const ProductFact* best = nullptr;
    for (const ProductFact& p : products) {
        bool owns = sameTextIgnoringCase(p.tag, tag) ||
                    (tag.size() > p.tag.size() && tag[p.tag.size()] == '_' &&
                     sameTextIgnoringCase(std::string_view(tag).substr(0, p.tag.size()), p.tag));
        if (owns && (!best || p.tag.size() > best->tag.size()))
            best = &p;
    }
    if (!best)
        return {};
    std::string folder = best->folder;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

void readInventory(FileSystem& files, const std::string& folder, const std::string& table,
                   const std::vector<ProductFact>& products, std::vector<InventoryFact>& out) {
    std::optional<std::string> bytes = readFirstBytes(files, folder + "\\" + table, kHeldTableBytes);
    if (!bytes)
        return;
    std::wstring text = decodeText(*bytes, Encoding::Ansi);
    std::vector<std::wstring_view> lines = splitLines(text);
    if (lines.empty())
        return;
    std::vector<std::string_view> header;
    const std::string head = toUtf8(lines[0]);
    header = cellsOf(head);
    auto column = [&](std::string_view name) -> std::optional<size_t> {
        for (size_t i = 0; i < header.size(); ++i)
            if (header[i] == name)
                return i;
        return std::nullopt;
    };
    auto name = column("Имя файла:"), size = column("Байт:"), date = column("Дата:"),
         version = column("Версия:"), md5 = column("md5"), path = column("Путь:");
    if (!name || !path)
        return; // no inventory of ours
    const std::string tag = tableTag(table);
    const std::string base = installFolderOf(tag, products);
    for (size_t r = 1; r < lines.size(); ++r) {
        const std::string row = toUtf8(lines[r]);
        std::vector<std::string_view> cells = cellsOf(row);
        auto cell = [&](std::optional<size_t> c) {
            return c && *c < cells.size() ? std::string(cells[*c]) : std::string();
        };
        InventoryFact f{.tag = tag, .folder = cell(path), .name = cell(name)};
        if (f.name.empty())
            continue;
        std::optional<std::int64_t> bytesOf = readGroupedNumber(cell(size));
        f.size = bytesOf.value_or(-1);
        f.date = cell(date), f.version = cell(version), f.md5 = foldedName(cell(md5));
        if (!base.empty() && f.folder.size() >= base.size() &&
            sameTextIgnoringCase(std::string_view(f.folder).substr(0, base.size()), base))
            f.folder = "\\" + f.folder.substr(base.size());
        out.push_back(std::move(f));
    }
}

} // namespace

std::string sortableDate(std::string_view t) {
    auto number = [&](size_t& at, size_t digits) -> std::optional<int> {
        size_t start = at;
        int v = 0;
        while (at < t.size() && at - start < digits && t[at] >= '0' && t[at] <= '9')
            v = v * 10 + (t[at++] - '0');
        return at > start ? std::optional<int>(v) : std::nullopt;
    };
    auto separator = [&](size_t& at, std::string_view allowed) {
        if (at < t.size() && allowed.find(t[at]) != std::string_view::npos)
            return ++at, true;
        return false;
    };
    size_t at = 0;
    auto day = number(at, 2);
    if (!day || !separator(at, "./-"))
        return {};
    auto month = number(at, 2);
    if (!month || !separator(at, "./-"))
        return {};
    auto year = number(at, 4);
    if (!year || !separator(at, " "))
        return {};
    auto hour = number(at, 2);
    if (!hour || !separator(at, ":"))
        return {};
    auto minute = number(at, 2);
    std::optional<int> second = 0;
    if (separator(at, ":"))
        second = number(at, 2);
    if (!minute || !second || *month < 1 || *month > 12 || *day < 1 || *day > 31)
        return {};
    char out[32];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d", *year < 100 ? 2000 + *year : *year,
                  *month, *day, *hour, *minute, *second);
    return out;
}

std::string foldedName(std::string_view text) {
    return toUtf8(lowerText(toWide(text)));
}

void readPackageFacts(FileSystem& files, const std::string& folder, PackageFacts& facts) {
    ResultDescription head = describeResult(files, folder);
    facts.computer = head.computer;
    facts.user = head.user;
    facts.collected = head.collected;
    facts.collectedOrder = sortableDate(head.collected);
    facts.programVersion = head.version;
    facts.windows = head.windows;

    FolderEvidence evidence(files, folder, nullptr);
    facts.products.clear();
    for (const ProductRule& rule : productRules()) {
        std::string installed = firstText(evidence, rule.folder);
        if (!installed.empty())
            facts.products.push_back({rule.tag, firstText(evidence, rule.version), installed});
    }
    facts.inventory.clear();
    for (const std::string& table : evidence.namesLike("*Files.csv"))
        readInventory(files, folder, table, facts.products, facts.inventory);
}

} // namespace kw
