#pragma once

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <mutex>
#include <vector>

#include "sim/sim_line.h"

namespace zep::sim {

using trace_fn = std::function<void(const QString&)>;

// One thing the host did on a line, and when: milliseconds since the network started.
struct heard {
    qint64 at_ms = 0;
    QByteArray bytes;  // as one read took them; empty: the host closed a TCP connection
};

// What a transport needs to serve one line: its readers (shared with the public API
// under the network's mutex) and where to report traffic.
struct line_context {
    std::mutex* mutex = nullptr;
    std::vector<reader>* readers = nullptr;
    int index = 0;
    trace_fn trace;
    // Every byte the host sent, in order, one entry a connection (a pty line has one).
    std::vector<QByteArray>* received = nullptr;
    // The same bytes with their times, every connection of the line in one sequence.
    std::vector<heard>* timeline = nullptr;
    const QElapsedTimer* clock = nullptr;

    // Starts the transcript of a new connection; its number for process().
    int open_connection() const;
    // Records the bytes of one connection, decodes them and returns every reader's answer.
    std::vector<outgoing> process(line_decoder& decoder, QByteArrayView bytes,
                                  int connection) const;
    // The host hung up a TCP connection.
    void note_closed() const;
};

// Control bytes spelled out, for traces.
QString printable(QByteArrayView bytes);

}  // namespace zep::sim
