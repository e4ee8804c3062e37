#include "core/data/schedules_table.h"

#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

const QString columns = QStringLiteral(
    "schedulenum, schedulename, sunday, monday, tuesday, wednesday, thursday, friday, saturday");

schedule_row read_row(const QSqlQuery& q) {
    return {sql::int16(q, 0), sql::text(q, 1), sql::text(q, 2), sql::text(q, 3), sql::text(q, 4),
            sql::text(q, 5),  sql::text(q, 6), sql::text(q, 7), sql::text(q, 8)};
}

QVariantList day_values(const schedule_row& row) {
    return {row.sunday,   row.monday, row.tuesday, row.wednesday,
            row.thursday, row.friday, row.saturday};
}

}  // namespace

result<std::optional<schedule_row>> schedules_table::find(qint16 schedulenum) {
    QSqlQuery q = sql::forward_query(db_);
    const status found = sql::exec(
        q, "SELECT " + columns + " FROM schedules WHERE schedulenum = ? ORDER BY rowid LIMIT 1",
        {schedulenum});
    if (!found) return found;
    if (!q.next()) {
        if (status read = sql::finished(q); !read) return read;
        return std::optional<schedule_row>();
    }
    return std::optional<schedule_row>(read_row(q));
}

status schedules_table::walk(const std::function<void(const schedule_row&)>& visit) {
    QSqlQuery q = sql::forward_query(db_);
    const status ran =
        sql::exec(q, "SELECT " + columns + " FROM schedules ORDER BY schedulenum, rowid", {});
    if (!ran) return ran;
    while (q.next()) visit(read_row(q));
    return sql::finished(q);
}

result<std::vector<schedule_row>> schedules_table::all() {
    std::vector<schedule_row> rows;
    const status walked = walk([&rows](const schedule_row& row) { rows.push_back(row); });
    if (!walked) return walked;
    return rows;
}

result<qint64> schedules_table::count() {
    return sql::count_rows(db_, QStringLiteral("schedules"));
}

status schedules_table::insert(const schedule_row& row) {
    return insert_all({row});
}

status schedules_table::insert_all(const std::vector<schedule_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) return status::failure(tx.error());
    sql::row_writer writer(
        db_, "INSERT INTO schedules (" + columns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        QStringLiteral("SELECT 1 FROM schedules WHERE schedulenum = ? LIMIT 1"),
        QStringLiteral("schedule %1 already exists"));
    if (!writer.ready()) return writer.ready();
    for (const schedule_row& row : rows) {
        const status stored = writer.insert(
            QVariantList{row.schedulenum, row.schedulename} + day_values(row), row.schedulenum);
        if (!stored) return stored;
    }
    return tx.commit();
}

status schedules_table::update(const schedule_row& row) {
    QSqlQuery q(db_.connection());
    const status ran =
        sql::exec(q,
                  QStringLiteral("UPDATE schedules SET schedulename = ?, sunday = ?, monday = ?, "
                                 "tuesday = ?, wednesday = ?, thursday = ?, friday = ?, "
                                 "saturday = ? WHERE schedulenum = ?"),
                  QVariantList{row.schedulename} + day_values(row) + QVariantList{row.schedulenum});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no schedule %1").arg(row.schedulenum));
}

result<bool> schedules_table::update_if(const schedule_row& was, const schedule_row& now) {
    QSqlQuery q(db_.connection());
    const status ran = sql::exec(
        q,
        QStringLiteral("UPDATE schedules SET schedulename = ?, sunday = ?, monday = ?, "
                       "tuesday = ?, wednesday = ?, thursday = ?, friday = ?, saturday = ? "
                       "WHERE schedulenum = ? AND coalesce(schedulename, '') = ? AND "
                       "coalesce(sunday, '') = ? AND coalesce(monday, '') = ? AND "
                       "coalesce(tuesday, '') = ? AND coalesce(wednesday, '') = ? AND "
                       "coalesce(thursday, '') = ? AND coalesce(friday, '') = ? AND "
                       "coalesce(saturday, '') = ?"),
        QVariantList{now.schedulename} + day_values(now) +
            QVariantList{was.schedulenum, was.schedulename} + day_values(was));
    if (!ran) return ran;
    return q.numRowsAffected() > 0;
}

status schedules_table::remove(qint16 schedulenum) {
    QSqlQuery q(db_.connection());
    const status ran =
        sql::exec(q, QStringLiteral("DELETE FROM schedules WHERE schedulenum = ?"), {schedulenum});
    if (!ran) return ran;
    if (q.numRowsAffected() > 0) return {};
    return status::failure(QStringLiteral("no schedule %1").arg(schedulenum));
}

}  // namespace zep::data
