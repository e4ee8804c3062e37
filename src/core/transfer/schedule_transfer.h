#pragma once

#include <QString>

#include "core/transfer/transfer_link.h"
#include "core/transfer/upload_file.h"

namespace zep::transfer {

inline constexpr auto schedule_download_question =
    "This will add/update the schedules in the reader\rDo you wish to continue?";
inline constexpr auto schedule_upload_question =
    "This will upload the schedules in the reader\rDo you wish to continue?";
inline constexpr auto schedule_download_complete_text = "     Schedule Download Complete         ";
inline constexpr auto schedule_file_name = "schedule.txt";

// Sends every record of the file with "SA", unchecked, in order; a refused or unanswered
// record ends the download there.
transfer_outcome download_schedules(link::reader_link& link, const link::link_endpoint& reader,
                                    const QString& file, operator_port& person,
                                    const transfer_view& view = {});
// Writes schedules 001..099, seven lines each (693 lines), into a new file.
transfer_outcome upload_schedules(link::reader_link& link, const link::link_endpoint& reader,
                                  const QString& file, line_end end, operator_port& person,
                                  const transfer_view& view = {});

}  // namespace zep::transfer
