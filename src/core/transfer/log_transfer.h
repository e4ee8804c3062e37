#pragma once

#include <QString>

#include "core/transfer/transfer_link.h"
#include "core/transfer/upload_file.h"

namespace zep::transfer {

inline constexpr auto log_cleared_text = "Log Data Cleared - Verify by checking Memory Status";
// Asked (No the default) before a reader's log is cleared without being uploaded.
inline constexpr auto clear_log_question =
    "Clear the reader's log without uploading it? Its transactions will be lost.";
inline constexpr auto log_upload_file_name = "uploadlog.txt";

// Writes the reader's transactions ("lr", then "l" until "END"), each line as received,
// into a new file. The reader's log is left as it is.
transfer_outcome upload_log(link::reader_link& link, const link::link_endpoint& reader,
                            const QString& file, line_end end, operator_port& person,
                            const transfer_view& view = {});
transfer_outcome clear_log(link::reader_link& link, const link::link_endpoint& reader,
                           operator_port& person);

}  // namespace zep::transfer
