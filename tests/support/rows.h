#pragma once

#include <QString>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"

namespace zep::test {

// An active reader row reached over `commmode` ("Com1 9600", "tcp/ip", ...): plain
// unless `address` is given, which makes it a protocol reader at that address.
data::reader_row reader_row(int number, const QString& commmode, int address = -1);
// An active reader row on 127.0.0.1:port; protocol when `address` is given.
data::reader_row tcp_reader_row(int number, quint16 port, int address = -1);

// A log row as an upload writes it: "yyyy-mm-dd hh:mm:ss", three-digit reader, granted.
data::log_row log_row(const QString& date_time, const QString& idnum, int reader = 1,
                      const QString& lastname = {}, bool granted = true);

// A port on 127.0.0.1 that nothing listens on (connections are refused).
quint16 closed_tcp_port();

// A port on 127.0.0.1 that takes no connection and refuses none: a connect to it waits
// until its caller gives up, as with a reader that is switched off. (Its listen queue is
// held full, so the system drops every new handshake.)
class silent_tcp_host {
  public:
    silent_tcp_host();
    ~silent_tcp_host();
    silent_tcp_host(const silent_tcp_host&) = delete;
    silent_tcp_host& operator=(const silent_tcp_host&) = delete;
    quint16 port() const { return port_; }

  private:
    int listener_ = -1;
    int filler_ = -1;
    quint16 port_ = 0;
};

}  // namespace zep::test
