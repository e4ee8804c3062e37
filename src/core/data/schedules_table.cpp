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

std::optional<schedule_row> schedules_table::find(qint16 schedulenum) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(
            q, "SELECT " + columns + " FROM schedules WHERE schedulenum = ? ORDER BY rowid LIMIT 1",
            {schedulenum}, error_) ||
        !q.next()) {
        return std::nullopt;
    }
    return read_row(q);
}

void schedules_table::walk(const std::function<void(const schedule_row&)>& visit) {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, "SELECT " + columns + " FROM schedules ORDER BY schedulenum, rowid", {},
                   error_)) {
        return;
    }
    while (q.next()) visit(read_row(q));
}

std::vector<schedule_row> schedules_table::all() {
    std::vector<schedule_row> rows;
    walk([&rows](const schedule_row& row) { rows.push_back(row); });
    return rows;
}

qint64 schedules_table::count() {
    QSqlQuery q = sql::forward_query(db_);
    if (!sql::exec(q, QStringLiteral("SELECT count(*) FROM schedules"), {}, error_) || !q.next()) {
        return 0;
    }
    return q.value(0).toLongLong();
}

bool schedules_table::insert(const schedule_row& row) {
    QSqlQuery q(db_.connection());
    return sql::exec(q,
                     "INSERT INTO schedules (" + columns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     QVariantList{row.schedulenum, row.schedulename} + day_values(row), error_);
}

bool schedules_table::insert_all(const std::vector<schedule_row>& rows) {
    transaction tx(db_);
    if (!tx.active()) {
        error_ = tx.error();
        return false;
    }
    for (const schedule_row& row : rows) {
        if (!insert(row)) return false;
    }
    if (!tx.commit()) {
        error_ = tx.error();
        return false;
    }
    return true;
}

bool schedules_table::update(const schedule_row& row) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q,
                   QStringLiteral("UPDATE schedules SET schedulename = ?, sunday = ?, monday = ?, "
                                  "tuesday = ?, wednesday = ?, thursday = ?, friday = ?, "
                                  "saturday = ? WHERE schedulenum = ?"),
                   QVariantList{row.schedulename} + day_values(row) + QVariantList{row.schedulenum},
                   error_)) {
        return false;
    }
    if (q.numRowsAffected() > 0) return true;
    error_ = QStringLiteral("no schedule %1").arg(row.schedulenum);
    return false;
}

bool schedules_table::remove(qint16 schedulenum) {
    QSqlQuery q(db_.connection());
    if (!sql::exec(q, QStringLiteral("DELETE FROM schedules WHERE schedulenum = ?"), {schedulenum},
                   error_)) {
        return false;
    }
    return q.numRowsAffected() > 0;
}

}  // namespace zep::data
