// The HTML report, written piece by piece into one string: its style sheet, the heads, the summary table
// and a section per differing topic.
#include "results/ComparisonHtml.h"

#include <algorithm>
#include <vector>

namespace kw {
namespace {

constexpr const char* kStyle = R"(
body { font: 10pt "Segoe UI", Tahoma, Arial, sans-serif; color: #222; margin: 16px 24px; }
h1 { font-size: 15pt; margin: 0 0 10px; }
h2 { font-size: 12pt; margin: 22px 0 4px; padding-top: 6px; border-top: 2px solid #9ab; }
h3 { font-size: 10pt; margin: 10px 0 4px; }
table { border-collapse: collapse; margin: 4px 0 8px; }
th, td { border: 1px solid #bbb; padding: 2px 6px; text-align: left; vertical-align: top; }
th { background: #e6edf3; }
td.count { text-align: right; }
tr.differs td { background: #fdecea; }
tr.noise td { background: #eef6e8; }
.file { color: #555; margin: 0 0 6px; }
.options, .total { margin: 4px 0; }
.only1 { border-left: 4px solid #c0392b; padding-left: 6px; }
.only2 { border-left: 4px solid #2471a3; padding-left: 6px; }
pre { margin: 0; font: 9pt Consolas, "Courier New", monospace; white-space: pre-wrap; word-break: break-all; }
table.lines td { font: 9pt Consolas, "Courier New", monospace; white-space: pre-wrap; word-break: break-all; }
.more, .none { color: #555; font-style: italic; margin: 2px 0 6px; }
a { color: inherit; }
@page { margin: 14mm; }
@media print {
  body { margin: 0; font-size: 9pt; }
  a { text-decoration: none; }
  thead { display: table-header-group; }
  tr, h2, h3 { break-inside: avoid; page-break-inside: avoid; }
  h2, h3 { break-after: avoid; page-break-after: avoid; }
  tr.differs td, tr.noise td, th { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

std::vector<std::string> cellsOf(const std::string& line) {
    std::vector<std::string> cells;
    for (size_t from = 0;;) {
        size_t tab = line.find('\t', from);
        cells.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos)
            return cells;
        from = tab + 1;
    }
}

class Page {
  public:
    void raw(std::string_view html) { out_ += html; }
    void text(std::string_view t) { out_ += escapeHtml(t); }
    // <tag attributes>text</tag>
    void element(std::string_view tag, std::string_view text, std::string_view attributes = {}) {
        open(tag, attributes);
        this->text(text);
        close(tag);
    }
    void open(std::string_view tag, std::string_view attributes = {}) {
        ((out_ += '<') += tag);
        if (!attributes.empty())
            (out_ += ' ') += attributes;
        out_ += '>';
    }
    void close(std::string_view tag) { ((out_ += "</") += tag) += ">"; }
    std::string& str() { return out_; }

  private:
    std::string out_;
};

void heads(Page& p, const FolderComparison& c, const std::string& package1, const std::string& package2) {
    p.raw("<table class=\"heads\"><thead><tr><th></th><th>(1)</th><th>(2)</th></tr></thead><tbody>\n");
    auto row = [&](std::string_view label, const std::string& a, const std::string& b) {
        p.open("tr");
        p.element("th", label);
        p.element("td", a);
        p.element("td", b);
        p.raw("</tr>\n");
    };
    row("Пакет", package1, package2);
    row("Компьютер", c.result1.computer, c.result2.computer);
    row("Дата сбора", c.result1.collected, c.result2.collected);
    row("Версия программы", c.result1.version, c.result2.version);
    p.raw("</tbody></table>\n");

    auto yesNo = [](bool on) { return on ? "да" : "нет"; };
    p.element("p",
              std::string("Не учитывать время, длительности и временные пути: ") +
                  yesNo(c.noise.timesAndPaths) +
                  ". Не учитывать имя компьютера и пользователя: " + yesNo(c.noise.hostAndUser) + ".",
              "class=\"options\"");
    size_t differing = 0, noise = 0;
    for (const TopicComparison& r : c.rows) {
        differing += differs(r.state);
        noise += r.state == TopicState::SameWithoutNoise;
    }
    p.element("p",
              "Разделов: " + std::to_string(c.rows.size()) + ", различаются: " + std::to_string(differing) +
                  ", совпадают без учёта шума: " + std::to_string(noise) +
                  ", совпадают: " + std::to_string(c.rows.size() - differing - noise) + "." +
                  (c.stopped ? " Сравнение остановлено: разделы дальше не сравнивались." : ""),
              "class=\"total\"");
}

// The topics that are the same (identical) or all the others, in the report's order.
void topicTable(Page& p, const FolderComparison& c, bool identical) {
    p.raw("<table class=\"summary\"><thead><tr><th>Раздел</th><th>Файл</th><th>Состояние</th>"
          "<th>Осталось в (1)</th><th>Осталось в (2)</th></tr></thead><tbody>\n");
    for (size_t i = 0; i < c.rows.size(); ++i) {
        const TopicComparison& r = c.rows[i];
        const bool different = differs(r.state);
        if ((r.state == TopicState::Same) != identical)
            continue;
        p.open("tr", different                                 ? "class=\"differs\""
                     : r.state == TopicState::SameWithoutNoise ? "class=\"noise\""
                                                               : "");
        p.open("td");
        if (different) {
            p.open("a", "href=\"#topic" + std::to_string(i) + "\"");
            p.text(r.path);
            p.close("a");
        } else {
            p.text(r.path);
        }
        p.close("td");
        p.element("td", r.file);
        p.element("td", stateText(r.state));
        p.element("td", std::to_string(r.left1), "class=\"count\"");
        p.element("td", std::to_string(r.left2), "class=\"count\"");
        p.raw("</tr>\n");
    }
    p.raw("</tbody></table>\n");
}

// One side's leftovers: a table as a table under its header, text lines as numbered-free rows.
void leftovers(Page& p, const TopicComparison& r, const LeftoverLines& left, size_t count, int side) {
    const std::string cls = side == 1 ? "only1" : "only2";
    p.open("div", "class=\"" + cls + "\"");
    p.element("h3", std::string(side == 1 ? "Только в (1)" : "Только в (2)") + ": " + std::to_string(count));
    if (left.lines.empty()) {
        p.element("p", "нет", "class=\"none\"");
    } else if (r.table) {
        std::vector<std::string> header = cellsOf(r.header);
        size_t columns = header.size();
        for (const std::string& line : left.lines)
            columns = std::max(columns, cellsOf(line).size());
        p.raw("<table class=\"rows\"><thead><tr>");
        for (size_t k = 0; k < columns; ++k)
            p.element("th", k < header.size() ? header[k] : std::string());
        p.raw("</tr></thead><tbody>\n");
        for (const std::string& line : left.lines) {
            std::vector<std::string> cells = cellsOf(line);
            p.open("tr");
            for (size_t k = 0; k < columns; ++k)
                p.element("td", k < cells.size() ? cells[k] : std::string());
            p.raw("</tr>\n");
        }
        p.raw("</tbody></table>\n");
    } else {
        p.raw("<table class=\"lines\"><tbody>\n");
        for (const std::string& line : left.lines) {
            p.open("tr");
            p.element("td", line);
            p.raw("</tr>\n");
        }
        p.raw("</tbody></table>\n");
    }
    if (left.more > 0)
        p.element("p", "Не показано ещё: " + std::to_string(left.more), "class=\"more\"");
    p.close("div");
    p.raw("\n");
}

void sections(Page& p, const FolderComparison& c) {
    for (size_t i = 0; i < c.rows.size(); ++i) {
        const TopicComparison& r = c.rows[i];
        if (!differs(r.state))
            continue;
        p.element("h2", r.path, "id=\"topic" + std::to_string(i) + "\"");
        p.element("p", r.file + " — " + std::string(stateText(r.state)), "class=\"file\"");
        leftovers(p, r, r.only1, r.left1, 1);
        leftovers(p, r, r.only2, r.left2, 2);
    }
}

} // namespace

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            // A browser refuses control characters in a page; a tab stays.
            if ((static_cast<unsigned char>(ch) < 0x20 && ch != '\t') || ch == 0x7F)
                out += "\xEF\xBF\xBD";
            else
                out += ch;
        }
    }
    return out;
}

std::string comparisonReportHtml(const FolderComparison& comparison, const std::string& package1,
                                 const std::string& package2) {
    Page p;
    p.raw("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n");
    p.element("title", "Сравнение результатов KW_Scan!");
    p.raw("\n<style>");
    p.raw(kStyle);
    p.raw("</style>\n</head>\n<body>\n");
    p.element("h1", "Сравнение результатов KW_Scan!");
    p.raw("\n");
    heads(p, comparison, package1, package2);
    // What matters first: the differing topics and those that differ only by noise, then each differing
    // topic's lines, and last the topics that are the same.
    p.element("h2", "Различающиеся разделы и разделы, различные только шумом");
    topicTable(p, comparison, false);
    sections(p, comparison);
    p.element("h2", "Совпадающие разделы");
    topicTable(p, comparison, true);
    p.raw("</body>\n</html>\n");
    return std::move(p.str());
}

} // namespace kw
