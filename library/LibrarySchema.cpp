// Keys are content hashes (of the cabinet, of a file's row, of a group of rows), so that no engine needs
// sequences and the same content written twice, by two processes at once too, is one row. Inventory rows
// and members are stored once per distinct file and gathered in groups (the rows of one folder of one
// table, the members of one product), which packages refer to: a thousand packages of one installation
// share their groups.
#include "library/LibrarySchema.h"

#include "library/GroupedRows.h"
#include "library/PackageListing.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kw {
namespace {

// Version 1, without its table "members" (package_id, name, size, sha256), which version 2 replaced:
// every statement may run again on a schema that has it.
constexpr const char* kVersion1[] = {
    "CREATE TABLE IF NOT EXISTS packages (id TEXT PRIMARY KEY, file_name TEXT NOT NULL, cabinet_size BIGINT "
    "NOT "
    "NULL, computer TEXT NOT NULL, computer_key TEXT NOT NULL, user_name TEXT NOT NULL, collected TEXT NOT "
    "NULL, "
    "collected_order TEXT NOT NULL, program_version TEXT NOT NULL, windows TEXT NOT NULL, added TEXT NOT "
    "NULL, "
    "source_path TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS packages_by_computer ON packages (computer_key, collected_order)",
    "CREATE TABLE IF NOT EXISTS products (package_id TEXT NOT NULL, tag TEXT NOT NULL, tag_key TEXT NOT "
    "NULL, "
    "version TEXT NOT NULL, folder TEXT NOT NULL, PRIMARY KEY (package_id, tag_key))",
    "CREATE INDEX IF NOT EXISTS products_by_tag ON products (tag_key, version)",
    "CREATE TABLE IF NOT EXISTS findings (package_id TEXT NOT NULL, seq BIGINT NOT NULL, code TEXT NOT NULL, "
    "code_key TEXT NOT NULL, importance TEXT NOT NULL, problem TEXT NOT NULL, source TEXT NOT NULL, "
    "PRIMARY KEY (package_id, seq))",
    "CREATE INDEX IF NOT EXISTS findings_by_code ON findings (code_key)",
    "CREATE TABLE IF NOT EXISTS files (id TEXT PRIMARY KEY, tag TEXT NOT NULL, folder TEXT NOT NULL, name "
    "TEXT "
    "NOT NULL, name_key TEXT NOT NULL, size BIGINT NOT NULL, file_date TEXT NOT NULL, version TEXT NOT NULL, "
    "md5 "
    "TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS files_by_name ON files (name_key)",
    "CREATE INDEX IF NOT EXISTS files_by_md5 ON files (md5)",
    "CREATE TABLE IF NOT EXISTS file_groups (group_id TEXT NOT NULL, file_id TEXT NOT NULL, PRIMARY KEY "
    "(group_id, file_id))",
    "CREATE INDEX IF NOT EXISTS file_groups_by_file ON file_groups (file_id)",
    "CREATE TABLE IF NOT EXISTS package_groups (package_id TEXT NOT NULL, group_id TEXT NOT NULL, PRIMARY "
    "KEY "
    "(package_id, group_id))",
    "CREATE INDEX IF NOT EXISTS package_groups_by_group ON package_groups (group_id)",
};

// Version 2: the members as groups, as the inventory rows are, since every member's row of every package
// in an index by its hash made each package's commit write all over that index.
constexpr const char* kVersion2[] = {
    "CREATE TABLE IF NOT EXISTS member_rows (id TEXT PRIMARY KEY, name TEXT NOT NULL, size BIGINT NOT NULL, "
    "sha256 TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS member_rows_by_sha256 ON member_rows (sha256)",
    "CREATE TABLE IF NOT EXISTS member_groups (group_id TEXT NOT NULL, member_id TEXT NOT NULL, PRIMARY KEY "
    "(group_id, member_id))",
    "CREATE INDEX IF NOT EXISTS member_groups_by_member ON member_groups (member_id)",
    "CREATE TABLE IF NOT EXISTS package_member_groups (package_id TEXT NOT NULL, group_id TEXT NOT NULL, "
    "PRIMARY KEY (package_id, group_id))",
    "CREATE INDEX IF NOT EXISTS package_member_groups_by_group ON package_member_groups (group_id)",
};

// Version 3: each package as a search lists it, in one value of its row (library/PackageListing.h), and
// an index from a finding's code to its packages that holds the package, so that a search by code need
// not read the findings.
constexpr const char* kVersion3[] = {
    "ALTER TABLE packages ADD COLUMN listing TEXT NOT NULL DEFAULT ''",
    "DROP INDEX IF EXISTS findings_by_code",
    "CREATE INDEX IF NOT EXISTS findings_by_code_package ON findings (code_key, package_id)",
};

// Version 4: the indexes from a group to its packages hold the package, so that a server finds the
// packages of a file without reading the table; written in batches, the SQLite add now bears the wider
// entries.
constexpr const char* kVersion4[] = {
    "DROP INDEX IF EXISTS package_groups_by_group",
    "CREATE INDEX IF NOT EXISTS package_groups_by_group_package ON package_groups (group_id, package_id)",
    "DROP INDEX IF EXISTS package_member_groups_by_group",
    "CREATE INDEX IF NOT EXISTS package_member_groups_by_group_package ON package_member_groups (group_id, "
    "package_id)",
};

// The listings of an older library's packages, from their columns and their findings in order.
void fillListings(SqlConnection& db) {
    std::map<std::string, std::pair<LibraryPackage, std::string>> byId; // with the computer's key
    db.execute("SELECT id, file_name, computer, computer_key, user_name, collected, collected_order, "
               "program_version, windows FROM packages",
               {}, [&](SqlRow& r) {
                   auto text = [&](size_t i) { return r[i].value_or(""); };
                   byId[text(0)] = {{.fileName = text(1),
                                     .computer = text(2),
                                     .user = text(4),
                                     .collected = text(5),
                                     .collectedOrder = text(6),
                                     .programVersion = text(7),
                                     .windows = text(8)},
                                    text(3)};
               });
    db.execute("SELECT package_id, code FROM findings ORDER BY package_id, seq", {}, [&](SqlRow& r) {
        auto it = byId.find(r[0].value_or(""));
        if (it != byId.end())
            it->second.first.findingCodes.push_back(r[1].value_or(""));
    });
    std::unique_ptr<SqlStatement> update = db.prepare("UPDATE packages SET listing = ? WHERE id = ?");
    for (const auto& [id, listed] : byId)
        update->run(std::vector<SqlValue>{packageListing(listed.first, listed.second), id});
}

// The members of version 1, package by package, into their groups.
void regroupMembers(SqlConnection& db) {
    std::map<std::string, std::vector<ManifestRow>> byPackage;
    db.execute("SELECT package_id, name, size, sha256 FROM members", {}, [&](const SqlRow& r) {
        byPackage[r[0].value_or("")].push_back(
            {r[1].value_or(""), std::stoll(r[2].value_or("0")), r[3].value_or(""), ""});
    });
    for (const auto& [package, members] : byPackage)
        writeGroups(db, package, kMemberTables, memberGroups(members));
    db.execute("DROP TABLE members");
}

template <size_t N> void executeAll(SqlConnection& db, const char* const (&statements)[N]) {
    for (const char* statement : statements)
        db.execute(statement);
}

void setVersion(SqlConnection& db, std::int64_t version) {
    db.execute("DELETE FROM kw_schema");
    db.execute("INSERT INTO kw_schema (version) VALUES (?)", std::vector<SqlValue>{version});
}

std::int64_t storedVersion(SqlConnection& db) {
    std::int64_t version = 0;
    db.execute("SELECT version FROM kw_schema", {}, [&](const SqlRow& row) {
        if (row[0])
            version = std::max<std::int64_t>(version, std::stoll(*row[0]));
    });
    return version;
}

} // namespace

void prepareLibrarySchema(SqlConnection& db) {
    db.execute("CREATE TABLE IF NOT EXISTS kw_schema (version BIGINT NOT NULL)");
    std::int64_t version = storedVersion(db);
    if (version > kLibrarySchemaVersion)
        throw SqlError("библиотека создана более новой версией KW_Scan! (схема " + std::to_string(version) +
                       ", эта программа знает " + std::to_string(kLibrarySchemaVersion) + ")");
    if (version == kLibrarySchemaVersion)
        return;
    // Each upgrade step in one transaction: a library is at one version or the next, never between.
    SqlTransaction t(db);
    const std::int64_t from = storedVersion(db);
    if (from < 1)
        executeAll(db, kVersion1);
    if (from < 2) {
        executeAll(db, kVersion2);
        if (from == 1)
            regroupMembers(db);
    }
    if (from < 3) {
        executeAll(db, kVersion3);
        if (from >= 1)
            fillListings(db);
    }
    if (from < 4)
        executeAll(db, kVersion4);
    setVersion(db, kLibrarySchemaVersion);
    t.commit();
}

} // namespace kw
