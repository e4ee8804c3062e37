#pragma once

#include <QString>

#include "utility_file.h"

namespace zep {

class database_file;
class operator_port;

inline constexpr auto deleting_records_text = "Deleting Records";
inline constexpr auto delete_start_box = "Delete Start Date";
inline constexpr auto delete_end_box = "Delete End Date";

// "Deletion Complete - " + count + " Records Deleted"
QString deletion_complete_text(qint64 count);

// Deletes every log row dated within the two boxes (mm-dd-yyyy, both ends included);
// there is no confirmation question. `deleted` receives the count when given.
utility_outcome delete_log_dates(database_file& db, operator_port& person, const QString& start_box,
                                 const QString& end_box, qint64* deleted = nullptr);

}  // namespace zep
