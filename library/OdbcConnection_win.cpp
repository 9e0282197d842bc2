// The library on a database server, reached through the system's ODBC driver manager (the PostgreSQL
// driver for a support team). Texts travel as UTF-16 both ways, so that Cyrillic names never pass
// through a code page; every value is a bound parameter.
#include <windows.h>
// after windows.h, which they need
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "library/SqlConnection.h"
#include "platform/Text.h"

namespace kw {
namespace {

// The driver's own words for what went wrong, all of its records.
std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::string text;
    SQLWCHAR state[6] = {}, message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1;
         SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, i, state, &native, message, 1024, &length)); ++i) {
        if (!text.empty())
            text += "; ";
        text += toUtf8(reinterpret_cast<const wchar_t*>(message));
    }
    return text.empty() ? std::string("ошибка ODBC без описания") : text;
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw SqlError(diagnostics(type, handle));
}

// Into the cell's own string, whose room serves row after row; the hashes, dates and versions that most
// values are, all ASCII, without the system's conversion.
void assignUtf8(std::optional<std::string>& cell, std::wstring_view text) {
    if (std::any_of(text.begin(), text.end(), [](wchar_t ch) { return ch >= 0x80; })) {
        cell = toUtf8(text);
        return;
    }
    if (!cell)
        cell.emplace();
    cell->resize(text.size());
    std::transform(text.begin(), text.end(), cell->begin(), [](wchar_t ch) { return static_cast<char>(ch); });
}

class OdbcStatement final : public SqlStatement {
  public:
    OdbcStatement(SQLHDBC connection, std::string_view sql, bool blocks) : blocks_(blocks) {
        check(SQLAllocHandle(SQL_HANDLE_STMT, connection, &stmt_), SQL_HANDLE_DBC, connection);
        std::wstring text = toWide(sql);
        SQLRETURN rc = SQLPrepareW(stmt_, reinterpret_cast<SQLWCHAR*>(text.data()),
                                   static_cast<SQLINTEGER>(text.size()));
        if (!SQL_SUCCEEDED(rc)) {
            std::string message = diagnostics(SQL_HANDLE_STMT, stmt_);
            SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
            throw SqlError(message);
        }
    }
    ~OdbcStatement() override { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    std::int64_t run(std::span<const SqlValue> values, const SqlRowSink& onRow) override {
        SQLFreeStmt(stmt_, SQL_CLOSE);
        SQLFreeStmt(stmt_, SQL_RESET_PARAMS);
        // The bound buffers must stay where they are until the statement has run.
        texts_.assign(values.size(), {});
        numbers_.assign(values.size(), 0);
        lengths_.assign(values.size(), 0);
        for (size_t i = 0; i < values.size(); ++i) {
            const auto at = static_cast<SQLUSMALLINT>(i + 1);
            SQLRETURN rc;
            if (const auto* n = std::get_if<std::int64_t>(&values[i])) {
                numbers_[i] = *n;
                rc = SQLBindParameter(stmt_, at, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                      &numbers_[i], 0, &lengths_[i]);
            } else {
                const auto* t = std::get_if<std::string>(&values[i]);
                texts_[i] = t ? toWide(*t) : std::wstring();
                lengths_[i] = t ? static_cast<SQLLEN>(texts_[i].size() * sizeof(wchar_t)) : SQL_NULL_DATA;
                SQLULEN size = std::max<SQLULEN>(1, texts_[i].size());
                rc = SQLBindParameter(stmt_, at, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, size, 0,
                                      texts_[i].data(), lengths_[i] > 0 ? lengths_[i] : 0, &lengths_[i]);
            }
            check(rc, SQL_HANDLE_STMT, stmt_);
        }
        check(SQLExecute(stmt_), SQL_HANDLE_STMT, stmt_);
        SQLSMALLINT columns = 0;
        check(SQLNumResultCols(stmt_, &columns), SQL_HANDLE_STMT, stmt_);
        if (columns == 0) {
            SQLLEN changed = 0;
            SQLRowCount(stmt_, &changed);
            return changed > 0 ? changed : 0;
        }
        SqlRow row(static_cast<size_t>(columns));
        if (blocks_)
            fetchBlocks(row, onRow);
        else
            fetchRows(row, onRow);
        SQLFreeStmt(stmt_, SQL_CLOSE);
        return 0;
    }

  private:
    void fetchRows(SqlRow& row, const SqlRowSink& onRow) {
        for (;;) {
            SQLRETURN rc = SQLFetch(stmt_);
            if (rc == SQL_NO_DATA)
                break;
            check(rc, SQL_HANDLE_STMT, stmt_);
            for (size_t c = 0; c < row.size(); ++c)
                row[c] = column(static_cast<SQLSMALLINT>(c + 1));
            if (onRow)
                onRow(row);
        }
    }

    // Rows in blocks into bound cells: a few calls per block instead of one per value, which a wide search
    // of thousands of rows feels. A value longer than its cell is read whole from its row.
    void fetchBlocks(SqlRow& row, const SqlRowSink& onRow) {
        constexpr SQLULEN kRows = 128;
        constexpr size_t kUnits = 256;
        SQLFreeStmt(stmt_, SQL_UNBIND);
        cells_.assign(row.size(), {});
        for (size_t c = 0; c < row.size(); ++c) {
            cells_[c].text.resize(kRows * kUnits);
            cells_[c].length.resize(kRows);
            check(SQLBindCol(stmt_, static_cast<SQLUSMALLINT>(c + 1), SQL_C_WCHAR, cells_[c].text.data(),
                             kUnits * sizeof(wchar_t), cells_[c].length.data()),
                  SQL_HANDLE_STMT, stmt_);
        }
        check(SQLSetStmtAttrW(stmt_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0),
              SQL_HANDLE_STMT, stmt_);
        check(SQLSetStmtAttrW(stmt_, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), SQL_HANDLE_STMT, stmt_);
        for (;;) {
            fetched_ = 0;
            SQLRETURN rc = SQLFetch(stmt_);
            if (rc == SQL_NO_DATA)
                break;
            check(rc, SQL_HANDLE_STMT, stmt_);
            for (SQLULEN r = 0; r < fetched_ && r < kRows; ++r) {
                for (size_t c = 0; c < row.size(); ++c) {
                    SQLLEN got = cells_[c].length[r];
                    if (got == SQL_NULL_DATA) {
                        row[c] = std::nullopt;
                    } else if (got == SQL_NO_TOTAL || got >= static_cast<SQLLEN>(kUnits * sizeof(wchar_t))) {
                        check(SQLSetPos(stmt_, static_cast<SQLSETPOSIROW>(r + 1), SQL_POSITION,
                                        SQL_LOCK_NO_CHANGE),
                              SQL_HANDLE_STMT, stmt_);
                        row[c] = column(static_cast<SQLSMALLINT>(c + 1));
                    } else {
                        assignUtf8(row[c], std::wstring_view(cells_[c].text.data() + r * kUnits,
                                                             static_cast<size_t>(got) / sizeof(wchar_t)));
                    }
                }
                if (onRow)
                    onRow(row);
            }
        }
        SQLFreeStmt(stmt_, SQL_UNBIND);
    }

    // A column read in pieces, whatever its length.
    std::optional<std::string> column(SQLSMALLINT c) {
        std::wstring text;
        wchar_t piece[2048];
        for (;;) {
            SQLLEN got = 0;
            SQLRETURN rc =
                SQLGetData(stmt_, static_cast<SQLUSMALLINT>(c), SQL_C_WCHAR, piece, sizeof piece, &got);
            if (rc == SQL_NO_DATA)
                break;
            check(rc, SQL_HANDLE_STMT, stmt_);
            if (got == SQL_NULL_DATA)
                return std::nullopt;
            // SQL_SUCCESS_WITH_INFO: the piece was full (its last unit is the terminating zero).
            size_t units = got == SQL_NO_TOTAL || got >= static_cast<SQLLEN>(sizeof piece)
                               ? std::size(piece) - 1
                               : static_cast<size_t>(got) / sizeof(wchar_t);
            text.append(piece, units);
            if (rc == SQL_SUCCESS)
                break;
        }
        return toUtf8(text);
    }

    struct Cells {
        std::vector<wchar_t> text;
        std::vector<SQLLEN> length;
    };

    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
    bool blocks_;
    std::vector<Cells> cells_;
    SQLULEN fetched_ = 0;
    std::vector<std::wstring> texts_;
    std::vector<std::int64_t> numbers_;
    std::vector<SQLLEN> lengths_;
};

class OdbcConnection final : public SqlConnection {
  public:
    explicit OdbcConnection(const std::string& connectionString) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
            throw SqlError("диспетчер драйверов ODBC недоступен");
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        check(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_), SQL_HANDLE_ENV, env_);
        std::wstring text = toWide(connectionString);
        SQLRETURN rc = SQLDriverConnectW(dbc_, nullptr, reinterpret_cast<SQLWCHAR*>(text.data()),
                                         static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                                         SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            std::string message = diagnostics(SQL_HANDLE_DBC, dbc_);
            release();
            throw SqlError(message);
        }
        connected_ = true;
        // Rows come in blocks only where the driver can still hand over a long value of a row in one.
        SQLUINTEGER extensions = 0;
        if (SQL_SUCCEEDED(SQLGetInfoW(dbc_, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr)))
            blocks_ = (extensions & (SQL_GD_BLOCK | SQL_GD_BOUND)) == (SQL_GD_BLOCK | SQL_GD_BOUND);
    }
    ~OdbcConnection() override { release(); }
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    std::unique_ptr<SqlStatement> prepare(std::string_view sql) override {
        return std::make_unique<OdbcStatement>(dbc_, sql, blocks_);
    }
    void begin() override {
        check(SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                 0),
              SQL_HANDLE_DBC, dbc_);
    }
    void commit() override { end(SQL_COMMIT); }
    void rollback() override { end(SQL_ROLLBACK); }
    std::string engine() const override { return "ODBC"; }
    bool savepoints() const override { return false; }

  private:
    void end(SQLSMALLINT how) {
        SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, how);
        SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        check(rc, SQL_HANDLE_DBC, dbc_);
    }
    void release() {
        if (connected_)
            SQLDisconnect(dbc_);
        if (dbc_)
            SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        if (env_)
            SQLFreeHandle(SQL_HANDLE_ENV, env_);
        connected_ = false;
        dbc_ = env_ = nullptr;
    }

    SQLHENV env_ = nullptr;
    SQLHDBC dbc_ = nullptr;
    bool connected_ = false;
    bool blocks_ = false;
};

} // namespace

std::unique_ptr<SqlConnection> openOdbc(const std::string& connectionString) {
    return std::make_unique<OdbcConnection>(connectionString);
}

} // namespace kw
