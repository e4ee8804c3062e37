#pragma once

#include <QString>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "sim/line_context.h"
#include "sim/reader_model.h"
#include "sim/scenario.h"

class QThread;
class QObject;

namespace zep::sim {

// A running set of simulated lines. Everything is served from one thread of its own
// with its own event loop; every public member may be called from any other thread.
class sim_network {
  public:
    // Opens every line (TCP on 127.0.0.1, or a pty) and starts serving. On failure
    // returns null and says why. Makes a QCoreApplication if the process has none.
    static std::unique_ptr<sim_network> start(const scenario& s, QString* error,
                                              trace_fn trace = {});
    ~sim_network();
    sim_network(const sim_network&) = delete;
    sim_network& operator=(const sim_network&) = delete;

    void stop();  // closes every line; idempotent

    int line_count() const { return static_cast<int>(endpoints_.size()); }
    int reader_count(int line) const;
    quint16 tcp_port(int line) const;  // 0 for a pty line
    QString pty_path(int line) const;  // empty for a TCP line

    // What the host sent on the line, byte for byte, wake-ups and ACKs included: one
    // entry a TCP connection in the order they were made (a pty line has one entry).
    std::vector<QByteArray> received(int line);
    // All of it run together.
    QByteArray received_bytes(int line);
    // Empties every entry (connections made later still get their own), and the timeline.
    void clear_received(int line);
    // What the host sent on the line, each read with its time, and its hang-ups.
    std::vector<heard> timeline(int line);

    // Runs fn(reader&) while the line is held still; returns what fn returns.
    template <class F>
    decltype(auto) with_reader(int line, int index, F&& fn) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(fn)(reader_at(line, index));
    }

  private:
    struct endpoint {
        line_config::transport kind = line_config::tcp;
        quint16 port = 0;
        QString path;
    };

    sim_network() = default;
    bool open_lines(const scenario& s, const trace_fn& trace, QString* error);
    reader& reader_at(int line, int index);  // throws std::out_of_range

    std::mutex mutex_;
    std::vector<std::vector<reader>> readers_;       // per line; never resized once started
    std::vector<std::vector<QByteArray>> received_;  // per line, per connection
    std::vector<std::vector<heard>> timelines_;      // per line
    QElapsedTimer clock_;
    std::vector<endpoint> endpoints_;
    std::unique_ptr<QThread> thread_;
    QObject* host_ = nullptr;  // owns the transports; lives in thread_
};

}  // namespace zep::sim
