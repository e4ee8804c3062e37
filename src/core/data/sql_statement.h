#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include "core/data/database_file.h"

namespace zep::data::sql {

// Prepares `sql` on `q`, binds `values` in order and runs it. On failure `error` gets the
// driver's text. Values are always bound, never spliced into the statement.
bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values, QString& error);

// A forward-only query on the database's connection, for walks that must not load the
// whole result.
QSqlQuery forward_query(const database_file& db);

// Text of a column, empty for NULL.
inline QString text(const QSqlQuery& q, int column) {
    return q.value(column).toString();
}
inline qint16 int16(const QSqlQuery& q, int column) {
    return static_cast<qint16>(q.value(column).toInt());
}

}  // namespace zep::data::sql
