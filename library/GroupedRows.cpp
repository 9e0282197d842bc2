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

// "?, ?, ?" for n values.
std::string placeholders(size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += i ? ", ?" : "?";
    return out;
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
    const std::string one = "(" + placeholders(columns_) + ")";
    std::string sql = head_ + " VALUES ";
    for (size_t r = 0; r < rows; ++r)
        sql += (r ? ", " : "") + one;
    return sql + " ON CONFLICT DO NOTHING";
}

namespace {

// Which of these groups the library holds already, asked a hundred at a time: one round trip to a
// server instead of one a group.
std::unordered_set<std::string> knownGroups(SqlConnection& db, const char* groupRows,
                                            const std::vector<std::string>& groups) {
    std::unordered_set<std::string> known;
    const std::string head = "SELECT DISTINCT group_id FROM " + tableOf(groupRows) + " WHERE group_id IN (";
    std::unique_ptr<SqlStatement> full;
    for (size_t at = 0; at < groups.size(); at += kRowsPerInsert) {
        const size_t n = std::min(kRowsPerInsert, groups.size() - at);
        std::unique_ptr<SqlStatement> partial;
        std::unique_ptr<SqlStatement>& statement = n == kRowsPerInsert ? full : partial;
        if (!statement)
            statement = db.prepare(head + placeholders(n) + ")");
        std::vector<SqlValue> values(groups.begin() + at, groups.begin() + at + n);
        statement->run(values, [&](SqlRow& r) { known.insert(r[0].value_or("")); });
    }
    return known;
}

} // namespace

void writeGroups(SqlConnection& db, const std::string& package, const GroupTables& tables,
                 const std::map<std::string, std::vector<GroupedRow>>& groups) {
    // Each group keyed by the sorted keys of its rows.
    std::vector<std::string> keys;
    std::vector<std::vector<std::string>> sortedRows;
    for (const auto& [name, members] : groups) {
        std::vector<std::string>& sorted = sortedRows.emplace_back();
        sorted.reserve(members.size());
        for (const GroupedRow& row : members)
            sorted.push_back(row.key);
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        std::string joined;
        for (const std::string& k : sorted)
            joined += k;
        keys.push_back(contentKey(joined));
    }
    std::unordered_set<std::string> known = knownGroups(db, tables.groupRows, keys);
    BatchInsert rows(db, std::string("INSERT INTO ") + tables.rows, tables.columns);
    BatchInsert groupRows(db, std::string("INSERT INTO ") + tables.groupRows, 2);
    BatchInsert uses(db, std::string("INSERT INTO ") + tables.uses, 2);
    size_t g = 0;
    for (const auto& [name, members] : groups) {
        const std::string& group = keys[g];
        const std::vector<std::string>& sorted = sortedRows[g++];
        uses.add({package, group});
        if (!known.insert(group).second)
            continue;                            // held already, or written for this package a moment ago
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
