#include "core/data/readers_table.h"

#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

const QString columns = QStringLiteral(
    "readernum, readername, location, active, timezone, commmode, protocol, address422, "
    "ipaddress, Port");

reader_row read_row(const QSqlQuery& q) {
    return {sql::int16(q, 0), sql::text(q, 1), sql::text(q, 2), sql::text(q, 3), sql::text(q, 4),
            sql::text(q, 5),  sql::text(q, 6), sql::text(q, 7), sql::text(q, 8), sql::text(q, 9)};
}

// Every field but the key, in column order.
QVariantList value_fields(const reader_row& row) {
    return {row.readername, row.location,   row.active,    row.timezone, row.commmode,
            row.protocol,   row.address422, row.ipaddress, row.Port};
}

}  // namespace

std::optional<reader_row> readers_table::find(qint16 readernum) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q,
                   "SELECT " + columns + " FROM readers WHERE readernum = ? ORDER BY rowid LIMIT 1",
                   {readernum}, error_) ||
        !q.next()) {
        return std::nullopt;
    }
    return read_row(q);
}

void readers_table::walk(const std::function<void(const reader_row&)>& visit) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, "SELECT " + columns + " FROM readers ORDER BY readernum, rowid", {},
                   error_)) {
        return;
    }
    while (q.next()) visit(read_row(q));
}

std::vector<reader_row> readers_table::all() {
    std::vector<reader_row> rows;
    walk([&rows](const reader_row& row) { rows.push_back(row); });
    return rows;
}

qint64 readers_table::count() {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, QStringLiteral("SELECT count(*) FROM readers"), {}, error_) || !q.next()) {
        return 0;
    }
    return q.value(0).toLongLong();
}

bool readers_table::insert(const reader_row& row) {
    QSqlQuery q(db_.connection());
    return sql::exec(q,
                     "INSERT INTO readers (" + columns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     QVariantList{row.readernum} + value_fields(row), error_);
}

bool readers_table::insert_all(const std::vector<reader_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) {
        error_ = tx.error();
        return false;
    }
    for (const reader_row& row : rows) {
        if (!insert(row)) return false;
    }
    if (!tx.commit()) {
        error_ = tx.error();
        return false;
    }
    return true;
}

bool readers_table::update(const reader_row& row) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q,
                   QStringLiteral("UPDATE readers SET readername = ?, location = ?, active = ?, "
                                  "timezone = ?, commmode = ?, protocol = ?, address422 = ?, "
                                  "ipaddress = ?, Port = ? WHERE readernum = ?"),
                   value_fields(row) + QVariantList{row.readernum}, error_)) {
        return false;
    }
    if (q.numRowsAffected() > 0) return true;
    error_ = QStringLiteral("no reader %1").arg(row.readernum);
    return false;
}

bool readers_table::remove(qint16 readernum) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q, QStringLiteral("DELETE FROM readers WHERE readernum = ?"), {readernum},
                   error_)) {
        return false;
    }
    return q.numRowsAffected() > 0;
}

}  // namespace zep::data
