// Reading the ELEMLib edition table and finding the row of a component file. A bad line must never cost the
// good ones: it is left out and reported with its line number, so a maintainer's typo shows up in a test.
#include "products/EditionTable.h"

#include <charconv>

#include "core/DataTable.h"

namespace kw {

// The text of products/EditionTable.tsv, compiled in from a source CMake generates.
std::string_view builtInEditionTableText();

namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// Spaces a hand edit leaves around a column; TAB separates the columns and is never part of one.
std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool allDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A version as the inventory writes it: four numbers of 0..65535 without leading zeros, joined by dots.
// Any other spelling ("2.03.1.0", "2.3.1") could never equal a file's version and would hide its row.
bool isFileVersion(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        std::size_t dot = text.find('.');
        if ((part < 3) != (dot != std::string_view::npos))
            return false;
        std::string_view number = text.substr(0, dot);
        bool leadingZero = number.size() > 1 && number.front() == '0';
        if (!allDigits(number) || number.size() > 5 || leadingZero)
            return false;
        unsigned value = 0;
        std::from_chars(number.data(), number.data() + number.size(), value);
        if (value > 65535)
            return false;
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    }
    return true;
}

// A non-negative decimal size that fits in 64 bits; from_chars alone would also take a leading '-'.
bool parseSize(std::string_view text, std::int64_t& size) {
    if (!allDigits(text))
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

EditionTable EditionTable::parse(std::string_view text) {
    EditionTable table;
    std::string currentKey; // component of the latest accepted row: its run is the only one open
    for (const DataLine& line : dataLines(text)) {
        const std::size_t lineNumber = line.number;
        auto fail = [&](std::string message) { table.errors_.push_back({lineNumber, std::move(message)}); };
        std::vector<std::string_view> columns = tabColumns(line.text);
        if (columns.size() != 4) {
            fail("expected 4 TAB-separated columns (file, version, size, label), found " +
                 std::to_string(columns.size()));
            continue;
        }
        for (std::string_view& column : columns)
            column = trimSpaces(column);
        auto file = columns[0], version = columns[1], sizeText = columns[2], label = columns[3];
        EditionRow row{
            .file = std::string(file), .version = std::string(version), .label = std::string(label)};
        if (file.empty()) {
            fail("empty file name");
            continue;
        }
        if (version != "." && !isFileVersion(version)) {
            fail("version \"" + row.version + "\" is neither \".\" nor four numbers 0..65535 joined by dots");
            continue;
        }
        if (!parseSize(sizeText, row.size)) {
            fail("size \"" + std::string(sizeText) + "\" is not a non-negative decimal number of bytes");
            continue;
        }
        if (label.empty()) {
            fail("empty edition label");
            continue;
        }

        // Rows of one component must stay together: a stray later row would be tried in no sensible order.
        std::string key = lowerAscii(file);
        auto known = table.components_.find(key);
        if (key != currentKey && known != table.components_.end()) {
            fail("row of " + row.file + " apart from the other rows of that component (they end on line " +
                 std::to_string(known->second.lastLine) + ")");
            continue;
        }
        Component& component = table.components_[key];
        if (component.count == 0)
            component.first = table.rows_.size();
        ++component.count;
        component.lastLine = lineNumber;
        table.rows_.push_back(std::move(row));
        currentKey = std::move(key);
    }
    return table;
}

const EditionTable& EditionTable::builtIn() {
    static const EditionTable table = parse(builtInEditionTableText()); // initialised once, thread-safe
    return table;
}

std::span<const EditionRow> EditionTable::rowsOf(std::string_view fileName) const {
    auto found = components_.find(lowerAscii(fileName));
    if (found == components_.end())
        return {};
    return std::span<const EditionRow>(rows_).subspan(found->second.first, found->second.count);
}

const EditionRow* EditionTable::match(std::string_view fileName, std::int64_t size,
                                      std::string_view version) const {
    for (const EditionRow& row : rowsOf(fileName))
        if (row.size == size && (row.version == "." || row.version == version))
            return &row;
    return nullptr;
}

} // namespace kw
