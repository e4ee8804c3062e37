#pragma once

#include <QString>

#include "core/result.h"

namespace zep::data {
class database_file;
}

namespace zep {

namespace bench {

// Fills `db` with `log_rows` log rows spread over the year 2005 (in date order, several
// readers and IDs) and `users` users named after their number; readers and schedules
// rows are created too. Deterministic, so runs compare.
status generate_records(data::database_file& db, qint64 log_rows, qint64 users);

}  // namespace bench
}  // namespace zep
