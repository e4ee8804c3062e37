#pragma once

#include <QString>

#include "core/records/utility_file.h"

namespace zep {
class operator_port;
}
namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto deleting_records_text = "Deleting Records";
inline constexpr auto delete_start_box = "Delete Start Date";
inline constexpr auto delete_end_box = "Delete End Date";

// "Deletion Complete - " + count + " Records Deleted"
QString deletion_complete_text(qint64 count);

// "Delete 82,192 log records from 03-01-2005 to 03-31-2005?" for dates "yyyy-mm-dd".
QString delete_log_question(qint64 count, const QString& from_date, const QString& to_date);

// Deletes every log row dated within the two boxes (mm-dd-yyyy, both ends included),
// once the operator agreed to the count (No deletes nothing and says nothing). `deleted`
// receives the count when given.
dbutil_outcome delete_log_dates(data::database_file& db, operator_port& person,
                                const QString& start_box, const QString& end_box,
                                qint64* deleted = nullptr);

}  // namespace zep::records
