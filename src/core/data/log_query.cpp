#include "core/data/log_query.h"

#include <QDate>

#include "core/data/database_file.h"
#include "core/data/schema.h"
#include "core/data/sql_statement.h"

namespace zep::data {

namespace {

// NULL keys (rows written by other programs) sort and compare as empty text; the
// date-time stays bare so that its index serves the default order (see page_after).
QString sort_key(const sql_dialect& d, log_order order) {
    switch (order) {
        case log_order::date_time:
            return d.text_key(QStringLiteral("\"DateTime\""));
        case log_order::name:
            // The same text as the index made for it, or the database would not match the two.
            return d.text_key(d.postgres() ? "(" + d.log_name_key() + ")" : d.log_name_key());
        case log_order::readernum:
            return d.text_key(QStringLiteral("coalesce(CAST(readernum AS TEXT), '')"));
        case log_order::location:
            return d.text_key(QStringLiteral("coalesce(location, '')"));
        case log_order::granted:
            break;
    }
    return d.text_key(QStringLiteral("coalesce(granted, '')"));
}

QString select_part(const sql_dialect& d, log_order order) {
    return "SELECT \"DateTime\", lastname, firstname, readernum, location, granted, " +
           sort_key(d, order) + ", rowid, \"DateTime\" IS NULL FROM log ";
}

// The date-time order is the index's own; other keys fall back on it for ties.
QString order_part(const sql_dialect& d, log_order order) {
    const QString date_order = sort_key(d, log_order::date_time) + d.nulls_first() + ", rowid";
    if (order == log_order::date_time) return " ORDER BY " + date_order;
    return " ORDER BY " + sort_key(d, order) + ", " + date_order;
}

// The WHERE terms of `filter` (with " AND " before each), their values appended in order.
QString filter_part(const sql_dialect& d, const log_filter& filter, QVariantList& values) {
    QString where;
    const QString date = sort_key(d, log_order::date_time);
    if (!filter.from.isEmpty()) {
        where += " AND " + date + " >= ?";
        values << filter.from;
    }
    if (!filter.to.isEmpty()) {
        // A day goes up to the next one; a time is the last one included.
        if (filter.to.size() == 10) {
            where += " AND " + date + " < ?";
            values
                << QDate::fromString(filter.to, u"yyyy-MM-dd").addDays(1).toString(u"yyyy-MM-dd");
        } else {
            where += " AND " + date + " <= ?";
            values << filter.to;
        }
    }
    if (filter.reader >= 0) {
        where += " AND " + d.integer_of(QStringLiteral("readernum")) + " = ?";
        values << filter.reader;
    }
    if (!filter.match.isEmpty()) {
        QString pattern;
        for (const QChar c : filter.match) {
            if (c == u'%' || c == u'_' || c == u'\\') pattern += u'\\';
            pattern += c.isUpper() && c.unicode() < 128 ? c.toLower() : c;
        }
        pattern = u'%' + pattern + u'%';
        QStringList terms;
        for (const char* column : {"idnum", "lastname", "firstname"}) {
            terms << d.ascii_lower(QStringLiteral("coalesce(%1, '')").arg(QLatin1String(column))) +
                         " LIKE ? ESCAPE '\\'";
            values << pattern;
        }
        where += " AND (" + terms.join(QStringLiteral(" OR ")) + ")";
    }
    if (filter.granted != log_filter::outcome::all) {
        where += QStringLiteral(" AND granted = ?");
        values << (filter.granted == log_filter::outcome::granted ? QStringLiteral("Y")
                                                                  : QStringLiteral("N"));
    }
    return where;
}

// A field cut to `width` characters, then padded to it or stripped of blanks; the pad and
// width are bound, so only the shape of the expression lives here.
QString cut_field(const sql_dialect& d, const QString& column, bool padded) {
    const QString text = "coalesce(" + column + ", '')";
    if (padded) return "substr(" + text + " || ?, 1, ?)";  // padding, then the cut
    return d.trim_blanks("substr(" + text + ", 1, ?)");
}

void bind_cut(QVariantList& values, int width, bool padded) {
    if (padded) values << QString(width, QLatin1Char(' '));
    values << width;
}

}  // namespace

status log_query::export_lines(const log_line_layout& layout, const log_line_filter& filter,
                               const std::function<void(const QString&)>& visit) {
    const sql_dialect& d = db_.dialect();
    const bool padded = layout.padded;
    // Built left to right: each placeholder's value is appended as it is written.
    QVariantList values;
    QString line = QStringLiteral("coalesce(\"DateTime\", '')");
    const auto add_cut = [&](const char* column, int width) {
        line += " || ? || " + cut_field(d, QLatin1String(column), padded);
        values << layout.separator;
        bind_cut(values, width, padded);
    };
    add_cut("lastname", layout.name_width);
    add_cut("firstname", layout.name_width);
    add_cut("idnum", layout.idnum_width);
    line += " || ? || " + d.three_digits(d.integer_of(QStringLiteral("readernum")));
    values << layout.separator;
    add_cut("location", layout.location_width);
    line += QStringLiteral(" || ? || coalesce(granted, '')");
    values << layout.separator;
    values << filter.from_date << filter.to_date;
    QString sql = "SELECT " + line + " FROM log WHERE " +
                  d.text_key(QStringLiteral("substr(\"DateTime\", 1, 10)")) + " BETWEEN ? AND ?";
    // Only the filters asked for: a server evaluates both sides of an OR on every row.
    if (filter.reader != 0) {
        sql += " AND " + d.integer_of(QStringLiteral("readernum")) + " = ?";
        values << filter.reader;
    }
    if (!filter.idnum.isEmpty()) {
        sql += " AND " + d.trim_blanks(QStringLiteral("idnum")) + " = ?";
        values << filter.idnum;
    }
    sql += order_part(d, log_order::date_time);
    QSqlQuery q = sql::forward_query(db_);
    const status ran = sql::exec(q, sql, values);
    if (!ran) return ran;
    while (q.next()) visit(q.value(0).toString());
    return sql::finished(q);
}

result<qint64> log_query::count(const log_filter& filter) {
    if (!filter.any()) return sql::count_rows(db_, QStringLiteral("log"));
    QVariantList values;
    const QString where = filter_part(db_.dialect(), filter, values);
    QSqlQuery q = sql::forward_query(db_);
    if (status ran = sql::exec(q, "SELECT count(*) FROM log WHERE 1 = 1" + where, values); !ran)
        return ran;
    if (!q.next()) {
        const status read = sql::finished(q);
        return read ? status::failure(QStringLiteral("the log could not be counted")) : read;
    }
    return q.value(0).toLongLong();
}

result<std::vector<log_list_row>> log_query::page(log_order order, qint64 offset, int limit,
                                                  const log_filter& filter) {
    const sql_dialect& d = db_.dialect();
    QVariantList values;
    const QString where = filter_part(d, filter, values);
    values << limit << offset;
    return run(
        select_part(d, order) + "WHERE 1 = 1" + where + order_part(d, order) + " LIMIT ? OFFSET ?",
        values);
}

result<std::vector<log_list_row>> log_query::page_after(log_order order, const log_list_row& last,
                                                        int limit, const log_filter& filter) {
    const sql_dialect& d = db_.dialect();
    const bool by_date = order == log_order::date_time;
    const QString key = sort_key(d, order);
    const QString date = sort_key(d, log_order::date_time);
    QString where;
    QVariantList values;
    if (!by_date) {
        // The key alone lets SQLite seek in an index on it (the name index); the row value
        // alone would have it scan the index from the start.
        where = key + " >= ? AND ";
        values << last.sort_key << last.sort_key;
    }
    if (last.date_null) {
        // A row value holding NULL compares as nothing: after a row without a date-time
        // come the dated rows and the undated ones stored later.
        where += by_date ? QStringLiteral("(\"DateTime\" IS NOT NULL OR rowid > ?)")
                         : "(" + key + " > ? OR \"DateTime\" IS NOT NULL OR rowid > ?)";
        values << last.id;
    } else {
        where += by_date ? "(" + date + ", rowid) > (?, ?)"
                         : "(" + key + ", " + date + ", rowid) > (?, ?, ?)";
        values << last.DateTime << last.id;
    }
    where += filter_part(d, filter, values);
    values << limit;
    return run(select_part(d, order) + "WHERE " + where + order_part(d, order) + " LIMIT ?",
               values);
}

status log_query::walk_rows(const log_filter& filter,
                            const std::function<void(const log_csv_row&)>& visit) {
    const sql_dialect& d = db_.dialect();
    QVariantList values;
    const QString where = filter_part(d, filter, values);
    QSqlQuery q = sql::forward_query(db_);
    const status ran = sql::exec(q,
                                 "SELECT \"DateTime\", readernum, location, idnum, lastname, "
                                 "firstname, granted FROM log WHERE 1 = 1" +
                                     where + order_part(d, log_order::date_time),
                                 values);
    if (!ran) return ran;
    while (q.next()) {
        visit({sql::text(q, 0), sql::text(q, 1), sql::text(q, 2), sql::text(q, 3), sql::text(q, 4),
               sql::text(q, 5), sql::text(q, 6)});
    }
    return sql::finished(q);
}

result<std::vector<log_bucket>> log_query::buckets(const log_filter& filter, bool hourly) {
    QVariantList values;
    const QString where = filter_part(db_.dialect(), filter, values);
    const QString key = QStringLiteral("substr(\"DateTime\", 1, %1)").arg(hourly ? 13 : 10);
    QSqlQuery q = sql::forward_query(db_);
    const status ran = sql::exec(
        q,
        "SELECT " + key +
            ", sum(CASE WHEN granted = 'Y' THEN 1 ELSE 0 END), "
            "sum(CASE WHEN granted = 'N' THEN 1 ELSE 0 END) FROM log WHERE \"DateTime\" IS NOT "
            "NULL" +
            where + " GROUP BY " + key + " ORDER BY " + db_.dialect().text_key(key),
        values);
    if (!ran) return ran;
    std::vector<log_bucket> bars;
    while (q.next())
        bars.push_back({sql::text(q, 0), q.value(1).toLongLong(), q.value(2).toLongLong()});
    if (status read = sql::finished(q); !read) return read;
    return bars;
}

result<QString> log_query::edge(const log_filter& filter, bool last) {
    QVariantList values;
    const sql_dialect& d = db_.dialect();
    const QString where = filter_part(d, filter, values);
    const QString date = sort_key(d, log_order::date_time);
    // One end of the date index: min() and max() together would read the whole log.
    QSqlQuery q = sql::forward_query(db_);
    const status ran = sql::exec(q,
                                 "SELECT \"DateTime\" FROM log WHERE \"DateTime\" IS NOT NULL" +
                                     where + " ORDER BY " + date +
                                     (last ? QStringLiteral(" DESC") : QString()) + " LIMIT 1",
                                 values);
    if (!ran) return ran;
    const QString found = q.next() ? sql::text(q, 0) : QString();
    if (status read = sql::finished(q); !read) return read;
    return found;
}

result<std::vector<log_list_row>> log_query::run(const QString& sql, const QVariantList& values) {
    QSqlQuery q = sql::forward_query(db_);
    if (status ran = sql::exec(q, sql, values); !ran) return ran;
    std::vector<log_list_row> rows;
    while (q.next()) {
        rows.push_back({sql::text(q, 0), sql::text(q, 1), sql::text(q, 2), sql::text(q, 3),
                        sql::text(q, 4), sql::text(q, 5), sql::text(q, 6), q.value(7).toLongLong(),
                        q.value(8).toBool()});
    }
    if (status read = sql::finished(q); !read) return read;
    return rows;
}

}  // namespace zep::data
