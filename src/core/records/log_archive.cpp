#include "core/records/log_archive.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace zep::records {

namespace {

archive_row shown(const data::log_list_row& row) {
    return {row.DateTime, row.lastname.trimmed() + QLatin1Char(',') + row.firstname.trimmed(),
            row.readernum, row.location, row.granted};
}

}  // namespace

qint64 log_archive::refresh() {
    last_.reset();
    const auto counted = query_.count(filter_);
    count_ = counted ? *counted : 0;
    return count_;
}

void log_archive::sort_by(int column) {
    order_ = static_cast<data::log_order>(std::clamp(column, 0, 4));
    last_.reset();
}

std::vector<archive_row> log_archive::fetch(qint64 offset, int limit) {
    const bool continues = last_ && offset == next_offset_;
    const auto rows = continues ? query_.page_after(order_, *last_, limit, filter_)
                                : query_.page(order_, offset, limit, filter_);
    std::vector<archive_row> result;
    if (!rows || rows->empty()) return result;
    result.reserve(rows->size());
    for (const data::log_list_row& row : *rows) result.push_back(shown(row));
    last_ = rows->back();
    next_offset_ = offset + static_cast<qint64>(rows->size());
    return result;
}

void log_archive::set_filter(const data::log_filter& filter) {
    filter_ = filter;
    refresh();
}

namespace {

QString csv_text(const QString& text, bool guarded) {
    QString field = text;
    if (guarded && !field.isEmpty() && QStringLiteral("=+-@").contains(field[0]))
        field.prepend(u'\'');
    static const QRegularExpression special(QStringLiteral("[\",\r\n]"));
    if (!field.contains(special)) return field;
    field.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + field + u'"';
}

}  // namespace

result<qint64> write_log_csv(data::database_file& db, const data::log_filter& filter,
                             const std::function<void(const QByteArray&)>& line) {
    line(QByteArray(log_csv_header) + "\r\n");
    qint64 rows = 0;
    const status walked = data::log_query(db).walk_rows(filter, [&](const data::log_csv_row& r) {
        const QStringList fields{csv_text(r.DateTime, false), csv_text(r.readernum, false),
                                 csv_text(r.location, true),  csv_text(r.idnum, true),
                                 csv_text(r.lastname, true),  csv_text(r.firstname, true),
                                 csv_text(r.granted, false)};
        line(fields.join(u',').toUtf8() + "\r\n");
        ++rows;
    });
    if (!walked) return walked;
    return rows;
}

std::optional<QString> day_bound(const QString& box) {
    const QDate day = QDate::fromString(box.trimmed(), u"MM-dd-yyyy");
    if (!day.isValid()) return std::nullopt;
    return day.toString(u"yyyy-MM-dd");
}

}  // namespace zep::records
