#include "library/GroupedRows.h"

#include <algorithm>
#include <unordered_set>

#include "library/PackageFacts.h"
#include "library/PackageLibrary.h"

namespace kw {
namespace {

constexpr size_t kRowsPerInsert = 100;

std::string tableOf(const char* columns) {
    std::string text = columns;
    return text.substr(0, text.find(' '));
}

} // namespace

void BatchInsert::add(std::vector<SqlValue> row) {
    for (SqlValue& v : row)
        pending_.push_back(std::move(v));
    if (pending_.size() == kRowsPerInsert * columns_)
        flush();
}

void BatchInsert::flush() {
    const size_t rows = pending_.size() / columns_;
    if (rows == 0)
        return;
    if (rows != kRowsPerInsert && rows != partialRows_) {
        partial_.reset();
        partialRows_ = rows;
    }
    std::unique_ptr<SqlStatement>& statement = rows == kRowsPerInsert ? full_ : partial_;
    if (!statement)
        statement = db_.prepare(sqlFor(rows));
    statement->run(pending_);
    pending_.clear();
}

std::string BatchInsert::sqlFor(size_t rows) const {
    std::string one = "(";
    for (size_t c = 0; c < columns_; ++c)
        one += c ? ", ?" : "?";
    one += ")";
    std::string sql = head_ + " VALUES ";
    for (size_t r = 0; r < rows; ++r)
        sql += (r ? ", " : "") + one;
    return sql + " ON CONFLICT DO NOTHING";
}

void writeGroups(SqlConnection& db, const std::string& package, const GroupTables& tables,
                 const std::map<std::string, std::vector<GroupedRow>>& groups) {
    BatchInsert rows(db, std::string("INSERT INTO ") + tables.rows, tables.columns);
    BatchInsert groupRows(db, std::string("INSERT INTO ") + tables.groupRows, 2);
    BatchInsert uses(db, std::string("INSERT INTO ") + tables.uses, 2);
    std::unique_ptr<SqlStatement> known =
        db.prepare("SELECT 1 FROM " + tableOf(tables.groupRows) + " WHERE group_id = ?");
    for (const auto& [name, members] : groups) {
        std::vector<std::string> sorted;
        sorted.reserve(members.size());
        for (const GroupedRow& row : members)
            sorted.push_back(row.key);
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        std::string joined;
        for (const std::string& k : sorted)
            joined += k;
        const std::string group = contentKey(joined);
        uses.add({package, group});
        bool there = false;
        known->run(std::vector<SqlValue>{group}, [&](const SqlRow&) { there = true; });
        if (there)
            continue;
        std::unordered_set<std::string> written; // a row twice in one group is one row
        for (const GroupedRow& row : members)
            if (written.insert(row.key).second)
                rows.add(row.values);
        for (const std::string& k : sorted)
            groupRows.add({group, k});
    }
    rows.flush();
    groupRows.flush();
    uses.flush();
}

std::map<std::string, std::vector<GroupedRow>> memberGroups(const std::vector<ManifestRow>& members) {
    std::map<std::string, std::vector<GroupedRow>> groups;
    for (const ManifestRow& m : members) {
        size_t close = m.name.find(')');
        // "\t" cannot begin a member's name: a product's group never meets a member's own.
        std::string group = m.name.starts_with("(") && close != std::string::npos
                                ? "\t" + foldedName(m.name.substr(0, close + 1))
                                : m.name;
        std::string key = contentKey(m.name + '\t' + std::to_string(m.size) + '\t' + m.sha256);
        groups[group].push_back({key, {key, m.name, m.size, m.sha256}});
    }
    return groups;
}

} // namespace kw
