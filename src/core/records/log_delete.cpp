#include "log_delete.h"

#include "data/log_table.h"
#include "data/transaction.h"
#include "log_export.h"
#include "operator.h"

namespace zep {

QString deletion_complete_text(qint64 count) {
    return QStringLiteral("Deletion Complete - %1 Records Deleted").arg(count);
}

utility_outcome delete_log_dates(database_file& db, operator_port& person, const QString& start_box,
                                 const QString& end_box, qint64* deleted) {
    const auto from = date_bound(start_box);
    if (!from) {
        person.message(invalid_date_text(QString::fromLatin1(delete_start_box)));
        return utility_outcome::refused;
    }
    const auto to = date_bound(end_box);
    if (!to) {
        person.message(invalid_date_text(QString::fromLatin1(delete_end_box)));
        return utility_outcome::refused;
    }
    log_table log(db);
    if (log.count() == 0) {
        person.message(QString::fromLatin1(no_log_items_text));
        return utility_outcome::refused;
    }
    person.progress(QString::fromLatin1(deleting_records_text));
    transaction tx(db);
    const qint64 count = tx.active() ? log.remove_dates(*from, *to) : -1;
    const bool committed = count >= 0 && tx.commit();
    person.progress(QString());
    if (!committed) {
        person.message(tx.error().isEmpty() ? log.last_error() : tx.error());
        return utility_outcome::refused;
    }
    if (deleted) *deleted = count;
    person.message(deletion_complete_text(count));
    return utility_outcome::done;
}

}  // namespace zep
