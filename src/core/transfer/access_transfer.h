#pragma once

#include <QString>
#include <optional>

#include "core/transfer/transfer_link.h"
#include "core/transfer/upload_file.h"

namespace zep::transfer {

inline constexpr auto download_question =
    "This will replace the current Access List in the reader\rDo you wish to continue?";
inline constexpr auto download_complete_text = "        Download Complete         ";
// Asked after download_question when the file holds no ID at all.
inline constexpr auto empty_download_question =
    "The file holds no IDs: the reader's access list will be emptied. Continue?";
inline constexpr auto upload_complete_text = "        Upload Complete         ";
inline constexpr auto access_cleared_text = "Access List Cleared - Verify by checking Memory Usage";
inline constexpr auto access_download_file_name = "accesslist.txt";
inline constexpr auto access_upload_file_name = "uploadacc.txt";
// F1 for files the program writes, F2 for files it reads.
inline constexpr auto save_filter = "Text (*.txt)|*.txt";
inline constexpr auto open_filter = "Text (*.txt)|*.txt|All Files (*.*)|*.*";

// The two access-list file layouts: "ID Number only" or "Schedule + ID Number".
enum class access_layout { id_only, schedule_and_id };

struct download_options {
    QString file;
    access_layout layout = access_layout::id_only;
    bool autoconfigure = true;  // set the reader's record length from the file
    bool old_firmware = false;  // free slots in characters 6-10 of the "z" answer
    bool verify = true;         // read the list back and compare
};

struct upload_options {
    QString file;
    access_layout layout = access_layout::id_only;
    line_end end = line_end::cr_lf;
};

// Replaces the reader's access list with the file's records. The question and the file
// choice are the caller's (the screen and the command line ask them differently).
transfer_outcome download_access_list(link::reader_link& link, const link::link_endpoint& reader,
                                      const download_options& options, operator_port& person,
                                      const transfer_view& view = {});
// Writes the reader's access list into a new file.
transfer_outcome upload_access_list(link::reader_link& link, const link::link_endpoint& reader,
                                    const upload_options& options, operator_port& person,
                                    const transfer_view& view = {});
transfer_outcome clear_access_list(link::reader_link& link, const link::link_endpoint& reader,
                                   operator_port& person);

}  // namespace zep::transfer
