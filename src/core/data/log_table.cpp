#include "core/data/log_table.h"

#include <QHash>
#include <map>

#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

const QString columns = QStringLiteral(
    "\"DateTime\", readernum, readername, location, idnum, lastname, firstname, granted, rowid");

const QString insert_sql = QStringLiteral(
    "INSERT INTO log (\"DateTime\", readernum, readername, location, idnum, lastname, "
    "firstname, granted) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");

// Rows dated within two "yyyy-mm-dd" bounds, both inclusive, compared as text.
QString in_dates(const sql_dialect& d) {
    return d.text_key(QStringLiteral("substr(\"DateTime\", 1, 10)")) +
           QStringLiteral(" BETWEEN ? AND ?");
}

// The log's own order: date-time, then the order rows were stored in.
QString date_order(const sql_dialect& d) {
    return d.text_key(QStringLiteral("\"DateTime\"")) + d.nulls_first() + QStringLiteral(", rowid");
}

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

result<std::optional<log_row>> log_table::find(const QString& date_time) {
    QSqlQuery q = sql::forward_query(db_);
    const status found = sql::exec(
        q, "SELECT " + columns + " FROM log WHERE \"DateTime\" = ? ORDER BY rowid LIMIT 1",
        {date_time});
    if (!found) return found;
    if (!q.next()) {
        if (status read = sql::finished(q); !read) return read;
        return std::optional<log_row>();
    }
    return std::optional<log_row>(read_row(q));
}

status log_table::walk(const log_visitor& visit) {
    return run_walk({}, {}, visit);
}

status log_table::walk_dates(const QString& from_date, const QString& to_date,
                             const log_visitor& visit) {
    return run_walk(" WHERE " + in_dates(db_.dialect()), {from_date, to_date}, visit);
}

status log_table::run_walk(const QString& where, const QVariantList& values,
                           const log_visitor& visit) {
    QSqlQuery q = sql::forward_query(db_);
    const status ran = sql::exec(
        q, "SELECT " + columns + " FROM log" + where + " ORDER BY " + date_order(db_.dialect()),
        values);
    if (!ran) return ran;
    while (q.next()) {
        if (!visit(read_row(q))) return {};
    }
    return sql::finished(q);
}

result<qint64> log_table::count() {
    return sql::count_rows(db_, QStringLiteral("log"));
}

result<qint64> log_table::count_dates(const QString& from_date, const QString& to_date) {
    QSqlQuery q = sql::forward_query(db_);
    const status ran = sql::exec(q, "SELECT COUNT(*) FROM log WHERE " + in_dates(db_.dialect()),
                                 {from_date, to_date});
    if (!ran) return ran;
    if (!q.next()) {
        const status read = sql::finished(q);
        return read ? status::failure(QStringLiteral("the log could not be counted")) : read;
    }
    return q.value(0).toLongLong();
}

result<bool> log_table::empty() {
    return sql::table_empty(db_, QStringLiteral("log"));
}

status log_table::insert(const log_row& row) {
    QSqlQuery q(db_.connection());
    return sql::exec(q, insert_sql, value_fields(row));
}

status log_table::insert_all(const std::vector<log_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) return status::failure(tx.error());
    // Dates repeat, so there is no key to refuse; one statement serves every row.
    sql::row_writer writer(db_, insert_sql);
    if (!writer.ready()) return writer.ready();
    for (const log_row& row : rows) {
        if (status stored = writer.insert(value_fields(row)); !stored) return stored;
    }
    return tx.commit();
}

result<qint64> log_table::insert_new(const std::vector<log_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) return status::failure(tx.error());
    // Each reader's rows, with the range of date-times they span.
    struct span {
        QString first, last;
        std::vector<const log_row*> rows;
    };
    std::map<QString, span> readers;
    for (const log_row& row : rows) {
        span& s = readers[row.readernum];
        if (s.rows.empty() || row.DateTime < s.first) s.first = row.DateTime;
        if (s.rows.empty() || row.DateTime > s.last) s.last = row.DateTime;
        s.rows.push_back(&row);
    }
    const auto key = [](const QString& date_time, const QString& idnum, const QString& granted) {
        return date_time + QChar(0) + idnum + QChar(0) + granted;
    };
    sql::row_writer writer(db_, insert_sql);
    if (!writer.ready()) return writer.ready();
    qint64 added = 0;
    for (const auto& [readernum, s] : readers) {
        QHash<QString, int> stored;
        QSqlQuery q = sql::forward_query(db_);
        const status ran = sql::exec(
            q,
            "SELECT \"DateTime\", idnum, granted FROM log WHERE readernum = ? AND " +
                db_.dialect().text_key(QStringLiteral("\"DateTime\"")) + " BETWEEN ? AND ?",
            {readernum, s.first, s.last});
        if (!ran) return ran;
        while (q.next()) ++stored[key(sql::text(q, 0), sql::text(q, 1), sql::text(q, 2))];
        if (status read = sql::finished(q); !read) return read;
        for (const log_row* row : s.rows) {
            const auto there = stored.find(key(row->DateTime, row->idnum, row->granted));
            if (there != stored.end() && *there > 0) {
                --*there;
                continue;
            }
            if (status done = writer.insert(value_fields(*row)); !done) return done;
            ++added;
        }
    }
    if (status committed = tx.commit(); !committed) return committed;
    return added;
}

status log_table::update(const log_row& row) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(q,
                                 QStringLiteral("UPDATE log SET \"DateTime\" = ?, readernum = ?, "
                                                "readername = ?, location = ?, idnum = ?, "
                                                "lastname = ?, firstname = ?, granted = ? "
                                                "WHERE rowid = ?"),
                                 value_fields(row) + QVariantList{row.id});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no log row %1").arg(row.id));
}

status log_table::remove(qint64 id) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(q, QStringLiteral("DELETE FROM log WHERE rowid = ?"), {id});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no log row %1").arg(id));
}

result<qint64> log_table::remove_dates(const QString& from_date, const QString& to_date) {
    QSqlQuery q(db_.connection());
    const status ran =
        sql::exec(q, "DELETE FROM log WHERE " + in_dates(db_.dialect()), {from_date, to_date});
    if (!ran) return ran;
    return static_cast<qint64>(q.numRowsAffected());
}

}  // namespace zep::data
