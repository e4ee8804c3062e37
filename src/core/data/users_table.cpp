#include "core/data/users_table.h"

#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

const QString columns = QStringLiteral("userid, lastname, firstname, schedules");

user_row read_row(const QSqlQuery& q) {
    return {sql::text(q, 0), sql::text(q, 1), sql::text(q, 2), sql::text(q, 3)};
}

}  // namespace

std::optional<user_row> users_table::find(const QString& userid) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, "SELECT " + columns + " FROM users WHERE userid = ? ORDER BY rowid LIMIT 1",
                   {userid}, error_) ||
        !q.next()) {
        return std::nullopt;
    }
    return read_row(q);
}

void users_table::walk(const std::function<void(const user_row&)>& visit) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, "SELECT " + columns + " FROM users ORDER BY userid, rowid", {}, error_)) {
        return;
    }
    while (q.next()) visit(read_row(q));
}

std::vector<user_row> users_table::all() {
    std::vector<user_row> rows;
    walk([&rows](const user_row& row) { rows.push_back(row); });
    return rows;
}

qint64 users_table::count() {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, QStringLiteral("SELECT count(*) FROM users"), {}, error_) || !q.next()) {
        return 0;
    }
    return q.value(0).toLongLong();
}

bool users_table::insert(const user_row& row) {
    // Checked here too, so that a database made without the unique index keeps ids unique.
    if (find(row.userid)) {
        error_ = QStringLiteral("userid \"%1\" already exists").arg(row.userid);
        return false;
    }
    QSqlQuery q(db_.connection());
    return sql::exec(q, "INSERT INTO users (" + columns + ") VALUES (?, ?, ?, ?)",
                     {row.userid, row.lastname, row.firstname, row.schedules}, error_);
}

bool users_table::insert_all(const std::vector<user_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) {
        error_ = tx.error();
        return false;
    }
    for (const user_row& row : rows) {
        if (!insert(row)) return false;
    }
    if (!tx.commit()) {
        error_ = tx.error();
        return false;
    }
    return true;
}

bool users_table::update(const user_row& row) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q,
                   QStringLiteral("UPDATE users SET lastname = ?, firstname = ?, schedules = ? "
                                  "WHERE userid = ?"),
                   {row.lastname, row.firstname, row.schedules, row.userid}, error_)) {
        return false;
    }
    if (q.numRowsAffected() > 0) return true;
    error_ = QStringLiteral("no user \"%1\"").arg(row.userid);
    return false;
}

bool users_table::remove(const QString& userid) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q, QStringLiteral("DELETE FROM users WHERE userid = ?"), {userid}, error_)) {
        return false;
    }
    return q.numRowsAffected() > 0;
}

}  // namespace zep::data
