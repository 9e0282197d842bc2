#include "library/LibraryReport.h"

#include "platform/Text.h"
#include "results/ComparisonHtml.h"

namespace kw {
namespace {

// A cell's text may hold what a tab-separated line cannot.
std::string plainCell(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return text;
}

} // namespace

std::vector<std::string> libraryCells(const LibraryPackage& p) {
    std::string codes;
    for (const std::string& c : p.findingCodes)
        codes += (codes.empty() ? "" : ", ") + c;
    return {p.fileName, p.computer, p.user, p.collected, p.programVersion, codes};
}

std::string libraryReportTsv(const std::vector<LibraryPackage>& packages) {
    std::string text;
    for (const char* column : kLibraryColumns)
        text += (text.empty() ? "" : "\t") + std::string(column);
    text += "\r\n";
    for (const LibraryPackage& p : packages) {
        std::string line;
        for (const std::string& cell : libraryCells(p))
            line += (line.empty() ? "" : "\t") + plainCell(cell);
        text += line + "\r\n";
    }
    return utf8ToAnsi(text);
}

std::string libraryReportHtml(const std::vector<LibraryPackage>& packages, const std::string& asked,
                              const std::string& library) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\"><title>Библиотека пакетов "
        "KW_Scan!</title><style>body{font:10pt \"Segoe UI\",Tahoma,Arial,sans-serif;margin:16px "
        "24px}table{border-collapse:collapse}th,td{border:1px solid #bbb;padding:2px 6px;text-align:"
        "left;vertical-align:top}th{background:#e6edf3}</style></head><body>\n";
    page += "<h1>Библиотека пакетов KW_Scan!</h1>\n<p>Библиотека: " + escapeHtml(library) +
            "</p>\n<p>Условия: " + escapeHtml(asked.empty() ? std::string("все пакеты") : asked) +
            "</p>\n<p>Найдено пакетов: " + std::to_string(packages.size()) + "</p>\n<table><thead><tr>";
    for (const char* column : kLibraryColumns)
        page += "<th>" + escapeHtml(column) + "</th>";
    page += "</tr></thead><tbody>\n";
    for (const LibraryPackage& p : packages) {
        page += "<tr>";
        for (const std::string& cell : libraryCells(p))
            page += "<td>" + escapeHtml(cell) + "</td>";
        page += "</tr>\n";
    }
    return page + "</tbody></table>\n</body></html>\n";
}

} // namespace kw
