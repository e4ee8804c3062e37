#include "core/records/log_archive.h"

#include <QDate>
#include <QStringList>
#include <algorithm>

#include "core/records/csv_text.h"

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

// Blanks around a text are padding from the fixed-width past, as the comma export trims.
QString csv_text(const QString& text, bool guarded) {
    return csv_field(guarded ? formula_guarded(text.trimmed()) : text.trimmed());
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

namespace {
constexpr qint64 longest_filled_range_days = 3660;
}  // namespace

result<log_activity> activity(data::database_file& db, const data::log_filter& filter) {
    data::log_query query(db);
    log_activity chart;
    // The range's first and last day: the filter's bounds where it has them, else the
    // first and last row it lets through.
    const auto day_of = [&](const QString& bound, bool last) -> result<QDate> {
        if (!bound.isEmpty()) return QDate::fromString(bound.left(10), u"yyyy-MM-dd");
        const auto row = query.edge(filter, last);
        if (!row) return row.as_status();
        return QDate::fromString(row->left(10), u"yyyy-MM-dd");
    };
    const auto first = day_of(filter.from, false);
    if (!first) return first.as_status();
    const auto last = day_of(filter.to, true);
    if (!last) return last.as_status();
    if (!first->isValid() || !last->isValid()) return chart;
    chart.hourly = first->daysTo(*last) < longest_hourly_range_days;
    const auto grouped = query.buckets(filter, chart.hourly);
    if (!grouped) return grouped.as_status();
    if (grouped->empty()) return chart;
    // A stray date decades away would make the axis thousands of empty days long: beyond
    // ten years only the days that hold entries are bars.
    if (first->daysTo(*last) > longest_filled_range_days) {
        chart.bars = *grouped;
        return chart;
    }
    // Every hour or day of the range in order, those without rows as zero.
    std::size_t next = 0;
    const auto add = [&](const QString& key) {
        while (next < grouped->size() && (*grouped)[next].key < key)
            chart.bars.push_back((*grouped)[next++]);  // a date the range does not hold
        if (next < grouped->size() && (*grouped)[next].key == key)
            chart.bars.push_back((*grouped)[next++]);
        else
            chart.bars.push_back({key, 0, 0});
    };
    for (QDate day = *first; day <= *last; day = day.addDays(1)) {
        const QString date = day.toString(u"yyyy-MM-dd");
        if (!chart.hourly) {
            add(date);
            continue;
        }
        for (int hour = 0; hour < 24; ++hour)
            add(date + u' ' + QString::number(hour).rightJustified(2, u'0'));
    }
    while (next < grouped->size()) chart.bars.push_back((*grouped)[next++]);
    return chart;
}

std::optional<QString> filter_bound(const QString& box, bool end) {
    const QString text = box.simplified();
    if (text.isEmpty()) return QString();
    const QDate day = QDate::fromString(text.left(10), u"MM-dd-yyyy");
    if (!day.isValid()) return std::nullopt;
    if (text.size() == 10) return day.toString(u"yyyy-MM-dd");
    const QTime minute = QTime::fromString(text.mid(11), u"hh:mm");
    if (text[10] != u' ' || !minute.isValid()) return std::nullopt;
    return day.toString(u"yyyy-MM-dd ") + minute.toString(u"hh:mm") +
           (end ? QStringLiteral(":59") : QStringLiteral(":00"));
}

std::pair<QString, QString> bar_bounds(const QString& bar_key) {
    const QString day = QDate::fromString(bar_key.left(10), u"yyyy-MM-dd").toString(u"MM-dd-yyyy");
    if (bar_key.size() <= 10) return {day, day};
    const QString hour = bar_key.mid(11, 2);
    return {day + u' ' + hour + QStringLiteral(":00"), day + u' ' + hour + QStringLiteral(":59")};
}

}  // namespace zep::records
