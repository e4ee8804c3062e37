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
        person.message(opened.error());
        return dbutil_outcome::refused;
    }
    data::users_table users(db);
    const auto count = users.count();
    if (!count || *count == 0) {
        static_cast<void>(file.close());  // left empty: nothing written that could be lost
        person.message(count ? QString::fromLatin1(no_employees_text) : count.error());
        return dbutil_outcome::refused;
    }
    person.progress(QString::fromLatin1(preparing_export_text));
    const status walked =
        users.walk([&file](const data::user_row& user) { file.write_line(employee_line(user)); });
    const status closed = file.close();
    person.progress(QString());
    if (!walked || !closed) {
        person.message(walked ? closed.error() : walked.error());
        return dbutil_outcome::refused;
    }
    person.message(QString::fromLatin1(export_complete_text));
    return dbutil_outcome::done;
}

}  // namespace zep::records
