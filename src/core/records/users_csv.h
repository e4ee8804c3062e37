#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/data/users_table.h"
#include "core/result.h"

namespace zep::data {
class database_file;
}

namespace zep::records {

// Card holders to and from CSV (RFC 4180: a header row, quoted fields, UTF-8 with or
// without a byte-order mark). The header is userid,lastname,firstname, then any of the
// columns reader_000 .. reader_126, in any order, each holding that reader's schedule code
// ("00".."99"; "5" is read as "05", as a spreadsheet writes "05") or nothing for no access.

// What an import would do, found before anything is written.
struct users_import_plan {
    std::vector<data::user_row> added;    // new IDs
    std::vector<data::user_row> updated;  // existing IDs whose names or access change
    qint64 unchanged = 0;
    // One line per faulty line of the file: "line 4: the ID is empty". Any fault refuses
    // the whole file.
    QStringList faults;
    // The rows of the file as they would be stored, the first ones only, for a preview.
    std::vector<data::user_row> preview;
    bool ok() const { return faults.isEmpty(); }
};

inline constexpr int preview_rows = 20;

// Reads `path` against the users stored now. With `replace`, access at readers whose column
// the file lacks is removed; otherwise it stays. A file that cannot be read is a failure.
result<users_import_plan> plan_users_import(data::database_file& db, const QString& path,
                                            bool replace);
// Writes a faultless plan in one transaction: all of it or nothing.
status apply_users_import(data::database_file& db, const users_import_plan& plan);
// "3 added, 1 updated, 495 unchanged".
QString import_summary(const users_import_plan& plan);

// Writes every user, in ID order, with a column for each reader at least one user may
// enter; a name a spreadsheet would run as a formula (=, +, -, @ first) gets a leading
// apostrophe, which the import takes off again. The count of users written.
result<qint64> export_users_csv(data::database_file& db, const QString& path);

}  // namespace zep::records
