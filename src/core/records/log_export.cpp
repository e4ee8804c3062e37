#include "core/records/log_export.h"

#include <cmath>

#include "core/data/log_query.h"
#include "core/data/log_table.h"
#include "core/operator.h"
#include "core/records/text_value.h"

namespace zep::records {

namespace {

constexpr int name_width = 20;
constexpr int idnum_width = 18;
constexpr int location_width = 15;

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
    const auto no_rows = data::log_table(db).empty();
    if (!no_rows || *no_rows) {
        static_cast<void>(file.close());  // left empty: nothing written that could be lost
        person.message(no_rows ? QString::fromLatin1(no_log_items_text)
                               : export_failed_text(no_rows.error()));
        return dbutil_outcome::refused;
    }
    person.progress(QString::fromLatin1(preparing_export_text));
    const status walked = data::log_query(db).export_lines(
        layout(fixed), filter, [&file](const QString& line) { file.write_line(line); });
    return finish_export(person, file, walked);
}

}  // namespace

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
        person.message(export_failed_text(opened.error()));
        return dbutil_outcome::refused;
    }
    const data::log_line_filter filter{range->from, range->to, static_cast<int>(reader),
                                       trim_blanks(options.user_id_box)};
    return write_rows(db, person, file, filter, options.fixed);
}

}  // namespace zep::records
