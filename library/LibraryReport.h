// The packages a library search found, as the report of "library find" and the list of the library
// window give them: tab-separated text in the ANSI code page, or an HTML page.
#pragma once
#include <string>
#include <vector>

#include "library/PackageLibrary.h"

namespace kw {

// The columns of the report and of the window's list.
inline constexpr const char* kLibraryColumns[] = {
    "Пакет:", "Компьютер:", "Пользователь:", "Дата сбора:", "Версия KW_Scan!:", "Найденные проблемы:"};

// One package's cells in those columns (UTF-8); the findings' codes joined by ", ".
std::vector<std::string> libraryCells(const LibraryPackage& p);
// The header and a line per package, CR LF after each; ANSI bytes.
std::string libraryReportTsv(const std::vector<LibraryPackage>& packages);
// A page with what was asked and the table; UTF-8.
std::string libraryReportHtml(const std::vector<LibraryPackage>& packages, const std::string& asked,
                              const std::string& library);

} // namespace kw
