// Keys are content hashes (of the cabinet, of a file's row, of a group of rows), so that no engine needs
// sequences and the same content written twice, by two processes at once too, is one row. Inventory rows
// are stored once per distinct file and gathered in groups (the rows of one folder of one table), which
// packages refer to: a thousand packages of one installation share their groups.
#include "library/LibrarySchema.h"

#include <string>
#include <vector>

namespace kw {
namespace {

// Version 1: every statement may run again on a schema that has it.
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
    "CREATE TABLE IF NOT EXISTS members (package_id TEXT NOT NULL, name TEXT NOT NULL, size BIGINT NOT NULL, "
    "sha256 TEXT NOT NULL, PRIMARY KEY (package_id, name))",
    "CREATE INDEX IF NOT EXISTS members_by_sha256 ON members (sha256)",
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
    if (storedVersion(db) < 1) {
        for (const char* statement : kVersion1)
            db.execute(statement);
        db.execute("DELETE FROM kw_schema");
        db.execute("INSERT INTO kw_schema (version) VALUES (?)", std::vector<SqlValue>{std::int64_t{1}});
    }
    t.commit();
}

} // namespace kw
