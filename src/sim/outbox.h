#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

#include "sim/sim_line.h"

namespace zep::sim {

// Delivers replies in order on one connection, honouring reply delay, line speed and
// split writes. Lives in the simulator thread.
class outbox : public QObject {
  public:
    static constexpr int split_gap_ms = 15;

    using write_fn = std::function<void(const QByteArray&)>;
    using drop_fn = std::function<void()>;       // empty: the transport cannot drop (pty)
    using backlog_fn = std::function<qint64()>;  // bytes written but not yet taken by the peer

    outbox(write_fn write, drop_fn drop, backlog_fn backlog, QObject* parent = nullptr);

    void push(const outgoing& reply);

  private:
    struct item {
        QByteArray bytes;
        double due_ms = 0;  // when the next byte may go
        double ms_per_byte = 0;
        qsizetype sent = 0;
        bool split = false;
        bool drop_after = false;
        bool endless = false;
    };

    void pump();
    bool send_some(item& it, double now);  // true when the item is finished
    void send_endless(item& it, double now);
    void wake_at(double due);

    write_fn write_;
    drop_fn drop_;
    backlog_fn backlog_;
    std::deque<item> queue_;
    QElapsedTimer clock_;
    QTimer timer_;
};

}  // namespace zep::sim
