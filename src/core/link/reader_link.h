#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

#include "core/link/byte_stream.h"
#include "core/link/com_ports.h"
#include "core/link/comm_settings.h"
#include "core/link/response_timer.h"

class QSerialPort;
class QTcpSocket;

namespace zep::link {

// What a read hands back: the reply text (terminator and framing removed) and the error
// flag (time-out, wrong second terminator, reply not starting with ACK STX).
struct link_read {
    QByteArray text;
    bool error = false;
};

// The single-reader link settings the screens of the Commands menu use.
struct single_reader_settings {
    comm_settings comm;
    QString ipaddress;
    QString port_text;  // TCP port
    com_device_map com_devices;
};

// The one reader link: one serial port and one TCP socket, used by one operation at a
// time. Must be created and used in one thread. Every operation blocks until done; waits
// sleep in the OS until a byte arrives or the armed response timer runs out.
class reader_link {
  public:
    static constexpr int default_connect_ms = 50'000;
    static constexpr int reader_connect_ms = 5'000;

    reader_link();
    ~reader_link();
    reader_link(const reader_link&) = delete;
    reader_link& operator=(const reader_link&) = delete;

    void set_single_reader(const single_reader_settings& settings);
    const single_reader_settings& single_reader() const { return single_; }

    // Asked at least every byte_stream::cancel_poll_ms by every wait on either link (reads,
    // ACK waits, writes, connects, closes); true ends the wait as a failure, so the
    // operator can stop an operation that waits on a silent reader or host.
    void set_cancel_check(std::function<bool()> cancelled);
    const std::function<bool()>& cancel_check() const { return cancelled_; }
    bool cancelled() const { return cancelled_ && cancelled_(); }

    bool open_serial_device(const QString& device, int baud);
    void close_serial();
    void flush_serial_input();

    bool connect_tcp_for_reader(const QString& ipaddress, const QString& port_text);
    bool connect_tcp(const QString& host, const QString& port_text, int timeout_ms);
    void close_tcp();
    void flush_tcp_input();

    void close_all_links();

    bool serial_open() const { return serial_open_; }
    // False as soon as the peer has dropped the connection, not only after close_tcp.
    bool tcp_connected() const;
    bool terminal_stop() const { return terminal_stop_; }

    // The stream of each link, for the exchanges built on it.
    byte_stream& serial_stream() { return serial_stream_; }
    byte_stream& tcp_stream() { return tcp_stream_; }

  private:
    // The steps the system names on each link; the exchanges reach the streams directly.
    bool open_serial_default();
    bool open_serial_for_reader(const QString& port_text);
    bool send_serial(const QByteArray& bytes);
    bool send_serial_ack();
    bool send_serial_cr();
    link_read read_serial_reply(response_timer& timer, bool double_terminator = false);
    link_read read_serial_framed(response_timer& timer, bool double_terminator = false);
    bool wait_serial_ack(response_timer& timer);  // true when the ACK came

    bool connect_tcp_default();
    bool send_tcp(const QByteArray& bytes);
    bool send_tcp_ack();
    link_read read_tcp_reply(response_timer& timer, bool double_terminator = false);
    link_read read_tcp_framed(response_timer& timer, bool double_terminator = false);
    bool wait_tcp_ack(response_timer& timer);  // true when the ACK came

    void clear_terminal_stop() { terminal_stop_ = false; }
    bool wait_connected(QTcpSocket& sock, const QDeadlineTimer& deadline);

    QSerialPort& serial();
    QTcpSocket& socket();

    single_reader_settings single_;
    std::unique_ptr<QSerialPort> serial_;
    std::unique_ptr<QTcpSocket> socket_;
    byte_stream serial_stream_;
    byte_stream tcp_stream_;
    bool serial_open_ = false;
    bool tcp_connected_ = false;
    bool terminal_stop_ = false;
    std::function<bool()> cancelled_;
};

// Wires an operation's cancel check into the link while it runs; the check that was there
// before comes back when the operation ends.
class cancel_scope {
  public:
    cancel_scope(reader_link& link, std::function<bool()> cancelled);
    ~cancel_scope();
    cancel_scope(const cancel_scope&) = delete;
    cancel_scope& operator=(const cancel_scope&) = delete;

  private:
    reader_link& link_;
    std::function<bool()> previous_;
};

// Reads shared by both links: a reply up to its terminator, optionally followed at once
// by a second terminator (uploads whose last data byte may equal the terminator).
link_read read_reply(byte_stream& stream, response_timer& timer, char terminator,
                     bool double_terminator);
// A framed reply: ACK STX text ETX; the result is the text.
link_read read_framed(byte_stream& stream, response_timer& timer, bool double_terminator);
// Waits for one ACK byte; other bytes are discarded.
bool wait_ack(byte_stream& stream, response_timer& timer);

}  // namespace zep::link
