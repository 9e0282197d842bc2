// Rows that thousands of packages share, stored once: a package's rows are gathered in groups (the rows of
// one folder of an inventory, the members of one product), a group keyed by the hashes of its rows, and
// the package only refers to its groups. A group the library knows costs a package one reference.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library/SqlConnection.h"
#include "results/PackageManifest.h"

namespace kw {

// Inserts rows of `columns` values each, many rows a statement (a server is a round trip away); a row
// whose key is there already is skipped (another package, or another program adding at the same time,
// wrote it).
class BatchInsert {
  public:
    BatchInsert(SqlConnection& db, std::string head, size_t columns)
        : db_(db), head_(std::move(head)), columns_(columns) {}
    void add(std::vector<SqlValue> row);
    void flush();

  private:
    std::string sqlFor(size_t rows) const;

    SqlConnection& db_;
    std::string head_;
    size_t columns_;
    std::vector<SqlValue> pending_;
    std::unique_ptr<SqlStatement> full_, partial_;
    size_t partialRows_ = 0;
};

// One row of a group: its key (a hash of its content) and its values, the key first among them.
struct GroupedRow {
    std::string key;
    std::vector<SqlValue> values;
};

// Where one kind of grouped rows lives: the rows' table and columns ("files (id, tag, ...)"), the table of
// which rows a group holds, and the table of which groups a package refers to.
struct GroupTables {
    const char* rows;
    size_t columns;
    const char* groupRows; // (group_id, row_id)
    const char* uses;      // (package_id, group_id)
};

inline constexpr GroupTables kInventoryTables{
    "files (id, tag, folder, name, name_key, size, file_date, version, md5)", 9,
    "file_groups (group_id, file_id)", "package_groups (package_id, group_id)"};
inline constexpr GroupTables kMemberTables{"member_rows (id, name, size, sha256)", 4,
                                           "member_groups (group_id, member_id)",
                                           "package_member_groups (package_id, group_id)"};

// Writes the package's groups (rows gathered under any name that tells one group from another) and its
// references to them, within the caller's transaction.
void writeGroups(SqlConnection& db, const std::string& package, const GroupTables& tables,
                 const std::map<std::string, std::vector<GroupedRow>>& groups);

// A package's contents list as groups: the members of one product ("(MIRTAL)..." names) together, every
// other member a group of its own, since those change from one collection to the next.
std::map<std::string, std::vector<GroupedRow>> memberGroups(const std::vector<ManifestRow>& members);

} // namespace kw
