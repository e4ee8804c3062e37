#pragma once

#include <QString>
#include <optional>

#include "core/commands/reader_clock.h"
#include "core/commands/reply_decoding.h"
#include "core/link/link_endpoint.h"

namespace zep {
class clock_source;
class operator_port;
}  // namespace zep
namespace zep::link {
class reader_link;
}
namespace zep::data {
struct settings_record;
}

namespace zep::maintenance {

// Texts of the utilities screen, as the operator sees them.
inline constexpr auto utilities_tcp_note_text =
    "Functions with an * are not currently operational for tco/ip readers";
inline constexpr auto apply_to_all_text = "Apply to all active readers";
inline constexpr auto old_firmware_text = "Check if you reader firmware is before 1/10/01";
inline constexpr auto download_avail_caption = "Download Slots Avail";
inline constexpr auto download_used_caption = "Download Slots Used";
inline constexpr auto logging_avail_caption = "Logging Slots Avail";
inline constexpr auto logging_used_caption = "Logging Slots Used";

// Address 127 is taken by every reader on the line and answered by none.
inline constexpr auto sent_to_all_text = "Command sent to all readers";
inline constexpr auto global_address_refused_text =
    "Address 127 reaches every reader and none answers - choose a reader's own address";
inline constexpr auto id_not_sendable_text = "The ID may hold only printable 8-bit characters";

inline constexpr auto empid_add_title = "Ad Hoc Employee ID ADD  (schedule 0)";
inline constexpr auto empid_delete_title = "Ad Hoc Employee ID DELETE";
inline constexpr auto empid_prompt =
    "Enter Employee ID\r\rnote..if you enter an id larger than the reader\r"
    "setting - you will get an error 'no response from reader'";

// The reader an action talks to; timeout_ms, when set, replaces the action's own.
struct utility_target {
    link::link_endpoint endpoint;
    std::optional<int> timeout_ms;
};

// How an action ended. `text` is what the screen shows: the answer (identify, clock),
// the result text, or the failure message. Result texts and failures have already been
// given to the operator as messages; answers are for the screen's boxes and labels. An
// action the operator stopped ends failed, with no text and no message.
struct utility_outcome {
    enum class status { done, refused, failed };
    status result = status::failed;
    QString text;
    bool ok() const { return result == status::done; }
};

struct memory_outcome : utility_outcome {
    commands::memory_usage usage;
};

struct clock_outcome : utility_outcome {
    commands::reader_clock clock;
};

// "MM/DD/YYYY  hh:mm:ss" of the PC clock, for "Current Date/Time".
QString current_date_time_text(const clock_source& clock);

// prior011001 "Y": firmware before 1/10/01.
commands::memory_layout memory_layout_of(const data::settings_record& settings);

utility_outcome identify_reader(link::reader_link& link, const utility_target& target,
                                operator_port& person);
memory_outcome read_memory_usage(link::reader_link& link, const utility_target& target,
                                 commands::memory_layout layout, operator_port& person);
clock_outcome read_reader_clock(link::reader_link& link, const utility_target& target,
                                operator_port& person);
// Sets the reader to the PC clock (no time-zone shift for the single reader).
utility_outcome set_reader_clock(link::reader_link& link, const utility_target& target,
                                 const clock_source& clock, operator_port& person);
// An empty ID sends nothing and ends with no message; an ID that is not printable 8-bit
// text is refused before anything is sent.
utility_outcome adhoc_add(link::reader_link& link, const utility_target& target, const QString& id,
                          operator_port& person);
utility_outcome adhoc_delete(link::reader_link& link, const utility_target& target,
                             const QString& id, operator_port& person);

// The ID for an ad hoc add or delete; nullopt when cancelled or left empty.
std::optional<QString> enter_empid(operator_port& person);
std::optional<QString> enter_empid_delete(operator_port& person);

// The screen's "Add" and "Delete" on the single reader: ask for the ID, then act.
utility_outcome addhocadd(link::reader_link& link, const utility_target& target,
                          operator_port& person);
utility_outcome addhoc_delete(link::reader_link& link, const utility_target& target,
                              operator_port& person);

}  // namespace zep::maintenance
