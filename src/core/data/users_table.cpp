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

result<std::optional<user_row>> users_table::find(const QString& userid) {
    QSqlQuery q = sql::forward_query(db_);
    const status found = sql::exec(
        q, "SELECT " + columns + " FROM users WHERE userid = ? ORDER BY rowid LIMIT 1", {userid});
    if (!found) return found;
    if (!q.next()) {
        if (status read = sql::finished(q); !read) return read;
        return std::optional<user_row>();
    }
    return std::optional<user_row>(read_row(q));
}

status users_table::walk(const std::function<void(const user_row&)>& visit) {
    QSqlQuery q = sql::forward_query(db_);
    const sql_dialect& d = db_.dialect();
    const status ran =
        sql::exec(q,
                  "SELECT " + columns + " FROM users ORDER BY " +
                      d.text_key(QStringLiteral("userid")) + d.nulls_first() + ", rowid",
                  {});
    if (!ran) return ran;
    while (q.next()) visit(read_row(q));
    return sql::finished(q);
}

result<std::vector<user_row>> users_table::all() {
    std::vector<user_row> rows;
    const status walked = walk([&rows](const user_row& row) { rows.push_back(row); });
    if (!walked) return walked;
    return rows;
}

result<qint64> users_table::count() {
    return sql::count_rows(db_, QStringLiteral("users"));
}

result<bool> users_table::empty() {
    return sql::table_empty(db_, QStringLiteral("users"));
}

status users_table::insert(const user_row& row) {
    return insert_all({row});
}

status users_table::insert_all(const std::vector<user_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) return status::failure(tx.error());
    // Checked here too, so that a database made without the unique index keeps ids unique.
    sql::row_writer writer(db_, "INSERT INTO users (" + columns + ") VALUES (?, ?, ?, ?)",
                           QStringLiteral("SELECT 1 FROM users WHERE userid = ? LIMIT 1"),
                           QStringLiteral("userid \"%1\" already exists"));
    if (!writer.ready()) return writer.ready();
    for (const user_row& row : rows) {
        const status stored =
            writer.insert({row.userid, row.lastname, row.firstname, row.schedules}, row.userid);
        if (!stored) return stored;
    }
    return tx.commit();
}

status users_table::update(const user_row& row) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(q,
                                 QStringLiteral("UPDATE users SET lastname = ?, firstname = ?, "
                                                "schedules = ? WHERE userid = ?"),
                                 {row.lastname, row.firstname, row.schedules, row.userid});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no user \"%1\"").arg(row.userid));
}

status users_table::update_all(const std::vector<user_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) return status::failure(tx.error());
    QSqlQuery q(db_.connection());
    if (status prepared = sql::prepare(q, QStringLiteral("UPDATE users SET lastname = ?, "
                                                         "firstname = ?, schedules = ? "
                                                         "WHERE userid = ?"));
        !prepared)
        return prepared;
    for (const user_row& row : rows) {
        const status ran = sql::run(q, {row.lastname, row.firstname, row.schedules, row.userid});
        if (!ran) return ran;
        if (q.numRowsAffected() == 0)
            return status::failure(QStringLiteral("no user \"%1\"").arg(row.userid));
    }
    return tx.commit();
}

result<bool> users_table::update_if(const user_row& was, const user_row& now) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(
        q,
        QStringLiteral("UPDATE users SET userid = ?, lastname = ?, firstname = ?, schedules = ? "
                       "WHERE userid = ? AND coalesce(lastname, '') = ? AND "
                       "coalesce(firstname, '') = ? AND coalesce(schedules, '') = ?"),
        {now.userid, now.lastname, now.firstname, now.schedules, was.userid, was.lastname,
         was.firstname, was.schedules});
    if (!ran) return ran;
    return q.numRowsAffected() > 0;
}

status users_table::remove(const QString& userid) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(q, QStringLiteral("DELETE FROM users WHERE userid = ?"), {userid});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no user \"%1\"").arg(userid));
}

}  // namespace zep::data
