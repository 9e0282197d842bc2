#include "library/SqlConnection.h"

namespace kw {

SqlTransaction::SqlTransaction(SqlConnection& db)
    : db_(db), inner_(db.transactions_ > 0), savepoint_(inner_ && db.savepoints()) {
    if (savepoint_) {
        db_.execute("SAVEPOINT kw_inner");
    } else if (!inner_) {
        db_.begin();
        db_.spoiled_ = false;
    }
    ++db_.transactions_;
}

SqlTransaction::~SqlTransaction() {
    --db_.transactions_;
    if (done_)
        return;
    if (inner_ && !savepoint_) {
        db_.spoiled_ = true;
        return;
    }
    try {
        if (inner_) {
            db_.execute("ROLLBACK TO SAVEPOINT kw_inner");
            db_.execute("RELEASE SAVEPOINT kw_inner");
        } else {
            db_.rollback();
        }
    } catch (const SqlError&) {
        // A lost connection: the server drops the transaction itself. A savepoint not undone leaves
        // the outer transaction unfit to commit.
        if (inner_)
            db_.spoiled_ = true;
    }
}

void SqlTransaction::commit() {
    if (savepoint_) {
        db_.execute("RELEASE SAVEPOINT kw_inner");
    } else if (!inner_) {
        if (db_.spoiled_)
            throw SqlError("часть записанного не удалась, и ничего из этой записи не сохранено");
        db_.commit();
    }
    done_ = true;
}

} // namespace kw
