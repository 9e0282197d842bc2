// The edition table of the standard-parts library ELEMLib: which release and service pack a component file
// belongs to, told by its name, version and exact size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kw {

struct EditionRow {
    std::string file;    // component file name as the table writes it
    std::string version; // "%d.%d.%d.%d", or "." for any version
    std::int64_t size = 0;
    std::string label; // the edition and service pack to report
};

struct EditionTableError {
    std::size_t line; // 1-based line of the data
    std::string message;
};

class EditionTable {
  public:
    // Parses the data text: TAB-separated file, version, size and label; lines starting with '#' and blank
    // lines are comments. Malformed lines are skipped and reported in errors; the good rows stay usable.
    static EditionTable parse(std::string_view text);
    // The table compiled into the program from products/EditionTable.tsv, parsed once on first use.
    static const EditionTable& builtIn();

    // The rows of the component named fileName (ASCII letter case ignored), in table order; empty for any
    // other name.
    std::span<const EditionRow> rowsOf(std::string_view fileName) const;
    // The first row of that component with the same size and a version of "." or equal to version; nullptr
    // when none matches.
    const EditionRow* match(std::string_view fileName, std::int64_t size, std::string_view version) const;

    std::size_t size() const { return rows_.size(); }
    std::size_t componentCount() const { return components_.size(); }
    const std::vector<EditionTableError>& errors() const { return errors_; }

  private:
    struct Component {
        std::size_t first = 0, count = 0; // the component's rows in rows_
        std::size_t lastLine = 0;         // data line of its latest row, for the "not together" report
    };
    std::vector<EditionRow> rows_;
    std::unordered_map<std::string, Component> components_; // by lower-cased file name
    std::vector<EditionTableError> errors_;
};

} // namespace kw
