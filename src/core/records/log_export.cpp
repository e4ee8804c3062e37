#include "core/records/log_export.h"

#include <cmath>

#include "core/data/log_query.h"
#include "core/operator.h"
#include "core/records/access_string.h"
#include "core/records/text_value.h"

namespace zep::records {

namespace {

constexpr int name_width = 20;
constexpr int idnum_width = 18;
constexpr int location_width = 15;

QString reader_digits(const QString& readernum) {
    return access_string::three_digits(static_cast<int>(text_value(readernum)));
}

struct export_range {
    QString from;
    QString to;
};

std::optional<export_range> read_range(operator_port& person, const log_export_options& options) {
    const auto from = date_bound(options.start_box);
    if (!from) {
        person.message(invalid_date_text(QString::fromLatin1(export_start_box)));
        return std::nullopt;
    }
    const auto to = date_bound(options.end_box);
    if (!to) {
        person.message(invalid_date_text(QString::fromLatin1(export_end_box)));
        return std::nullopt;
    }
    return export_range{*from, *to};
}

data::log_line_layout layout(bool fixed) {
    data::log_line_layout shape{name_width, idnum_width, location_width, fixed,
                                QStringLiteral(" ")};
    if (!fixed) shape.separator = QStringLiteral(",");
    return shape;
}

dbutil_outcome write_rows(data::database_file& db, operator_port& person, export_file& file,
                          const data::log_line_filter& filter, bool fixed) {
    const auto count = data::log_table(db).count();
    if (!count || *count == 0) {
        static_cast<void>(file.close());  // left empty: nothing written that could be lost
        person.message(count ? QString::fromLatin1(no_log_items_text) : count.error());
        return dbutil_outcome::refused;
    }
    person.progress(QString::fromLatin1(preparing_export_text));
    const status walked = data::log_query(db).export_lines(
        layout(fixed), filter, [&file](const QString& line) { file.write_line(line); });
    const status closed = file.close();
    person.progress(QString());
    if (!walked || !closed) {
        person.message(walked ? closed.error() : walked.error());
        return dbutil_outcome::refused;
    }
    person.message(QString::fromLatin1(export_complete_text));
    return dbutil_outcome::done;
}

}  // namespace

QString fixed_log_line(const data::log_row& row) {
    const QChar blank(QLatin1Char(' '));
    return row.DateTime + blank + fixed_width(row.lastname, name_width) + blank +
           fixed_width(row.firstname, name_width) + blank + fixed_width(row.idnum, idnum_width) +
           blank + reader_digits(row.readernum) + blank +
           fixed_width(row.location, location_width) + blank + row.granted;
}

QString comma_log_line(const data::log_row& row) {
    const QChar comma(QLatin1Char(','));
    // Cut first, then trimmed: a long name loses its tail before its blanks go.
    return row.DateTime + comma + trim_blanks(row.lastname.left(name_width)) + comma +
           trim_blanks(row.firstname.left(name_width)) + comma +
           trim_blanks(row.idnum.left(idnum_width)) + comma + reader_digits(row.readernum) + comma +
           trim_blanks(row.location.left(location_width)) + comma + row.granted;
}

dbutil_outcome export_log(data::database_file& db, operator_port& person,
                          const log_export_options& options) {
    const double reader = std::nearbyint(text_value(options.reader_box));
    if (reader >= 127) {
        person.message(QString::fromLatin1(reader_number_too_high_text));
        return dbutil_outcome::refused;
    }
    const auto range = read_range(person, options);
    if (!range) return dbutil_outcome::refused;
    const auto path = ask_export_path(person, log_export_file_name);
    if (!path) return dbutil_outcome::cancelled;
    export_file file(*path);
    if (status opened = file.open(); !opened) {
        person.message(opened.error());
        return dbutil_outcome::refused;
    }
    const data::log_line_filter filter{range->from, range->to, static_cast<int>(reader),
                                       trim_blanks(options.user_id_box)};
    return write_rows(db, person, file, filter, options.fixed);
}

}  // namespace zep::records
