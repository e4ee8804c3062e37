#include "core/records/schedules_register.h"

#include <set>

#include "core/operator.h"
#include "core/records/access_string.h"
#include "core/records/record_change.h"
#include "core/records/users_register.h"

namespace zep::records {

namespace {

constexpr int day_count = 7;

QString* day_field(data::schedule_row& row, int day) {
    std::array<QString*, day_count> fields = {&row.sunday,    &row.monday,   &row.tuesday,
                                              &row.wednesday, &row.thursday, &row.friday,
                                              &row.saturday};
    return fields[static_cast<size_t>(day)];
}

void copy_day(schedule_boxes& boxes, int from_day, int to_day) {
    boxes[static_cast<size_t>(2 * to_day)] = boxes[static_cast<size_t>(2 * from_day)];
    boxes[static_cast<size_t>(2 * to_day + 1)] = boxes[static_cast<size_t>(2 * from_day + 1)];
}

}  // namespace

QString shown_day(const QString& day) {
    return day.left(4) + QStringLiteral(" - ") + day.mid(4, 4);
}

std::array<QString, 7> day_fields(const data::schedule_row& row) {
    return {row.sunday,   row.monday, row.tuesday, row.wednesday,
            row.thursday, row.friday, row.saturday};
}

std::vector<data::schedule_row> schedules_loadup(data::database_file& db, operator_port& person) {
    data::schedules_table table(db);
    std::vector<data::schedule_row> rows;
    std::set<int> present;
    const status walked = table.walk([&](const data::schedule_row& row) {
        rows.push_back(row);
        present.insert(row.schedulenum);
    });
    std::vector<data::schedule_row> missing;
    for (int n = first_schedule; n <= last_schedule; ++n) {
        if (present.contains(n)) continue;
        data::schedule_row row;  // empty name, "00000000" days
        row.schedulenum = static_cast<qint16>(n);
        missing.push_back(row);
    }
    // Unread rows would look missing and be added twice.
    if (!walked || (!missing.empty() && !table.insert_all(missing))) {
        person.message(QString::fromLatin1(internal_error_text));
        return rows;
    }
    rows.insert(rows.end(), missing.begin(), missing.end());
    return rows;
}

std::array<QString, 9> schedule_columns(const data::schedule_row& row) {
    std::array<QString, 9> columns;
    columns[0] = access_string::three_digits(row.schedulenum);
    columns[1] = row.schedulename;
    const auto days = day_fields(row);
    for (int k = 0; k < day_count; ++k) {
        columns[static_cast<size_t>(k + 2)] = shown_day(days[static_cast<size_t>(k)]);
    }
    return columns;
}

schedule_form idle_schedule_form() {
    schedule_form form;
    form.boxes.fill(QStringLiteral("0000"));
    return form;
}

void copy_monday_to_friday(schedule_boxes& boxes) {
    for (int day = 2; day <= 5; ++day) copy_day(boxes, 1, day);
}

void copy_monday_to_saturday(schedule_boxes& boxes) {
    for (int day = 2; day <= 6; ++day) copy_day(boxes, 1, day);
}

void copy_sunday_to_saturday(schedule_boxes& boxes) {
    for (int day = 1; day <= 6; ++day) copy_day(boxes, 0, day);
}

std::optional<int> box_below(int box) {
    if (box + 2 > 13) return std::nullopt;
    return box + 2;
}

std::optional<int> box_above(int box) {
    if (box - 2 < 0) return std::nullopt;
    return box - 2;
}

bool time_box_key(QChar c) {
    return c.isDigit();
}

status validate_schedule_times(const schedule_boxes& boxes) {
    for (const QString& box : boxes) {
        if (box.size() != 4) return status::failure(QString::fromLatin1(times_not_4_digits_text));
        // Compared as text, as typed: minutes are not looked at.
        if (box > QLatin1String("2359")) {
            return status::failure(QString::fromLatin1(time_above_2359_text));
        }
    }
    return {};
}

data::schedule_row schedule_row_from_form(const schedule_form& form) {
    data::schedule_row row;
    row.schedulenum = form.schedulenum;
    row.schedulename = form.name;
    for (int k = 0; k < day_count; ++k) {
        *day_field(row, k) =
            form.boxes[static_cast<size_t>(2 * k)] + form.boxes[static_cast<size_t>(2 * k + 1)];
    }
    return row;
}

schedule_update update_schedule(data::database_file& db, operator_port& person,
                                const schedule_form& form, const schedule_form* as_read) {
    const auto refuse = [&person](const QString& why) {
        person.message(why);
        return schedule_update::refused;
    };
    if (status valid = validate_schedule_times(form.boxes); !valid) return refuse(valid.error());
    data::schedules_table table(db);
    const auto found = table.find(form.schedulenum);
    if (found && !*found) return schedule_update::not_in_table;
    if (!found) return refuse(QString::fromLatin1(internal_error_text));
    const auto changed = [&person] {
        person.message(QString::fromLatin1(changed_elsewhere_text));
        return schedule_update::changed_elsewhere;
    };
    if (as_read && schedule_row_from_form(*as_read) != **found) return changed();
    const auto written = table.update_if(**found, schedule_row_from_form(form));
    if (!written) return refuse(QString::fromLatin1(internal_error_text));
    return *written ? schedule_update::stored : changed();
}

}  // namespace zep::records
