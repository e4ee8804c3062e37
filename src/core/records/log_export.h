#pragma once

#include <QString>

#include "core/data/log_table.h"
#include "core/records/utility_file.h"

namespace zep {
class operator_port;
}
namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto reader_number_too_high_text = "Reader number must be < 127";
inline constexpr auto no_log_items_text = "There are no items in the log file";
inline constexpr auto log_export_file_name = "extract.txt";
inline constexpr auto export_start_box = "Export Start Date";
inline constexpr auto export_end_box = "Export End Date";

// The "Export Log Data" panel as filled in.
struct log_export_options {
    QString start_box;  // mm-dd-yyyy
    QString end_box;
    QString reader_box;   // blank or 0 = all readers
    QString user_id_box;  // blank = all IDs, else the exact `idnum` (both trimmed)
    bool fixed = true;    // "Fixed Format", else "Comma Delimited"
};

// The line of a log row in each layout, without its line end. The export itself has the
// database build the same lines (see log_line_layout), which keeps a large export fast.
QString fixed_log_line(const data::log_row& row);
QString comma_log_line(const data::log_row& row);

// Exports the log rows of the date range (and reader, and ID) in `datetime` order into
// the file the operator chooses.
dbutil_outcome export_log(data::database_file& db, operator_port& person,
                          const log_export_options& options);

}  // namespace zep::records
