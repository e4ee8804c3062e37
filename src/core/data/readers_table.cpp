#include "core/data/readers_table.h"

#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

const QString columns = QStringLiteral(
    "readernum, readername, location, active, timezone, commmode, protocol, address422, "
    "ipaddress, \"Port\"");

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

result<std::optional<reader_row>> readers_table::find(qint16 readernum) {
    QSqlQuery q = sql::forward_query(db_);
    const status found = sql::exec(
        q, "SELECT " + columns + " FROM readers WHERE readernum = ? ORDER BY rowid LIMIT 1",
        {readernum});
    if (!found) return found;
    if (!q.next()) {
        if (status read = sql::finished(q); !read) return read;
        return std::optional<reader_row>();
    }
    return std::optional<reader_row>(read_row(q));
}

status readers_table::walk(const std::function<void(const reader_row&)>& visit) {
    QSqlQuery q = sql::forward_query(db_);
    const status ran =
        sql::exec(q, "SELECT " + columns + " FROM readers ORDER BY readernum, rowid", {});
    if (!ran) return ran;
    while (q.next()) visit(read_row(q));
    return sql::finished(q);
}

result<std::vector<reader_row>> readers_table::all() {
    std::vector<reader_row> rows;
    const status walked = walk([&rows](const reader_row& row) { rows.push_back(row); });
    if (!walked) return walked;
    return rows;
}

result<qint64> readers_table::count() {
    return sql::count_rows(db_, QStringLiteral("readers"));
}

status readers_table::insert(const reader_row& row) {
    return insert_all({row});
}

status readers_table::insert_all(const std::vector<reader_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) return status::failure(tx.error());
    sql::row_writer writer(
        db_, "INSERT INTO readers (" + columns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        QStringLiteral("SELECT 1 FROM readers WHERE readernum = ? LIMIT 1"),
        QStringLiteral("reader %1 already exists"));
    if (!writer.ready()) return writer.ready();
    for (const reader_row& row : rows) {
        const status stored =
            writer.insert(QVariantList{row.readernum} + value_fields(row), row.readernum);
        if (!stored) return stored;
    }
    return tx.commit();
}

status readers_table::update(const reader_row& row) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(q,
                                 QStringLiteral("UPDATE readers SET readername = ?, location = ?, "
                                                "active = ?, timezone = ?, commmode = ?, "
                                                "protocol = ?, address422 = ?, ipaddress = ?, "
                                                "\"Port\" = ? WHERE readernum = ?"),
                                 value_fields(row) + QVariantList{row.readernum});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no reader %1").arg(row.readernum));
}

result<bool> readers_table::update_if(const reader_row& was, const reader_row& now) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(
        q,
        QStringLiteral("UPDATE readers SET readername = ?, location = ?, active = ?, "
                       "timezone = ?, commmode = ?, protocol = ?, address422 = ?, ipaddress = ?, "
                       "\"Port\" = ? WHERE readernum = ? AND coalesce(readername, '') = ? AND "
                       "coalesce(location, '') = ? AND coalesce(active, '') = ? AND "
                       "coalesce(timezone, '') = ? AND coalesce(commmode, '') = ? AND "
                       "coalesce(protocol, '') = ? AND coalesce(address422, '') = ? AND "
                       "coalesce(ipaddress, '') = ? AND coalesce(\"Port\", '') = ?"),
        value_fields(now) + QVariantList{was.readernum} + value_fields(was));
    if (!ran) return ran;
    return q.numRowsAffected() > 0;
}

status readers_table::remove(qint16 readernum) {
    QSqlQuery q(db_.connection());
    const status ran =
        sql::exec(q, QStringLiteral("DELETE FROM readers WHERE readernum = ?"), {readernum});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no reader %1").arg(readernum));
}

}  // namespace zep::data
