// The library in an SQLite file on the engineer's computer. Writers take the file at the start of their
// transaction and wait for each other (up to a minute), so that two "library add" at once both finish; the
// write-ahead log lets readers go on meanwhile.
#include <sqlite3.h>

#include "library/SqlConnection.h"

namespace kw {
namespace {

constexpr int kBusyWaitMs = 60000;

class SqliteStatement final : public SqlStatement {
  public:
    SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
            throw SqlError(sqlite3_errmsg(db));
    }
    ~SqliteStatement() override { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    std::int64_t run(std::span<const SqlValue> values, const SqlRowSink& onRow) override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        for (size_t i = 0; i < values.size(); ++i) {
            const int at = static_cast<int>(i + 1);
            int rc = SQLITE_OK;
            if (const auto* n = std::get_if<std::int64_t>(&values[i]))
                rc = sqlite3_bind_int64(stmt_, at, *n);
            else if (const auto* t = std::get_if<std::string>(&values[i]))
                rc = sqlite3_bind_text(stmt_, at, t->data(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
            else
                rc = sqlite3_bind_null(stmt_, at);
            if (rc != SQLITE_OK)
                throw SqlError(sqlite3_errmsg(db_));
        }
        SqlRow row;
        for (;;) {
            int rc = sqlite3_step(stmt_);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW) {
                std::string message = sqlite3_errmsg(db_);
                sqlite3_reset(stmt_);
                throw SqlError(message);
            }
            if (!onRow)
                continue;
            const int columns = sqlite3_column_count(stmt_);
            row.assign(static_cast<size_t>(columns), std::nullopt);
            for (int c = 0; c < columns; ++c)
                if (sqlite3_column_type(stmt_, c) != SQLITE_NULL) {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
                    row[static_cast<size_t>(c)] =
                        std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, c)));
                }
            onRow(row);
        }
        sqlite3_reset(stmt_);
        return sqlite3_changes64(db_);
    }

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteConnection final : public SqlConnection {
  public:
    explicit SqliteConnection(const std::string& path) {
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string message = db_ ? sqlite3_errmsg(db_) : "недостаточно памяти";
            sqlite3_close(db_);
            throw SqlError(message);
        }
        sqlite3_busy_timeout(db_, kBusyWaitMs);
        sqlite3_extended_result_codes(db_, 1);
        // Under Wine each page written costs about the same whatever its size, and a package's commit
        // writes a page for each group it refers to: a new library takes the largest pages, so that a
        // commit writes a fifth as many as with the default.
        execute("PRAGMA page_size=65536");
        execute("PRAGMA journal_mode=WAL");
        // A statement of many rows keeps what it would undo in memory, not in a temporary file that Wine
        // makes for every insert; and the indexes of thousands of packages, written all over, stay cached.
        execute("PRAGMA temp_store=MEMORY");
        execute("PRAGMA cache_size=-65536");
        execute("PRAGMA foreign_keys=ON");
    }
    ~SqliteConnection() override { sqlite3_close_v2(db_); }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    std::unique_ptr<SqlStatement> prepare(std::string_view sql) override {
        return std::make_unique<SqliteStatement>(db_, sql);
    }
    void begin() override { execute("BEGIN IMMEDIATE"); }
    void commit() override { execute("COMMIT"); }
    void rollback() override { execute("ROLLBACK"); }
    std::string engine() const override { return "SQLite"; }

  private:
    sqlite3* db_ = nullptr;
};

} // namespace

std::unique_ptr<SqlConnection> openSqlite(const std::string& path) {
    return std::make_unique<SqliteConnection>(path);
}

} // namespace kw
