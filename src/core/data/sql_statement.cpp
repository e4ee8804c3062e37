#include "core/data/sql_statement.h"

#include <QSqlError>

namespace zep::data::sql {

bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values, QString& error) {
    if (!q.prepare(sql)) {
        error = q.lastError().text();
        return false;
    }
    for (const QVariant& v : values) {
        // A null QString would be stored as NULL; texts are stored as texts, even empty.
        const bool null_text = v.typeId() == QMetaType::QString && v.toString().isNull();
        q.addBindValue(null_text ? QVariant(QStringLiteral("")) : v);
    }
    if (!q.exec()) {
        error = q.lastError().text();
        return false;
    }
    return true;
}

QSqlQuery forward_query(const database_file& db) {
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    return q;
}

}  // namespace zep::data::sql
