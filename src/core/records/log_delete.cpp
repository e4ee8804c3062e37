#include "core/records/log_delete.h"

#include <QDate>
#include <QLocale>

#include "core/data/log_table.h"
#include "core/data/transaction.h"
#include "core/operator.h"
#include "core/records/log_export.h"

namespace zep::records {

QString deletion_complete_text(qint64 count) {
    return QStringLiteral("Deletion Complete - %1 Records Deleted").arg(count);
}

QString delete_log_question(qint64 count, const QString& from_date, const QString& to_date) {
    const auto shown = [](const QString& date) {
        return date_box_text(QDate::fromString(date, u"yyyy-MM-dd"));
    };
    return QStringLiteral("Delete %1 log records from %2 to %3?")
        .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(count), shown(from_date),
             shown(to_date));
}

dbutil_outcome delete_log_dates(data::database_file& db, operator_port& person,
                                const QString& start_box, const QString& end_box, qint64* deleted) {
    const auto from = date_bound(start_box);
    if (!from) {
        person.message(invalid_date_text(QString::fromLatin1(delete_start_box)));
        return dbutil_outcome::refused;
    }
    const auto to = date_bound(end_box);
    if (!to) {
        person.message(invalid_date_text(QString::fromLatin1(delete_end_box)));
        return dbutil_outcome::refused;
    }
    data::log_table log(db);
    const auto stored = log.count();
    if (!stored || *stored == 0) {
        person.message(stored ? QString::fromLatin1(no_log_items_text) : stored.error());
        return dbutil_outcome::refused;
    }
    // An audit trail is not erased by one click: the operator is told what will go.
    const auto in_range = log.count_dates(*from, *to);
    if (!in_range) {
        person.message(in_range.error());
        return dbutil_outcome::refused;
    }
    if (*in_range > 0 && !person.confirm_erase(delete_log_question(*in_range, *from, *to)))
        return dbutil_outcome::refused;
    person.progress(QString::fromLatin1(deleting_records_text));
    data::transaction tx(db);
    const result<qint64> removed =
        tx.active() ? log.remove_dates(*from, *to) : status::failure(tx.error());
    const status committed = removed ? tx.commit() : removed.as_status();
    person.progress(QString());
    if (!committed) {
        person.message(committed.error());
        return dbutil_outcome::refused;
    }
    const qint64 count = *removed;
    if (deleted) *deleted = count;
    person.message(deletion_complete_text(count));
    return dbutil_outcome::done;
}

}  // namespace zep::records
