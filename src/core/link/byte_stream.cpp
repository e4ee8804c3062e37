#include "core/link/byte_stream.h"

#include <QAbstractSocket>
#include <algorithm>

namespace zep::link {

namespace {

// A socket whose peer has gone will never deliver more; waiting on it only burns time.
bool connection_gone(QIODevice* device) {
    if (!device->isOpen()) return true;
    const auto* socket = qobject_cast<QAbstractSocket*>(device);
    return socket != nullptr && socket->state() != QAbstractSocket::ConnectedState;
}

}  // namespace

void byte_stream::attach(QIODevice* device) {
    device_ = device;
    pending_.clear();
    pos_ = 0;
}

void byte_stream::detach() {
    attach(nullptr);
}

bool byte_stream::fill(const QDeadlineTimer& deadline) {
    if (device_ == nullptr || !device_->isOpen()) return false;
    if (pos_ >= pending_.size()) {
        pending_.clear();
        pos_ = 0;
    }
    if (device_->bytesAvailable() == 0 && !wait_for_bytes(deadline)) return false;
    const QByteArray fresh = device_->readAll();
    if (fresh.isEmpty()) return false;
    pending_.append(fresh);
    return true;
}

// Sleeps in the OS in slices, so that a cancel or a dropped connection ends the wait
// within cancel_poll_ms rather than at the deadline.
bool byte_stream::wait_for_bytes(const QDeadlineTimer& deadline) {
    for (;;) {
        if (cancelled()) return false;
        const qint64 left = deadline.remainingTime();  // -1 = forever
        if (left == 0) return false;
        const qint64 slice = left < 0 ? cancel_poll_ms : std::min<qint64>(left, cancel_poll_ms);
        if (device_->waitForReadyRead(static_cast<int>(slice))) return true;
        if (device_->bytesAvailable() > 0) return true;
        if (connection_gone(device_)) return false;
    }
}

std::optional<char> byte_stream::next_byte(const QDeadlineTimer& deadline) {
    while (pos_ >= pending_.size()) {
        if (!fill(deadline)) return std::nullopt;
    }
    return pending_[pos_++];
}

std::optional<char> byte_stream::peek_byte(int ms) {
    if (pos_ >= pending_.size() && !fill(QDeadlineTimer(ms))) return std::nullopt;
    return pending_[pos_];
}

std::optional<QByteArray> byte_stream::read_until(char terminator, const QDeadlineTimer& deadline,
                                                  QByteArray* partial) {
    QByteArray reply;
    for (;;) {
        const auto byte = next_byte(deadline);
        if (byte && *byte == terminator) return reply;
        // A reply of exactly max_reply bytes is good; one more byte without the
        // terminator is not.
        if (!byte || reply.size() >= max_reply) {
            if (partial != nullptr) *partial = reply;
            return std::nullopt;
        }
        reply.append(*byte);
    }
}

void byte_stream::discard_input() {
    pending_.clear();
    pos_ = 0;
    if (device_ == nullptr || !device_->isOpen()) return;
    // Pull in whatever the OS already holds, without waiting for more.
    while (device_->waitForReadyRead(0)) {
        device_->readAll();
    }
    device_->readAll();
}

bool byte_stream::write(const QByteArray& bytes) {
    if (device_ == nullptr || !device_->isOpen()) return false;
    if (device_->write(bytes) != bytes.size()) return false;
    // Serial ports and sockets without an event loop only send inside a wait; a line that
    // will not take the bytes is waited on in slices, like every other wait.
    const QDeadlineTimer deadline(write_limit_ms);
    while (device_->bytesToWrite() > 0) {
        if (cancelled() || deadline.hasExpired()) return false;
        const auto slice = std::min<qint64>(deadline.remainingTime(), cancel_poll_ms);
        if (!device_->waitForBytesWritten(static_cast<int>(slice)) && connection_gone(device_)) {
            return false;
        }
    }
    return true;
}

}  // namespace zep::link
