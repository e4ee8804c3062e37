#include "core/data/transaction.h"

#include <QSqlError>
#include <QSqlQuery>

#include "core/data/database_file.h"
#include "core/data/sql_statement.h"
#include "core/kill_point.h"

namespace zep::data {

namespace {

constexpr auto read_only_code = "8";  // SQLITE_READONLY

}  // namespace

// An inner guard is a savepoint, so that a guard may be taken inside another one (a
// repository's insert-many called by a caller's own transaction).
transaction::transaction(database_file& db) : db_(db) {
    outermost_ = db_.transaction_depth_ == 0;
    savepoint_ = QStringLiteral("zep_tx_%1").arg(db_.transaction_depth_);
    active_ = outermost_ ? begin() : run(QStringLiteral("SAVEPOINT ") + savepoint_);
    if (active_) ++db_.transaction_depth_;
}

// The outermost guard takes the write lock at once, waiting out the busy time-out while
// another program writes. Begun deferred, a transaction that reads before it writes would
// be refused at its first write, without that wait, whenever another program had written
// since the read. A file that cannot be written begins deferred, so that reads under the
// guard still work; a write then fails as it would anyway.
bool transaction::begin() {
    QString code;
    if (run(db_.dialect().begin_write(), &code)) return true;
    if (code != QLatin1String(read_only_code)) return false;
    error_.clear();
    return run(QStringLiteral("BEGIN"));
}

transaction::~transaction() {
    rollback();
}

status transaction::commit() {
    if (!active_) {
        return status::failure(error_.isEmpty() ? QStringLiteral("no transaction is open")
                                                : error_);
    }
    pass_kill_point(kill_point_kind::write);
    if (!run(outermost_ ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + savepoint_)) {
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
    if (outermost_) {
        run(QStringLiteral("ROLLBACK"));
        return;
    }
    run(QStringLiteral("ROLLBACK TO ") + savepoint_);
    run(QStringLiteral("RELEASE ") + savepoint_);
}

bool transaction::run(const QString& sql, QString* native_code) {
    if (!db_.is_open()) {
        error_ = QStringLiteral("database is closed");
        return false;
    }
    QSqlQuery q(db_.connection());
    if (q.exec(sql)) return true;
    if (error_.isEmpty()) error_ = sql::error_text(q.lastError());
    if (native_code) *native_code = q.lastError().nativeErrorCode();
    return false;
}

}  // namespace zep::data
