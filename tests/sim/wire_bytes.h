#pragma once

#include <QByteArray>
#include <QDateTime>
#include <vector>

#include "sim/sim_line.h"

namespace zep::sim::testing {

inline QByteArray framed(int address, const QByteArray& text) {
    return QByteArray(1, static_cast<char>(128 + address)) + '\x02' + text + '\x03';
}

inline QByteArray plain(const QByteArray& text) {
    return text + '\r';
}

inline QByteArray data_reply(const QByteArray& text) {
    return "\x06\x02" + text + '\x03';
}

inline QByteArray nul(const char* command) {
    return QByteArray(1, '\0') + command;
}

inline const QByteArray ack(1, '\x06');
inline const QByteArray nak(1, '\x15');
inline const QByteArray zep_ident = "ZEP Reader V4.12 (simulated)";

// A line with no transport: bytes in, the readers' answers out.
class bench_line {
  public:
    explicit bench_line(const std::vector<reader_config>& configs) {
        for (const reader_config& c : configs) readers.emplace_back(c);
    }

    QByteArray send(QByteArrayView bytes) {
        QByteArray all;
        for (const received_command& command : decoder.feed(bytes)) {
            for (const outgoing& o : dispatch(readers, command, now)) all += o.bytes;
        }
        return all;
    }

    reader& at(int index) { return readers.at(static_cast<std::size_t>(index)); }

    std::vector<reader> readers;
    line_decoder decoder;
    QDateTime now{QDate(2025, 3, 9), QTime(12, 0), Qt::UTC};
};

inline reader_config config(int address, bool protocol, reader_family family = reader_family::zep) {
    reader_config c;
    c.address = address;
    c.protocol = protocol;
    c.family = family;
    return c;
}

}  // namespace zep::sim::testing
