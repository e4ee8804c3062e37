#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/data/schedules_table.h"
#include "core/result.h"

namespace zep {
class operator_port;
}
namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto times_not_4_digits_text = "All times must be 4 digits long";
inline constexpr auto time_above_2359_text = "Time cannot be > 2359";
inline constexpr auto schedule_heading_prefix = "Schedule ";

inline constexpr std::array<const char*, 9> schedule_column_headers = {
    "Schedule #", "Name",     "Sunday", "Monday",  "Tuesday",
    "Wednesday",  "Thursday", "Friday", "Saturday"};

inline constexpr int first_schedule = 1;
inline constexpr int last_schedule = 99;

// A day field hhmmhhmm as shown: "0800 - 1730".
QString shown_day(const QString& day);
// The seven day fields of a row, Sunday first.
std::array<QString, 7> day_fields(const data::schedule_row& row);

// Creates the missing rows 1..99 ("00000000" days) and returns every row in list order.
// When the table cannot be read or written the operator is told "Internal Database Error"
// and gets the rows the table holds.
std::vector<data::schedule_row> schedules_loadup(data::database_file& db, operator_port& person);
// The nine list columns of a row.
std::array<QString, 9> schedule_columns(const data::schedule_row& row);

// The fourteen time boxes: box 2k starts and box 2k+1 ends day k (0 = Sunday).
using schedule_boxes = std::array<QString, 14>;

struct schedule_form {
    qint16 schedulenum = 0;
    QString name;
    schedule_boxes boxes;

    bool operator==(const schedule_form&) const = default;
};

// The idle state: every box "0000".
schedule_form idle_schedule_form();

// The copy buttons "M-F", "M-S", "S-S".
void copy_monday_to_friday(schedule_boxes& boxes);
void copy_monday_to_saturday(schedule_boxes& boxes);
void copy_sunday_to_saturday(schedule_boxes& boxes);

// Arrow keys: the same box of the next or previous day; no wrap.
std::optional<int> box_below(int box);
std::optional<int> box_above(int box);
bool time_box_key(QChar c);

// A failure is the message refusing the times.
status validate_schedule_times(const schedule_boxes& boxes);
data::schedule_row schedule_row_from_form(const schedule_form& form);

enum class schedule_update { refused, stored, not_in_table, changed_elsewhere };

// "Update This Schedule": validates (telling the operator why not) and stores the row. A
// database failure is refused with "Internal Database Error". With `as_read` (the form as
// the screen loaded it) the row is written only while the table still holds that; when
// another program changed it meanwhile, changed_elsewhere_text is said and nothing written.
schedule_update update_schedule(data::database_file& db, operator_port& person,
                                const schedule_form& form, const schedule_form* as_read = nullptr);

}  // namespace zep::records
