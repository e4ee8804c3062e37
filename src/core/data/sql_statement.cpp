#include "core/data/sql_statement.h"

#include "core/kill_point.h"

namespace zep::data::sql {

namespace {

// Every statement but a SELECT changes the file.
bool writes(const QSqlQuery& q) {
    return !q.lastQuery().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
}

}  // namespace

QString error_text(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

status prepare(QSqlQuery& q, const QString& sql) {
    if (!q.prepare(sql)) return status::failure(error_text(q.lastError()));
    return {};
}

status run(QSqlQuery& q, const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        // A null QString would be stored as NULL; texts are stored as texts, even empty.
        const bool null_text = v.typeId() == QMetaType::QString && v.toString().isNull();
        // By position: a statement run again must not append to the last run's values.
        q.bindValue(i, null_text ? QVariant(QStringLiteral("")) : v);
    }
    if (writes(q)) pass_kill_point(kill_point_kind::write);
    if (!q.exec()) return status::failure(error_text(q.lastError()));
    return {};
}

status exec(QSqlQuery& q, const QString& sql, const QVariantList& values) {
    if (status prepared = prepare(q, sql); !prepared) return prepared;
    return run(q, values);
}

QSqlQuery forward_query(const database_file& db) {
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    return q;
}

status finished(const QSqlQuery& q) {
    if (q.lastError().isValid()) return status::failure(error_text(q.lastError()));
    return {};
}

result<qint64> count_rows(const database_file& db, const QString& table) {
    QSqlQuery q = forward_query(db);
    if (status ran = exec(q, "SELECT count(*) FROM " + table, {}); !ran) return ran;
    if (q.next()) return q.value(0).toLongLong();
    if (status read = finished(q); !read) return read;
    return status::failure(QStringLiteral("table %1 gave no count").arg(table));
}

result<bool> table_empty(const database_file& db, const QString& table) {
    QSqlQuery q = forward_query(db);
    if (status ran = exec(q, "SELECT 1 FROM " + table + " LIMIT 1", {}); !ran) return ran;
    if (q.next()) return false;
    if (status read = finished(q); !read) return read;
    return true;
}

row_writer::row_writer(const database_file& db, const QString& insert_sql, const QString& key_sql,
                       QString taken_text)
    : insert_(db.connection()), key_(forward_query(db)), taken_text_(std::move(taken_text)) {
    checks_key_ = !key_sql.isEmpty();
    ready_ = prepare(insert_, insert_sql);
    if (ready_ && checks_key_) ready_ = prepare(key_, key_sql);
}

status row_writer::insert(const QVariantList& values, const QVariant& key) {
    if (!ready_) return ready_;
    if (checks_key_) {
        if (status looked = run(key_, {key}); !looked) return looked;
        const bool taken = key_.next();
        key_.finish();
        if (taken) return status::failure(taken_text_.arg(key.toString()));
    }
    return run(insert_, values);
}

}  // namespace zep::data::sql
