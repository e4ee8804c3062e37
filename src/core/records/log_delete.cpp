#include "core/records/log_delete.h"

#include "core/data/log_table.h"
#include "core/data/transaction.h"
#include "core/records/log_export.h"
#include "core/operator.h"

namespace zep::records {

QString deletion_complete_text(qint64 count) {
    return QStringLiteral("Deletion Complete - %1 Records Deleted").arg(count);
}

dbutil_outcome delete_log_dates(data::database_file& db, operator_port& person, const QString& start_box,
                                 const QString& end_box, qint64* deleted) {
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
    if (log.count() == 0) {
        person.message(QString::fromLatin1(no_log_items_text));
        return dbutil_outcome::refused;
    }
    person.progress(QString::fromLatin1(deleting_records_text));
    data::transaction tx(db);
    const qint64 count = tx.active() ? log.remove_dates(*from, *to) : -1;
    const bool committed = count >= 0 && tx.commit();
    person.progress(QString());
    if (!committed) {
        person.message(tx.error().isEmpty() ? log.last_error() : tx.error());
        return dbutil_outcome::refused;
    }
    if (deleted) *deleted = count;
    person.message(deletion_complete_text(count));
    return dbutil_outcome::done;
}

}  // namespace zep::records
