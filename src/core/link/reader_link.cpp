#include "core/link/reader_link.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "core/link/wire.h"

namespace zep::link {

namespace {

// How long the second terminator of an upload record may lag behind the first.
constexpr int double_terminator_ms = 5;

link_read failed(QByteArray text = {}) {
    return {std::move(text), true};
}

}  // namespace

link_read read_reply(byte_stream& stream, response_timer& timer, char terminator,
                     bool double_terminator) {
    QByteArray partial;
    auto reply = stream.read_until(terminator, timer.deadline, &partial);
    stop_response_timer(timer);
    if (!reply) return failed(partial);
    if (double_terminator) {
        if (const auto next = stream.peek_byte(double_terminator_ms)) {
            stream.next_byte(QDeadlineTimer(0));
            if (*next != terminator) return failed(*reply);
            reply->append(terminator);
        }
    }
    return {*reply, false};
}

link_read read_framed(byte_stream& stream, response_timer& timer, bool double_terminator) {
    // A NAK (or anything else) where the ACK belongs cannot start a good reply: no need
    // to sit out the time-out for it.
    const auto first = stream.next_byte(timer.deadline);
    if (!first || *first != wire::ACK) {
        stop_response_timer(timer);
        return failed(first ? QByteArray(1, *first) : QByteArray());
    }
    // STX is read on its own so that the reply text, not the frame, counts towards the
    // longest reply.
    const auto second = stream.next_byte(timer.deadline);
    if (!second || *second == wire::ETX) {
        stop_response_timer(timer);
        return failed(wire::ACK + (second ? QByteArray(1, *second) : QByteArray()));
    }
    if (*second != wire::STX) {
        const link_read rest = read_reply(stream, timer, wire::ETX, double_terminator);
        return failed(wire::ACK + QByteArray(1, *second) + rest.text);
    }
    link_read rest = read_reply(stream, timer, wire::ETX, double_terminator);
    if (rest.error) return failed(QByteArray(1, wire::ACK) + wire::STX + rest.text);
    return {rest.text, false};
}

bool wait_ack(byte_stream& stream, response_timer& timer) {
    for (;;) {
        const auto byte = stream.next_byte(timer.deadline);
        if (!byte) {
            stop_response_timer(timer);
            return false;
        }
        if (*byte == wire::ACK) {
            stop_response_timer(timer);
            return true;
        }
    }
}

reader_link::reader_link() = default;

reader_link::~reader_link() {
    close_all_links();
}

void reader_link::set_single_reader(const single_reader_settings& settings) {
    single_ = settings;
}

void reader_link::set_cancel_check(std::function<bool()> cancelled) {
    cancelled_ = std::move(cancelled);
    serial_stream_.set_cancel_check(cancelled_);
    tcp_stream_.set_cancel_check(cancelled_);
}

cancel_scope::cancel_scope(reader_link& link, std::function<bool()> cancelled)
    : link_(link), previous_(link.cancel_check()) {
    link_.set_cancel_check(std::move(cancelled));
}

cancel_scope::~cancel_scope() {
    link_.set_cancel_check(std::move(previous_));
}

QSerialPort& reader_link::serial() {
    if (!serial_) serial_ = std::make_unique<QSerialPort>();
    return *serial_;
}

QTcpSocket& reader_link::socket() {
    if (!socket_) socket_ = std::make_unique<QTcpSocket>();
    return *socket_;
}

// ---- serial ----------------------------------------------------------------------------

bool reader_link::open_serial_default() {
    return open_serial_device(com_device_path(single_.comm.port, single_.com_devices),
                              single_.comm.baud());
}

bool reader_link::open_serial_for_reader(const QString& port_text) {
    const int port = reader_port_number(port_text);
    if (port == 0) {
        serial_open_ = false;
        return false;
    }
    return open_serial_device(com_device_path(port, single_.com_devices),
                              reader_port_baud(port_text));
}

bool reader_link::open_serial_device(const QString& device, int baud) {
    serial_open_ = false;
    close_serial();
    if (device.isEmpty()) return false;
    QSerialPort& port = serial();
    port.setPortName(device);
    port.setBaudRate(baud);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) return false;
    serial_stream_.attach(&port);
    serial_open_ = true;
    return true;
}

void reader_link::close_serial() {
    if (serial_ && serial_->isOpen()) serial_->close();
    serial_stream_.detach();
    serial_open_ = false;
}

void reader_link::flush_serial_input() {
    serial_stream_.discard_input();
}

bool reader_link::send_serial(const QByteArray& bytes) {
    return serial_stream_.write(bytes);
}

bool reader_link::send_serial_ack() {
    return send_serial(QByteArray(1, wire::ACK));
}

bool reader_link::send_serial_cr() {
    return send_serial(QByteArray(1, wire::CR));
}

link_read reader_link::read_serial_reply(response_timer& timer, bool double_terminator) {
    return read_reply(serial_stream_, timer, wire::CR, double_terminator);
}

link_read reader_link::read_serial_framed(response_timer& timer, bool double_terminator) {
    return read_framed(serial_stream_, timer, double_terminator);
}

bool reader_link::wait_serial_ack(response_timer& timer) {
    return wait_ack(serial_stream_, timer);
}

// ---- TCP -------------------------------------------------------------------------------

bool reader_link::connect_tcp_default() {
    return connect_tcp(single_.ipaddress, single_.port_text, default_connect_ms);
}

bool reader_link::connect_tcp_for_reader(const QString& ipaddress, const QString& port_text) {
    return connect_tcp(ipaddress, port_text, reader_connect_ms);
}

bool reader_link::connect_tcp(const QString& host, const QString& port_text, int timeout_ms) {
    tcp_connected_ = false;
    close_tcp();
    // A port text that is no port, or no host at all, cannot be reached: say so without
    // touching the network.
    bool ok = false;
    const uint port = port_text.trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535 || host.trimmed().isEmpty()) return false;
    QTcpSocket& sock = socket();
    sock.connectToHost(host.trimmed(), static_cast<quint16>(port));
    // A refused or unreachable endpoint fails at once; a silent one uses up the time-out.
    if (!wait_connected(sock, QDeadlineTimer(timeout_ms))) {
        sock.abort();
        return false;
    }
    sock.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    tcp_stream_.attach(&sock);
    tcp_stream_.discard_input();
    tcp_connected_ = true;
    return true;
}

// waitForConnected gives the attempt up when its time runs out, so it cannot wait in
// slices; the socket's own events are waited for instead, cancel_poll_ms at a time.
bool reader_link::wait_connected(QTcpSocket& sock, const QDeadlineTimer& deadline) {
    // A thread without an event dispatcher (a bare test thread) can only block.
    if (QAbstractEventDispatcher::instance() == nullptr) {
        return sock.waitForConnected(static_cast<int>(deadline.remainingTime()));
    }
    QEventLoop loop;
    QTimer slice;
    slice.setSingleShot(true);
    QObject::connect(&slice, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&sock, &QAbstractSocket::stateChanged, &loop, &QEventLoop::quit);
    for (;;) {
        const auto state = sock.state();
        if (state == QAbstractSocket::ConnectedState) return true;
        if (state == QAbstractSocket::UnconnectedState || cancelled() || deadline.hasExpired()) {
            return false;
        }
        slice.start(static_cast<int>(
            std::min<qint64>(deadline.remainingTime(), byte_stream::cancel_poll_ms)));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

bool reader_link::tcp_connected() const {
    return tcp_connected_ && socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

void reader_link::close_tcp() {
    tcp_connected_ = false;
    tcp_stream_.detach();
    if (!socket_) return;
    if (socket_->state() == QAbstractSocket::UnconnectedState) return;
    socket_->disconnectFromHost();
    // Unsent bytes may hold the close up for a moment; a cancel does not wait for them.
    const QDeadlineTimer deadline(1000);
    while (socket_->state() != QAbstractSocket::UnconnectedState && !cancelled() &&
           !deadline.hasExpired()) {
        socket_->waitForDisconnected(byte_stream::cancel_poll_ms);
    }
    if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->abort();
}

void reader_link::flush_tcp_input() {
    tcp_stream_.discard_input();
}

bool reader_link::send_tcp(const QByteArray& bytes) {
    return tcp_stream_.write(bytes);
}

bool reader_link::send_tcp_ack() {
    return send_tcp(QByteArray(1, wire::ACK));
}

link_read reader_link::read_tcp_reply(response_timer& timer, bool double_terminator) {
    return read_reply(tcp_stream_, timer, wire::CR, double_terminator);
}

link_read reader_link::read_tcp_framed(response_timer& timer, bool double_terminator) {
    return read_framed(tcp_stream_, timer, double_terminator);
}

bool reader_link::wait_tcp_ack(response_timer& timer) {
    return wait_ack(tcp_stream_, timer);
}

void reader_link::close_all_links() {
    terminal_stop_ = true;
    close_serial();
    close_tcp();
}

}  // namespace zep::link
