#include "sim/outbox.h"

#include <algorithm>
#include <cmath>

namespace zep::sim {

namespace {

// An endless reply is written while the peer has taken all but this much of it.
constexpr qint64 endless_backlog = 64 * 1024;
constexpr int endless_wait_ms = 5;

}  // namespace

outbox::outbox(write_fn write, drop_fn drop, backlog_fn backlog, QObject* parent)
    : QObject(parent),
      write_(std::move(write)),
      drop_(std::move(drop)),
      backlog_(std::move(backlog)) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { pump(); });
}

void outbox::push(const outgoing& reply) {
    item it;
    it.bytes = reply.bytes;
    it.due_ms = static_cast<double>(clock_.elapsed() + std::max(0, reply.delay_ms));
    it.ms_per_byte = reply.baud > 0 ? 10000.0 / reply.baud : 0.0;
    it.split = reply.split && it.ms_per_byte == 0 && it.bytes.size() >= 2;
    it.drop_after = reply.drop_after;
    it.endless = reply.endless && !it.bytes.isEmpty();
    queue_.push_back(std::move(it));
    if (queue_.size() == 1) pump();
}

void outbox::pump() {
    while (!queue_.empty()) {
        item& it = queue_.front();
        const auto now = static_cast<double>(clock_.elapsed());
        if (now < it.due_ms || !send_some(it, now)) {
            wake_at(it.due_ms);
            return;
        }
        const bool drop = it.drop_after;
        queue_.pop_front();
        if (drop && drop_) {
            queue_.clear();  // the connection is gone; nothing more can reach it
            drop_();
            return;
        }
    }
}

bool outbox::send_some(item& it, double now) {
    if (it.endless) {
        send_endless(it, now);
        return false;
    }
    const qsizetype left = it.bytes.size() - it.sent;
    if (it.ms_per_byte > 0 && left > 0) {
        // it.due_ms is when the next byte starts; send every byte whose time has come.
        if (it.sent == 0)
            it.due_ms = now;  // a reply queued behind another starts when that one ends
        const auto ready = static_cast<qsizetype>((now - it.due_ms) / it.ms_per_byte) + 1;
        const qsizetype count = std::min(left, ready);
        write_(it.bytes.mid(it.sent, count));
        it.sent += count;
        it.due_ms += static_cast<double>(count) * it.ms_per_byte;
        return it.sent == it.bytes.size();
    }
    if (it.split) {
        // Two writes with a gap, so the client sees the reply arrive in pieces.
        const qsizetype half = it.bytes.size() / 2;
        write_(it.bytes.first(half));
        it.sent = half;
        it.split = false;
        it.due_ms = now + split_gap_ms;
        return false;
    }
    if (left > 0) write_(it.bytes.mid(it.sent));
    it.sent = it.bytes.size();
    return true;
}

// Keeps the peer's side full without piling up more than endless_backlog here, so a
// babbling reader costs the simulator no more memory however long the connection lasts.
void outbox::send_endless(item& it, double now) {
    // A few blocks a wake at most: a socket already closed takes nothing yet shows no backlog.
    for (int block = 0; block < 16 && (!backlog_ || backlog_() < endless_backlog); ++block) {
        write_(it.bytes);
    }
    it.due_ms = now + endless_wait_ms;
}

void outbox::wake_at(double due) {
    const double wait = std::ceil(due - static_cast<double>(clock_.elapsed()));
    timer_.start(static_cast<int>(std::max(0.0, wait)));
}

}  // namespace zep::sim
