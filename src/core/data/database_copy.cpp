#include "core/data/database_copy.h"

#include <QStringList>

#include "core/data/database_file.h"
#include "core/data/schema.h"
#include "core/data/sql_statement.h"
#include "core/data/transaction.h"

namespace zep::data {

namespace {

QString quoted(const char* name) {
    return QStringLiteral("\"%1\"").arg(QLatin1String(name));
}

// The fields of `t` that both databases have (our optional ones may be missing in either).
QStringList shared_fields(const schema::table& t, database_file& from, database_file& to) {
    QStringList fields;
    for (const schema::field& f : t.fields) {
        const QString name = QLatin1String(f.name);
        if (f.required || (from.has_field(QLatin1String(t.name), name) &&
                           to.has_field(QLatin1String(t.name), name)))
            fields << quoted(f.name);
    }
    return fields;
}

// What the target holds beyond the two settings rows a first start makes.
status refuse_unless_new(database_file& to, const table_counts& counts) {
    for (const auto& [table, rows] : counts) {
        const qint64 allowed = table == QLatin1String("settings") ? 2 : 0;
        if (rows > allowed) {
            return status::failure(
                QStringLiteral("Database %1 is not new: table \"%2\" holds %3 rows")
                    .arg(to.location().display(), table)
                    .arg(rows));
        }
    }
    return {};
}

status copy_table(const schema::table& t, database_file& from, database_file& to) {
    const QStringList fields = shared_fields(t, from, to);
    QSqlQuery read = sql::forward_query(from);
    const status ran = sql::exec(
        read, "SELECT " + fields.join(", ") + " FROM " + quoted(t.name) + " ORDER BY rowid", {});
    if (!ran) return ran;
    QStringList marks;
    marks.fill(QStringLiteral("?"), fields.size());
    sql::row_writer writer(to, "INSERT INTO " + quoted(t.name) + " (" + fields.join(", ") +
                                   ") VALUES (" + marks.join(", ") + ")");
    if (!writer.ready()) return writer.ready();
    while (read.next()) {
        QVariantList values;
        for (int i = 0; i < fields.size(); ++i) values << read.value(i);
        if (status written = writer.insert(values); !written) {
            return status::failure(QStringLiteral("table \"%1\": %2").arg(t.name, written.error()));
        }
    }
    return sql::finished(read);
}

}  // namespace

result<table_counts> count_tables(database_file& db) {
    table_counts counts;
    for (const schema::table& t : schema::tables()) {
        const auto rows = sql::count_rows(db, quoted(t.name));
        if (!rows) return rows.as_status();
        counts.emplace_back(QLatin1String(t.name), *rows);
    }
    return counts;
}

result<table_counts> copy_database(database_file& from, database_file& to) {
    const auto target = count_tables(to);
    if (!target) return target.as_status();
    if (status fresh = refuse_unless_new(to, *target); !fresh) return fresh;
    const auto source = count_tables(from);
    if (!source) return source.as_status();
    {
        transaction tx(to);
        if (!tx.active()) return status::failure(tx.error());
        QSqlQuery clear(to.connection());
        if (status emptied = sql::exec(clear, QStringLiteral("DELETE FROM settings"), {}); !emptied)
            return emptied;
        for (const schema::table& t : schema::tables()) {
            if (status copied = copy_table(t, from, to); !copied) return copied;
        }
        if (status committed = tx.commit(); !committed) return committed;
    }
    const auto copied = count_tables(to);
    if (!copied) return copied.as_status();
    for (std::size_t i = 0; i < copied->size(); ++i) {
        if ((*copied)[i].second != (*source)[i].second) {
            return status::failure(
                QStringLiteral("table \"%1\": %2 rows copied, the source holds %3")
                    .arg((*copied)[i].first)
                    .arg((*copied)[i].second)
                    .arg((*source)[i].second));
        }
    }
    return copied;
}

}  // namespace zep::data
