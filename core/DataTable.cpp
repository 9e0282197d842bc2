#include "core/DataTable.h"

namespace kw {

std::vector<DataLine> dataLines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<DataLine> lines;
    std::size_t number = 0;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find('\n', from);
        std::string_view line = text.substr(from, end - from);
        from = end == std::string_view::npos ? text.size() : end + 1;
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with('#') || line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        lines.push_back({line, number});
    }
    return lines;
}

std::vector<std::string_view> tabColumns(std::string_view row) {
    std::vector<std::string_view> columns;
    for (std::size_t from = 0;;) {
        std::size_t tab = row.find('\t', from);
        columns.push_back(row.substr(from, tab - from));
        if (tab == std::string_view::npos)
            return columns;
        from = tab + 1;
    }
}

} // namespace kw
