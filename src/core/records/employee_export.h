#pragma once

#include <QString>

#include "core/data/users_table.h"
#include "core/records/utility_file.h"

namespace zep {
class operator_port;
}
namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto no_employees_text = "There are no employees in the file";
inline constexpr auto employee_export_file_name = "employees.txt";

// lastname + "," + firstname in 30 characters, five blanks, userid; no line end.
QString employee_line(const data::user_row& user);

// Exports every user in `userid` order into the file the operator chooses.
dbutil_outcome export_employees(data::database_file& db, operator_port& person);

}  // namespace zep::records
