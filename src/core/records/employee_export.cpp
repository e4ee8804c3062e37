#include "employee_export.h"

#include "operator.h"

namespace zep {

namespace {

constexpr int name_width = 30;
constexpr auto gap = "     ";

}  // namespace

QString employee_line(const user_row& user) {
    return fixed_width(user.lastname + QLatin1Char(',') + user.firstname, name_width) +
           QLatin1String(gap) + user.userid;
}

utility_outcome export_employees(database_file& db, operator_port& person) {
    const auto path = ask_export_path(person, employee_export_file_name);
    if (!path) return utility_outcome::cancelled;
    export_file file(*path);
    if (!file.open()) {
        person.message(file.error());
        return utility_outcome::refused;
    }
    users_table users(db);
    if (users.count() == 0) {
        file.close();
        person.message(QString::fromLatin1(no_employees_text));
        return utility_outcome::refused;
    }
    person.progress(QString::fromLatin1(preparing_export_text));
    users.walk([&file](const user_row& user) { file.write_line(employee_line(user)); });
    const bool closed = file.close();
    person.progress(QString());
    if (!closed) {
        person.message(file.error());
        return utility_outcome::refused;
    }
    person.message(QString::fromLatin1(export_complete_text));
    return utility_outcome::done;
}

}  // namespace zep
