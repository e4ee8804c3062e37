#include "core/data/sql_dialect.h"

#include <QStringList>

namespace zep::data {

namespace {

QString quoted(const char* name) {
    return QStringLiteral("\"%1\"").arg(QLatin1String(name));
}

bool text_field(const schema::table& t, const char* column) {
    for (const schema::field& f : t.fields) {
        if (qstrcmp(f.name, column) == 0) return f.type == schema::field_type::text;
    }
    return false;
}

}  // namespace

QString sql_dialect::text_key(const QString& expression) const {
    return postgres() ? expression + QStringLiteral(" COLLATE \"C\"") : expression;
}

QString sql_dialect::nulls_first() const {
    return postgres() ? QStringLiteral(" NULLS FIRST") : QString();
}

QString sql_dialect::trim_blanks(const QString& expression) const {
    return (postgres() ? QStringLiteral("btrim(%1, ' ')") : QStringLiteral("trim(%1, ' ')"))
        .arg(expression);
}

QString sql_dialect::three_digits(const QString& expression) const {
    if (!postgres()) return QStringLiteral("printf('%03d', %1)").arg(expression);
    // lpad alone would cut a longer number; printf never does.
    return QStringLiteral(
               "(CASE WHEN (%1) BETWEEN 0 AND 999 THEN to_char(%1, 'FM000') "
               "ELSE CAST(%1 AS TEXT) END)")
        .arg(expression);
}

QString sql_dialect::integer_of(const QString& expression) const {
    if (!postgres()) return QStringLiteral("CAST(%1 AS INTEGER)").arg(expression);
    // Plain digits, by far the most common, skip the pattern, which costs a second a
    // million rows.
    return QStringLiteral(
               "(CASE WHEN length(%1) BETWEEN 1 AND 9 AND ltrim(%1, '0123456789') = '' "
               "THEN CAST(%1 AS INTEGER) "
               "ELSE coalesce(CAST(substring(ltrim(%1) from '^[-+]?[0-9]{1,9}') AS INTEGER), 0) "
               "END)")
        .arg(expression);
}

QString sql_dialect::ascii_lower(const QString& expression) const {
    if (!postgres()) return QStringLiteral("lower(%1)").arg(expression);
    return QStringLiteral(
               "translate(%1, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')")
        .arg(expression);
}

QString sql_dialect::log_name_key() const {
    if (!postgres()) return QString::fromLatin1(schema::log_name_key);
    return QStringLiteral("coalesce(btrim(lastname), '') || ',' || coalesce(btrim(firstname), '')");
}

QString sql_dialect::begin_write() const {
    return postgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
}

QString sql_dialect::create_table(const schema::table& t) const {
    QStringList columns;
    for (const schema::field& f : t.fields) {
        const bool text = f.type == schema::field_type::text;
        // Text compares byte by byte, as in SQLite, in every query and index alike: an
        // index in another collation than the column's serves no lookup.
        const char* type = postgres() ? (text ? " TEXT COLLATE \"C\"" : " SMALLINT")
                                      : (text ? " TEXT" : " INTEGER");
        columns << quoted(f.name) + QLatin1String(type);
    }
    // SQLite numbers every row by itself; PostgreSQL is given the same row number as a
    // column, in the order rows are added.
    if (postgres()) columns << QStringLiteral("rowid BIGINT GENERATED ALWAYS AS IDENTITY");
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(t.name), columns.join(", "));
}

QString sql_dialect::create_index(const schema::index& i) const {
    const schema::table* t = schema::find_table(QLatin1String(i.table));
    QStringList terms;
    if (i.leading_expression)
        terms << (postgres() ? text_key("(" + log_name_key() + ")") : log_name_key());
    QString column = quoted(i.column);
    if (postgres() && t && text_field(*t, i.column)) column = text_key(column) + nulls_first();
    terms << column;
    // The order ties fall back on, as SQLite's own indexes end in the row number.
    if (postgres() && !i.unique) terms << QStringLiteral("rowid");
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(i.unique ? "UNIQUE " : "", quoted(i.name), quoted(i.table), terms.join(", "));
}

}  // namespace zep::data
