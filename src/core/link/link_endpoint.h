#pragma once

#include <QString>

#include "core/link/reader_link.h"

namespace zep::link {

inline constexpr auto msg_unable_to_open_comm_port = "Unable to open comm port";
inline constexpr auto msg_unable_to_connect_tcp = "Unable to establish tcp/ip connection";
inline constexpr auto msg_no_response = "No response from reader";
inline constexpr auto msg_invalid_protocol_address = "Invalid protocol address";

// Where one reader is and how it is spoken to.
struct link_endpoint {
    enum class kind { serial, tcp };
    kind link = kind::serial;
    // Serial: a device path and speed.
    QString device;
    int baud = 9600;
    // TCP: host and port text, and how long a silent endpoint may take to accept.
    QString host;
    QString port_text;
    int connect_ms = reader_link::default_connect_ms;
    bool protocol = false;
    int address = 0;

    bool tcp() const { return link == kind::tcp; }
};

// The reader of the single-reader settings (communications screen).
link_endpoint single_reader_endpoint(const single_reader_settings& settings);

// How the operator is told which reader a link reaches: "TCP 127.0.0.1:4001, plain" or
// "Com1 (/dev/ttyS0) 9600, protocol address 005". `port_name` ("Com1") is shown before the
// device when given.
QString describe_endpoint(const link_endpoint& endpoint, const QString& port_name = {});
// The same for the reader of the single-reader settings, its Com port named.
QString describe_single_reader(const single_reader_settings& settings);

// Reply time-outs of the standard exchange.
int standard_timeout_ms(const link_endpoint& endpoint);

}  // namespace zep::link
