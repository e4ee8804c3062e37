#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include "core/data/database_file.h"
#include "core/result.h"

namespace zep::data::sql {

// Why a statement failed in SQLite's own words ("attempt to write a readonly database"),
// without Qt's note of the step that failed; Qt's text when SQLite gave none.
QString error_text(const QSqlError& error);

// Prepares `sql` on `q`, binds `values` in order and runs it; a failure carries the
// driver's text. Values are always bound, never spliced into the statement.
status exec(QSqlQuery& q, const QString& sql, const QVariantList& values);

// The two halves of exec(), for a statement prepared once and run once per row.
status prepare(QSqlQuery& q, const QString& sql);
status run(QSqlQuery& q, const QVariantList& values);

// A forward-only query on the database's connection, for walks that must not load the
// whole result.
QSqlQuery forward_query(const database_file& db);

// After a walk's last next(): a failure when the walk stopped on an error (a damaged page,
// a busy or vanished file) rather than after the last row, which next() alone cannot tell.
status finished(const QSqlQuery& q);

// Rows of `table` (a constant name, never a value).
result<qint64> count_rows(const database_file& db, const QString& table);
// Whether `table` holds no row: one row read, where a count reads them all.
result<bool> table_empty(const database_file& db, const QString& table);

// Writes rows through one INSERT prepared once. With a `key_sql` (a SELECT that finds a
// stored row by the key given as its one value) a row whose key is already stored is
// refused with `taken_text` (its %1 is the key): not every database carries a unique
// index, so the check is ours.
class row_writer {
  public:
    row_writer(const database_file& db, const QString& insert_sql, const QString& key_sql = {},
               QString taken_text = {});

    // Whether the statements could be prepared; nothing may be written otherwise.
    const status& ready() const { return ready_; }
    status insert(const QVariantList& values, const QVariant& key = {});

  private:
    QSqlQuery insert_;
    QSqlQuery key_;
    QString taken_text_;
    bool checks_key_ = false;
    status ready_;
};

// Text of a column, empty for NULL.
inline QString text(const QSqlQuery& q, int column) {
    return q.value(column).toString();
}
inline qint16 int16(const QSqlQuery& q, int column) {
    return static_cast<qint16>(q.value(column).toInt());
}

}  // namespace zep::data::sql
