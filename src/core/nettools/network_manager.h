#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/link/link_endpoint.h"
#include "core/result.h"

namespace zep {
class operator_port;
}
namespace zep::link {
class reader_link;
}

namespace zep::nettools {

// Texts of the network manager, as the operator sees them.
inline constexpr auto checking_address_text = "Checking Address ";
inline constexpr auto one_reader_online_text = "There is 1 reader online";
inline constexpr auto no_readers_online_text = "There are no readers online";
inline constexpr auto poll_timeout_text = "timeout";
inline constexpr auto poll_no_data_text = "no data";
inline constexpr auto single_poll_no_tcp_text = "Unable to establish TCP/IP connection";
inline constexpr auto single_poll_timeout_text =
    "Error 06 - Timeout while communicating with reader";
inline constexpr auto invalid_from_text = "Invalid FROM address";
inline constexpr auto invalid_to_text = "Invalid TO address";
inline constexpr auto address_change_sent_text =
    "Address change command sent - verify by rechecking the reader address";
inline constexpr auto protocol_on_warning_text =
    "Warning - Your are turning the protocol on, and in the main\r"
    "communications screen you have the protocol turned on - continue?";
inline constexpr auto protocol_off_warning_text =
    "Warning - Your are turning the protocol off, and in the main\r"
    "communications screen you have the protocol turned off - continue?";

// Reply time-outs of the polls.
inline constexpr int serial_poll_ms = 150;
inline constexpr int tcp_poll_ms = 2000;
// The single poll over TCP connects on its own, with a shorter wait.
inline constexpr int single_poll_connect_ms = 3000;
inline constexpr int single_poll_pause_ms = 100;

// The protocol addresses a poll of all addresses visits, first to last.
inline constexpr int highest_poll_address = 126;
struct address_range {
    int first = 0;
    int last = highest_poll_address;
};

// The address of a "Checking Address nnn" progress text; nullopt for any other text.
std::optional<int> checking_address_of(const QString& progress);

enum class poll_end { done, stopped, failed };

struct poll_all_result {
    poll_end end = poll_end::failed;
    QStringList online;  // "Address nnn online", in address order
    QString summary;     // the status label's last text; empty unless done
};

// "Address 007 online".
QString address_online_text(int address);
// The status label after a poll: "There is 1 reader online", "There are 5 readers online".
QString online_summary(int count);

// Asks every address of `range` for its memory usage in protocol frames, whatever the
// endpoint's protocol setting. The status label goes to person.progress (the first text
// once the line is open), each reader found to person.status_line. person.cancelled()
// stops the poll before the next frame is sent; a stopped poll empties the label and gives
// no summary.
poll_all_result poll_all_addresses(link::reader_link& link, const link::link_endpoint& endpoint,
                                   operator_port& person, address_range range = {});

// Polls the endpoint's reader with "?" over and over; each answer goes to
// person.status_line. Runs until person.cancelled() (or `passes` passes, when given);
// over TCP the first time-out ends it with a message.
poll_end poll_single_reader(link::reader_link& link, const link::link_endpoint& endpoint,
                            operator_port& person, std::optional<int> passes = std::nullopt);

// One request of the single poll to `address` on a line that is open: true when anything
// at all comes back within the poll's time-out.
bool answers_poll(link::reader_link& link, const link::link_endpoint& endpoint, int address);

// The From and To boxes of the address change: digits only; empty is no address.
std::optional<int> box_address(const QString& text);

// Gives the reader at address `from_text` the address `to_text` ("IA"). The endpoint's
// protocol setting chooses the frame; its address is not used. In protocol mode a new
// address that answers a poll is in use, and nothing is sent. Every outcome is told.
status change_address(link::reader_link& link, const link::link_endpoint& endpoint,
                      const QString& from_text, const QString& to_text, operator_port& person);

// Turns protocol mode on ("ITP") or off ("ITN") in the endpoint's reader, after the warning
// when the endpoint already speaks that way. A No ends it with nothing sent and a failure
// without text. Success is not told.
status set_protocol(link::reader_link& link, const link::link_endpoint& endpoint, bool on,
                    operator_port& person);

}  // namespace zep::nettools
