#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"
#include "core/records/active_reader_walk.h"
#include "core/result.h"

namespace zep::maintenance {

// Setup commands answer nothing but, in protocol mode, an ACK.
inline constexpr int setup_serial_ack_ms = 200;
inline constexpr int setup_tcp_ack_ms = 2000;

// One command of a setup sequence and the text it is reported under.
struct setup_command {
    QString text;
    QByteArray bytes;
    // The factory reset leaves a serial reader no time to acknowledge.
    bool ack_on_serial = true;
};

// How the reader setup and the card-format sequences differ.
struct sequence_profile {
    // Serial protocol mode: one ACK after opening, before the first command (reader setup).
    bool serial_wake_ack = false;
    // A missing ACK ends the sequence (reader setup) or is reported and passed (card formats).
    bool stop_at_silence = true;
    int pause_ms = 0;  // after each command, the last one included
    // Walks: one line per reader with this text after "Reader nnn - "; empty gives one line
    // per command (the command's text and " - command sent" / " - no response").
    QString success_text;
};

// The outcome of each command sent, in order; a sequence stopped early is shorter.
using command_acks = std::vector<bool>;
// Told as each command has been sent and, where one is awaited, its ACK came or not.
using command_report = std::function<void(const setup_command&, bool acknowledged)>;

inline constexpr auto command_sent_text = " - command sent";
inline constexpr auto command_silent_text = " - no response";

// The single reader: opens its link (the failure carries the operator's message), wakes it,
// sends the commands in order and closes. Plain mode awaits nothing; protocol mode awaits
// each ACK (200 ms serial, 2000 ms TCP, or the target's time-out), except from the global
// address, which none gives.
result<command_acks> send_setup_sequence(link::reader_link& link, const utility_target& target,
                                         const std::vector<setup_command>& commands,
                                         const sequence_profile& profile, operator_port& person,
                                         const command_report& report = {});

// Every active reader in turn, with the walk's selection, link failures and header; each
// reader gets the same frame and waits as the single reader. `prepare` runs once there
// is a reader to reach, before the header; false ends the walk with nothing sent.
records::walk_result walk_setup_sequence(link::reader_link& link, const walk_inputs& inputs,
                                         const QString& header,
                                         const std::vector<setup_command>& commands,
                                         const sequence_profile& profile, operator_port& person,
                                         const std::function<bool()>& prepare = {});

}  // namespace zep::maintenance
