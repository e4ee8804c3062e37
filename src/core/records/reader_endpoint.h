#pragma once

#include <QString>
#include <optional>

#include "core/link/com_ports.h"
#include "core/link/link_endpoint.h"

namespace zep::data {
struct reader_row;
}
namespace zep::link {
class reader_link;
}

namespace zep::records {

// How a readers-table row is reached.
enum class reader_reach { none, serial, tcp };

// One registered reader, decoded from its row once at the start of a walk.
struct reader_endpoint {
    int readernum = 0;
    QString number_text;  // "007": how every status line names the reader
    reader_reach reach = reader_reach::none;
    QString commmode;          // as stored: "Com3 19200", "tcp/ip", "T" or empty
    link::link_endpoint link;  // device and speed, or host and port; mode and address
    bool address_ok = true;    // protocol mode needs an address 0..126
    int timezone_hours = 0;    // whole hours added to the PC clock for this reader

    bool tcp() const { return reach == reader_reach::tcp; }
    bool protocol() const { return link.protocol; }
};

// "tcp/ip" and the short form "T" mean TCP; any other non-empty text names a Com port.
bool is_tcp_commmode(const QString& commmode);

// The reader number as three digits with leading zeros.
QString reader_number_text(int readernum);

// `devices` maps Com1..Com5 to device paths ($ZEP_COMn first).
reader_endpoint make_reader_endpoint(const data::reader_row& row,
                                     const link::com_device_map& devices);

enum class reader_open_failure {
    no_port,          // commmode empty
    invalid_address,  // protocol mode without an address 0..126
    serial,           // the Com port would not open
    tcp               // the connection was not made
};

// Opens the reader's link: serial opens its port and flushes; TCP tears down any old
// connection, connects (reader time-out) and flushes. Nothing is sent.
std::optional<reader_open_failure> open_reader_link(link::reader_link& link,
                                                    const reader_endpoint& reader);
void close_reader_link(link::reader_link& link, const reader_endpoint& reader);

}  // namespace zep::records
