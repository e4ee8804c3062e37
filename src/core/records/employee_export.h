#pragma once

#include <QString>

#include "data/users_table.h"
#include "utility_file.h"

namespace zep {

class database_file;
class operator_port;

inline constexpr auto no_employees_text = "There are no employees in the file";
inline constexpr auto employee_export_file_name = "employees.txt";

// lastname + "," + firstname in 30 characters, five blanks, userid; no line end.
QString employee_line(const user_row& user);

// Exports every user in `userid` order into the file the operator chooses.
utility_outcome export_employees(database_file& db, operator_port& person);

}  // namespace zep
