#include "core/data/log_table.h"

#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

const QString columns = QStringLiteral(
    "DateTime, readernum, readername, location, idnum, lastname, firstname, granted, rowid");

const QString in_dates = QStringLiteral("substr(DateTime, 1, 10) BETWEEN ? AND ?");

log_row read_row(const QSqlQuery& q) {
    return {sql::text(q, 0), sql::text(q, 1), sql::text(q, 2),
            sql::text(q, 3), sql::text(q, 4), sql::text(q, 5),
            sql::text(q, 6), sql::text(q, 7), q.value(8).toLongLong()};
}

QVariantList value_fields(const log_row& row) {
    return {row.DateTime, row.readernum, row.readername, row.location,
            row.idnum,    row.lastname,  row.firstname,  row.granted};
}

}  // namespace

std::optional<log_row> log_table::find(const QString& date_time) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, "SELECT " + columns + " FROM log WHERE DateTime = ? ORDER BY rowid LIMIT 1",
                   {date_time}, error_) ||
        !q.next()) {
        return std::nullopt;
    }
    return read_row(q);
}

bool log_table::walk(const log_visitor& visit) {
    return run_walk({}, {}, visit);
}

bool log_table::walk_dates(const QString& from_date, const QString& to_date,
                           const log_visitor& visit) {
    return run_walk(" WHERE " + in_dates, {from_date, to_date}, visit);
}

bool log_table::run_walk(const QString& where, const QVariantList& values,
                         const log_visitor& visit) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, "SELECT " + columns + " FROM log" + where + " ORDER BY DateTime, rowid",
                   values, error_)) {
        return false;
    }
    while (q.next()) {
        if (!visit(read_row(q))) break;
    }
    return true;
}

qint64 log_table::count() {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, QStringLiteral("SELECT count(*) FROM log"), {}, error_) || !q.next()) {
        return 0;
    }
    return q.value(0).toLongLong();
}

bool log_table::insert(const log_row& row) {
    QSqlQuery q(db_.connection());
    return sql::exec(q,
                     QStringLiteral("INSERT INTO log (DateTime, readernum, readername, location, "
                                    "idnum, lastname, firstname, granted) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                     value_fields(row), error_);
}

bool log_table::insert_all(const std::vector<log_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) {
        error_ = tx.error();
        return false;
    }
    for (const log_row& row : rows) {
        if (!insert(row)) return false;
    }
    if (!tx.commit()) {
        error_ = tx.error();
        return false;
    }
    return true;
}

bool log_table::update(const log_row& row) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q,
                   QStringLiteral("UPDATE log SET DateTime = ?, readernum = ?, readername = ?, "
                                  "location = ?, idnum = ?, lastname = ?, firstname = ?, "
                                  "granted = ? WHERE rowid = ?"),
                   value_fields(row) + QVariantList{row.id}, error_)) {
        return false;
    }
    if (q.numRowsAffected() > 0) return true;
    error_ = QStringLiteral("no log row %1").arg(row.id);
    return false;
}

bool log_table::remove(qint64 id) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q, QStringLiteral("DELETE FROM log WHERE rowid = ?"), {id}, error_)) {
        return false;
    }
    return q.numRowsAffected() > 0;
}

qint64 log_table::remove_dates(const QString& from_date, const QString& to_date) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q, "DELETE FROM log WHERE " + in_dates, {from_date, to_date}, error_)) {
        return -1;
    }
    return q.numRowsAffected();
}

}  // namespace zep::data
