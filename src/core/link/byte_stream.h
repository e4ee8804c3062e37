#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QIODevice>
#include <functional>
#include <optional>

namespace zep::link {

// Reads a reader's bytes from any QIODevice (serial port or TCP socket) with deadlines.
// Bytes that arrived beyond what a read needed stay buffered for the next read, so a
// reply ends at its terminator however the bytes were split. Waits sleep in the OS.
class byte_stream {
  public:
    // A reply longer than this without its terminator is a failed read.
    static constexpr qsizetype max_reply = 4096;

    // How often a wait looks at the cancel check.
    static constexpr int cancel_poll_ms = 100;
    // How long a write may wait for the line to take its bytes.
    static constexpr int write_limit_ms = 2000;

    void attach(QIODevice* device);
    void detach();

    // Asked at least every cancel_poll_ms while a read waits; true ends the wait as a
    // failed read, so the operator can stop an operation that waits on a silent reader.
    void set_cancel_check(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }
    bool cancelled() const { return cancelled_ && cancelled_(); }

    // Next byte, or nullopt when the deadline passes (or the device is gone).
    std::optional<char> next_byte(const QDeadlineTimer& deadline);

    // Bytes up to (not including) the terminator. nullopt on time-out, cancel, a closed
    // connection or a reply of more than max_reply bytes before its terminator; `partial`
    // receives what arrived before the failure.
    std::optional<QByteArray> read_until(char terminator, const QDeadlineTimer& deadline,
                                         QByteArray* partial = nullptr);

    // Byte waiting now or within `ms`, without consuming it.
    std::optional<char> peek_byte(int ms);

    // Discards everything that has arrived so far.
    void discard_input();

    bool write(const QByteArray& bytes);

  private:
    bool fill(const QDeadlineTimer& deadline);
    bool wait_for_bytes(const QDeadlineTimer& deadline);

    QIODevice* device_ = nullptr;
    std::function<bool()> cancelled_;
    QByteArray pending_;
    qsizetype pos_ = 0;
};

}  // namespace zep::link
