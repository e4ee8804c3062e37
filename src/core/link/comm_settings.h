#pragma once

#include <QString>

namespace zep::link {

inline constexpr auto default_comm_settings = "2211000";

// The single-reader link settings string, decoded once: position 1 link mode ("1" TCP/IP,
// "2" serial), 2 protocol ("1" on), 3 Com port 1..5, 4 speed ("1" 9600, else 19200),
// 5..7 the protocol address as three digits.
struct comm_settings {
    int link_mode = 2;     // 1 = TCP/IP, 2 = serial
    int protocol = 2;      // 1 = on, anything else = off
    int port = 1;          // Com1..Com5
    int speed_choice = 1;  // 1 = 9600, anything else = 19200
    QString address_text = "000";
    int protocol_address = 0;

    bool tcp() const { return link_mode == 1; }
    bool protocol_on() const { return protocol == 1; }
    int baud() const { return speed_choice == 1 ? 9600 : 19200; }
};

// Decodes the settings string. Characters that are not digits decode to 0 (the link
// then reports the port or address as unusable when it is used).
comm_settings decode_comm_settings(const QString& text);

}  // namespace zep::link
