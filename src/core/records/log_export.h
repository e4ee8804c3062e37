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

// Exports the log rows of the date range (and reader, and ID) in `datetime` order into
// the file the operator chooses, one line each as log_line_layout describes, built by the
// database so that a large export is fast.
dbutil_outcome export_log(data::database_file& db, operator_port& person,
                          const log_export_options& options);

}  // namespace zep::records
