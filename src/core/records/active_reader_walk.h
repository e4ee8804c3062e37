#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <bitset>
#include <functional>
#include <optional>
#include <vector>

#include "core/link/com_ports.h"
#include "core/records/reader_endpoint.h"

namespace zep {
class operator_port;
}
namespace zep::data {
struct reader_row;
}
namespace zep::link {
class reader_exchange;
}

namespace zep::records {

inline constexpr int reader_slots = 127;  // reader numbers 0..126
inline constexpr auto no_active_readers_text = "There are no active readers";

// One flag per reader number: the readers an apply-to-all action reaches.
using target_flags = std::bitset<reader_slots>;

// Flags of the rows whose `active` is "Y".
target_flags active_marks(const std::vector<data::reader_row>& rows);

// Per-reader texts that follow "Reader nnn".
inline constexpr auto walk_no_port_text = " - no Com port or ip address specified";
inline constexpr auto walk_invalid_address_text = " Invalid protocol address";
inline constexpr auto walk_tcp_failed_text = " - Cannot establish tcp/ip connection";
inline constexpr auto walk_serial_failed_text = " - unable to open Com port";
inline constexpr auto walk_tcp_silent_text = " - No response from reader";
inline constexpr auto walk_serial_silent_text = " - Error communicating with reader";
// The time-setting walk words a port that will not open differently.
inline constexpr auto walk_settime_serial_failed_line = "Unable to open comm port for reader %1";

inline constexpr int walk_reply_timeout_ms = 400;

// What one apply-to-all action does at each reader.
struct walk_operation {
    // The header line, given the input ("Adding " + ID + " to all active readers").
    std::function<QString(const QString& input)> header;
    // Asked once, before the first reader; nullopt or empty ends the walk. None: no input.
    std::function<std::optional<QString>()> ask_input;
    // Why the input cannot be sent (told as a message; nothing is sent); empty when it can.
    std::function<QString(const QString& input)> refuse_input;
    // The command for this reader (the input and the reader's own settings may shape it).
    std::function<QByteArray(const reader_endpoint&, const QString& input)> command;
    // Judges the reply text; true gives success_text, false refusal_text.
    std::function<bool(const QByteArray& reply)> accepted;
    QString success_text;  // " - ID added"
    QString refusal_text;  // " - Invalid response"
    // Whole line for a Com port that will not open; %1 is nnn.
    QString serial_failed_line =
        QStringLiteral("Reader %1") + QLatin1String(walk_serial_failed_text);
    int timeout_ms = walk_reply_timeout_ms;
};

enum class walk_end { done, no_active_readers, no_input, input_refused, cancelled };

struct walk_result {
    walk_end end = walk_end::done;
    QString input;
    QStringList lines;  // header, blank line, one line per selected reader
    int failures = 0;   // reader lines other than the success text
};

// Walks the selected readers in number order: each gets one status line, a failing reader
// never stops the walk, and the link is closed between readers. "There are no active
// readers" is a message; everything else goes out as status lines (and is returned).
// The operator's cancel is tested before each reader and inside every link wait; a
// stopped walk adds no further lines, not even for the reader it was talking to.
walk_result walk_active_readers(link::reader_link& link, const std::vector<data::reader_row>& rows,
                                const target_flags& targets, const link::com_device_map& devices,
                                const walk_operation& operation, operator_port& person);

// The line for a reader that could not be opened.
QString open_failure_line(const reader_endpoint& reader, reader_open_failure failure,
                          const QString& serial_failed_line);

// One command to an open reader as the walks send it: the wake-up (serial: CR plain, ACK
// protocol; TCP: ACK protocol only), the frame, the reply within `timeout_ms`, the ACK
// of a protocol reply. nullopt when no good reply came.
std::optional<QByteArray> walk_exchange(link::reader_exchange& exchange,
                                        const reader_endpoint& reader, const QByteArray& command,
                                        int timeout_ms);

}  // namespace zep::records
