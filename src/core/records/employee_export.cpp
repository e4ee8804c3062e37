#include "core/records/employee_export.h"

#include "core/operator.h"

namespace zep::records {

namespace {

constexpr int name_width = 30;
constexpr auto gap = "     ";

}  // namespace

QString employee_line(const data::user_row& user) {
    return fixed_width(user.lastname + QLatin1Char(',') + user.firstname, name_width) +
           QLatin1String(gap) + user.userid;
}

dbutil_outcome export_employees(data::database_file& db, operator_port& person) {
    const auto path = ask_export_path(person, employee_export_file_name);
    if (!path) return dbutil_outcome::cancelled;
    export_file file(*path);
    if (status opened = file.open(); !opened) {
        person.message(export_failed_text(opened.error()));
        return dbutil_outcome::refused;
    }
    data::users_table users(db);
    const auto no_rows = users.empty();
    if (!no_rows || *no_rows) {
        static_cast<void>(file.close());  // left empty: nothing written that could be lost
        person.message(no_rows ? QString::fromLatin1(no_employees_text)
                               : export_failed_text(no_rows.error()));
        return dbutil_outcome::refused;
    }
    person.progress(QString::fromLatin1(preparing_export_text));
    const status walked =
        users.walk([&file](const data::user_row& user) { file.write_line(employee_line(user)); });
    return finish_export(person, file, walked);
}

}  // namespace zep::records
