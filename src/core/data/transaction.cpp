#include "core/data/transaction.h"

#include <QSqlError>
#include <QSqlQuery>

#include "core/data/database_file.h"

namespace zep::data {

// Savepoints rather than BEGIN/COMMIT so that a guard may be taken inside another one
// (a repository's insert-many called by a caller's own transaction).
transaction::transaction(database_file& db) : db_(db) {
    savepoint_ = QStringLiteral("zep_tx_%1").arg(db_.transaction_depth_);
    active_ = run(QStringLiteral("SAVEPOINT ") + savepoint_);
    if (active_) ++db_.transaction_depth_;
}

transaction::~transaction() {
    rollback();
}

status transaction::commit() {
    if (!active_) {
        return status::failure(error_.isEmpty() ? QStringLiteral("no transaction is open")
                                                : error_);
    }
    if (!run(QStringLiteral("RELEASE ") + savepoint_)) {
        rollback();
        return status::failure(error_);
    }
    active_ = false;
    --db_.transaction_depth_;
    return {};
}

void transaction::rollback() {
    if (!active_) return;
    active_ = false;
    --db_.transaction_depth_;
    run(QStringLiteral("ROLLBACK TO ") + savepoint_);
    run(QStringLiteral("RELEASE ") + savepoint_);
}

bool transaction::run(const QString& sql) {
    if (!db_.is_open()) {
        error_ = QStringLiteral("database is closed");
        return false;
    }
    QSqlQuery q(db_.connection());
    if (q.exec(sql)) return true;
    if (error_.isEmpty()) error_ = q.lastError().text();
    return false;
}

}  // namespace zep::data
