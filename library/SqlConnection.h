// One connection to the library's database, whichever engine holds it (SQLite in a file, a server through
// ODBC): statements with every value as a parameter, rows read back as texts, one transaction at a time.
// Failures are SqlError exceptions inside the library; its own interface turns them into outcomes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kw {

class SqlError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A parameter: nothing (NULL), a whole number or a text (UTF-8).
using SqlValue = std::variant<std::monostate, std::int64_t, std::string>;
// A row as texts (UTF-8), a NULL as nothing.
using SqlRow = std::vector<std::optional<std::string>>;
// The row is the sink's to take values from: it is filled afresh for the next one.
using SqlRowSink = std::function<void(SqlRow&)>;

class SqlStatement {
  public:
    virtual ~SqlStatement() = default;
    // Runs the statement with these values for its "?" in order; rows go to onRow. Returns the rows a
    // change touched (0 for a query).
    virtual std::int64_t run(std::span<const SqlValue> values, const SqlRowSink& onRow = {}) = 0;
};

class SqlConnection {
  public:
    virtual ~SqlConnection() = default;
    virtual std::unique_ptr<SqlStatement> prepare(std::string_view sql) = 0;
    std::int64_t execute(std::string_view sql, std::span<const SqlValue> values = {},
                         const SqlRowSink& onRow = {}) {
        return prepare(sql)->run(values, onRow);
    }
    // A transaction that takes the right to write at once, so that two writers wait for each other
    // instead of failing half-way.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // "SQLite" or "ODBC", for messages.
    virtual std::string engine() const = 0;
    // Whether a transaction begun inside another is a savepoint of it, undone alone; else it is part
    // of the outer one, and its failure leaves the outer one unfit to commit. The PostgreSQL driver
    // sets savepoints of its own around every statement, which one of ours undone would pull away.
    virtual bool savepoints() const { return true; }

  private:
    friend class SqlTransaction;
    int transactions_ = 0; // open on this connection: all but the first are savepoints
    bool spoiled_ = false; // a savepoint that could not be undone: the transaction may not commit
};

// Opens (creating) the SQLite file; throws SqlError with the reason.
std::unique_ptr<SqlConnection> openSqlite(const std::string& path);
// Connects with an ODBC connection string; throws SqlError with the driver's message.
std::unique_ptr<SqlConnection> openOdbc(const std::string& connectionString);

// Rolls back unless committed: a transaction left by an exception never half-writes. One begun inside
// another on the same connection is a savepoint of it, undone alone (where the engine has `savepoints`);
// should that undoing fail, or the engine have none, the outer one refuses to commit, so that no half
// of the inner is ever kept.
class SqlTransaction {
  public:
    explicit SqlTransaction(SqlConnection& db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;
    void commit();

  private:
    SqlConnection& db_;
    bool inner_;
    bool savepoint_;
    bool done_ = false;
};

} // namespace kw
