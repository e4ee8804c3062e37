#include "core/records/users_series.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/access_string.h"
#include "core/records/users_register.h"

namespace zep::records {

namespace {

QString counted(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

bool digits(const QString& text) {
    static const QRegularExpression all_digits(QStringLiteral("\\A[0-9]+\\z"));
    return all_digits.match(text).hasMatch();
}

}  // namespace

QString series_plan::question() const {
    const qint64 adding = ids.size() - existing;
    return QStringLiteral("Add %1 users with the IDs %2 to %3?")
        .arg(counted(adding), ids.isEmpty() ? QString() : ids.front(),
             ids.isEmpty() ? QString() : ids.back());
}

result<series_plan> plan_series(data::database_file& db, const series_request& request) {
    const QString start = request.start.trimmed(), end = request.end.trimmed();
    const auto refuse = [](const char* why) { return status::failure(QString::fromLatin1(why)); };
    if (!digits(start) || !digits(end)) return refuse("Start Number and End Number must be digits");
    if (start.size() > longest_user_id || end.size() > longest_user_id)
        return refuse("An ID may have at most 18 digits");
    const qint64 first = start.toLongLong(), last = end.toLongLong();
    if (last < first) return refuse("End Number must not be below Start Number");
    if (last - first >= longest_series) return refuse("A series may hold at most 100,000 IDs");
    series_plan plan;
    plan.all_active = request.all_active;
    if (request.all_active) {
        const QString schedule =
            request.schedule.trimmed().isEmpty() ? QStringLiteral("0") : request.schedule.trimmed();
        if (!digits(schedule) || schedule.toInt() > 99)
            return refuse("Schedule # must be a number from 0 to 99");
        plan.schedule_code = QString::number(schedule.toInt()).rightJustified(2, u'0');
        const auto schedules = data::schedules_table(db).all();
        if (!schedules) return schedules.as_status();
        // Schedule 0 (all times) is never stored; a register never opened takes any code.
        const bool known =
            schedule.toInt() == 0 || schedules->empty() ||
            std::any_of(schedules->begin(), schedules->end(), [&](const data::schedule_row& s) {
                return s.schedulenum == schedule.toInt();
            });
        if (!known)
            return status::failure(QStringLiteral("There is no schedule %1").arg(schedule.toInt()));
    }
    const auto stored = data::users_table(db).all();
    if (!stored) return stored.as_status();
    QSet<QString> ids;
    for (const data::user_row& row : *stored) ids.insert(row.userid);
    for (qint64 n = first; n <= last; ++n) {
        plan.ids << QString::number(n).rightJustified(start.size(), u'0');
        if (ids.contains(plan.ids.back())) ++plan.existing;
    }
    return plan;
}

result<QString> add_series(data::database_file& db, const series_plan& plan) {
    QString access = access_string::blank();
    if (plan.all_active) {
        const auto readers = data::readers_table(db).all();
        if (!readers) return readers.as_status();
        for (const data::reader_row& r : *readers) {
            if (r.active.trimmed() == QLatin1String("Y") && r.readernum >= 0 &&
                r.readernum <= access_string::last_reader)
                access.replace(2 * r.readernum, 2, plan.schedule_code);
        }
    }
    data::users_table users(db);
    const auto stored = users.all();
    if (!stored) return stored.as_status();
    QSet<QString> existing;
    for (const data::user_row& row : *stored) existing.insert(row.userid);
    std::vector<data::user_row> rows;
    for (const QString& id : plan.ids) {
        if (!existing.contains(id))
            rows.push_back({id, QString::fromLatin1(series_last_name), id, access});
    }
    if (status added = users.insert_all(rows); !added) return added;
    return QStringLiteral("Added %1 users (%2 already existed)")
        .arg(counted(static_cast<qint64>(rows.size())),
             counted(plan.ids.size() - static_cast<qint64>(rows.size())));
}

}  // namespace zep::records
