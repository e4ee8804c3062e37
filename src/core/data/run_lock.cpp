#include "core/data/run_lock.h"

#include <QFile>
#include <QSqlQuery>

#include "core/data/database_file.h"
#include "core/data/sql_statement.h"

namespace zep::data {

namespace {

// The advisory lock's key: a constant of this program's own ("zep").
constexpr qint64 run_lock_key = 0x7a6570;

}  // namespace

QString run_lock_path(const QString& database_path) {
    return database_path + QStringLiteral(".lock");
}

run_lock::run_lock(database_file& db) : db_(db) {}

run_lock::~run_lock() {
    if (held_on_server_ && db_.is_open()) {
        QSqlQuery q(db_.connection());
        q.exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(run_lock_key));
    }
}

run_lock::outcome run_lock::try_lock() {
    if (db_.location().server()) {
        QSqlQuery q(db_.connection());
        if (!q.exec(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(run_lock_key)) ||
            !q.next()) {
            error_ = sql::error_text(q.lastError());
            return outcome::failed;
        }
        held_on_server_ = q.value(0).toBool();
        return held_on_server_ ? outcome::taken : outcome::held_elsewhere;
    }
    const QString path = run_lock_path(db_.path());
    file_ = std::make_unique<QLockFile>(path);
    file_->setStaleLockTime(0);  // a long run is not stale; only a dead owner is
    if (file_->tryLock(0)) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return outcome::taken;
    }
    if (file_->error() == QLockFile::LockFailedError) return outcome::held_elsewhere;
    error_ = QStringLiteral("Unable to create ") + path;
    return outcome::failed;
}

}  // namespace zep::data
