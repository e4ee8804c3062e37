#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/result.h"

namespace zep::data {

class database_file;

// One weekly schedule (1..99; 0 means "all times" and is never stored). Each day holds
// the start hhmm followed by the end hhmm.
struct schedule_row {
    qint16 schedulenum = 0;
    QString schedulename;
    QString sunday = QStringLiteral("00000000");
    QString monday = QStringLiteral("00000000");
    QString tuesday = QStringLiteral("00000000");
    QString wednesday = QStringLiteral("00000000");
    QString thursday = QStringLiteral("00000000");
    QString friday = QStringLiteral("00000000");
    QString saturday = QStringLiteral("00000000");

    bool operator==(const schedule_row&) const = default;
};

// The `schedules` table, keyed by `schedulenum`.
class schedules_table {
  public:
    explicit schedules_table(database_file& db) : db_(db) {}

    // The schedule, nullopt when there is none; a failure when the table could not be read.
    result<std::optional<schedule_row>> find(qint16 schedulenum);
    // Every schedule in number order.
    status walk(const std::function<void(const schedule_row&)>& visit);
    result<std::vector<schedule_row>> all();
    result<qint64> count();

    // Refused (nothing written) when the number is already there.
    status insert(const schedule_row& row);
    // All or none, in one transaction.
    status insert_all(const std::vector<schedule_row>& rows);
    // Rewrites the schedule row.schedulenum; a failure when there is none.
    status update(const schedule_row& row);
    // Writes `now` only while the row still holds `was`: false when another program changed
    // or removed it meanwhile.
    result<bool> update_if(const schedule_row& was, const schedule_row& now);
    // A failure when there is no such schedule.
    status remove(qint16 schedulenum);

  private:
    database_file& db_;
};

}  // namespace zep::data
