#include "core/link/reader_exchange.h"

#include "core/kill_point.h"
#include "core/link/frame.h"
#include "core/link/wire.h"

namespace zep::link {

link_endpoint single_reader_endpoint(const single_reader_settings& settings) {
    link_endpoint endpoint;
    endpoint.link = settings.comm.tcp() ? link_endpoint::kind::tcp : link_endpoint::kind::serial;
    endpoint.device = com_device_path(settings.comm.port, settings.com_devices);
    endpoint.baud = settings.comm.baud();
    endpoint.host = settings.ipaddress;
    endpoint.port_text = settings.port_text;
    endpoint.connect_ms = reader_link::default_connect_ms;
    endpoint.protocol = settings.comm.protocol_on();
    endpoint.address = settings.comm.protocol_address;
    return endpoint;
}

QString describe_endpoint(const link_endpoint& endpoint, const QString& port_name) {
    QString where;
    if (endpoint.tcp()) {
        where =
            QStringLiteral("TCP %1:%2").arg(endpoint.host.trimmed(), endpoint.port_text.trimmed());
    } else {
        where = port_name.isEmpty() ? endpoint.device
                                    : QStringLiteral("%1 (%2)").arg(port_name, endpoint.device);
        where += QStringLiteral(" %1").arg(endpoint.baud);
    }
    return where + (endpoint.protocol ? QStringLiteral(", protocol address %1")
                                            .arg(endpoint.address, 3, 10, QLatin1Char('0'))
                                      : QStringLiteral(", plain"));
}

QString describe_single_reader(const single_reader_settings& settings) {
    return describe_endpoint(single_reader_endpoint(settings),
                             QStringLiteral("Com%1").arg(settings.comm.port));
}

int standard_timeout_ms(const link_endpoint& endpoint) {
    if (endpoint.tcp()) return 2000;
    return endpoint.protocol ? 400 : 200;
}

reader_exchange::reader_exchange(reader_link& link, link_endpoint endpoint)
    : link_(link), endpoint_(std::move(endpoint)) {}

reader_exchange::~reader_exchange() {
    close();
}

byte_stream& reader_exchange::stream() {
    return endpoint_.tcp() ? link_.tcp_stream() : link_.serial_stream();
}

bool reader_exchange::to_global_address() const {
    return endpoint_.protocol && endpoint_.address == wire::global_address;
}

status reader_exchange::open() {
    if (endpoint_.protocol && !valid_protocol_address(endpoint_.address)) {
        return status::failure(QString::fromLatin1(msg_invalid_protocol_address));
    }
    if (endpoint_.tcp()) {
        link_.close_tcp();
        if (!link_.connect_tcp(endpoint_.host, endpoint_.port_text, endpoint_.connect_ms)) {
            link_.close_tcp();
            return status::failure(QString::fromLatin1(msg_unable_to_connect_tcp));
        }
        open_ = true;
        flush();
        wake_up();
        return {};
    }
    if (!link_.open_serial_device(endpoint_.device, endpoint_.baud)) {
        return status::failure(QString::fromLatin1(msg_unable_to_open_comm_port));
    }
    open_ = true;
    flush();
    return {};
}

void reader_exchange::close() {
    if (!open_) return;
    open_ = false;
    if (endpoint_.tcp()) {
        link_.close_tcp();
    } else {
        link_.close_serial();
    }
}

void reader_exchange::flush() {
    stream().discard_input();
}

bool reader_exchange::wake_up() {
    return stream().write(QByteArray(1, endpoint_.protocol ? wire::ACK : wire::CR));
}

bool reader_exchange::send_ack() {
    return stream().write(QByteArray(1, wire::ACK));
}

bool reader_exchange::send_frame(const QByteArray& text) {
    pass_kill_point(kill_point_kind::exchange);
    const auto frame = frame_command(text, endpoint_.protocol, endpoint_.address);
    return frame && stream().write(*frame);
}

link_read reader_exchange::read_reply(int timeout_ms, bool double_terminator) {
    response_timer timer;
    start_response_timer(timer, timeout_ms);
    if (endpoint_.protocol) return read_framed(stream(), timer, double_terminator);
    return zep::link::read_reply(stream(), timer, wire::CR, double_terminator);
}

bool reader_exchange::wait_ack(int timeout_ms) {
    response_timer timer;
    start_response_timer(timer, timeout_ms);
    return zep::link::wait_ack(stream(), timer);
}

bool reader_exchange::send_command(const QByteArray& text) {
    if (endpoint_.protocol && !endpoint_.tcp() && !send_ack()) return false;
    return send_frame(text);
}

link_read reader_exchange::command(const QByteArray& text, int timeout_ms, bool double_terminator) {
    if (!send_command(text)) return {{}, true};
    if (to_global_address()) return {};
    link_read reply = read_reply(timeout_ms, double_terminator);
    if (!reply.error && endpoint_.protocol) send_ack();
    return reply;
}

link_read reader_exchange::command_or_ack(const QByteArray& text, int timeout_ms) {
    if (!endpoint_.protocol) return command(text, timeout_ms);
    if (!send_command(text)) return {{}, true};
    if (to_global_address()) return {};
    response_timer timer;
    start_response_timer(timer, timeout_ms);
    const auto first = stream().next_byte(timer.deadline);
    if (!first || *first != wire::ACK) return {first ? QByteArray(1, *first) : QByteArray(), true};
    // A body may follow its ACK late: only the end of the time-out makes the ACK the whole
    // answer.
    const auto second = stream().next_byte(timer.deadline);
    if (!second) return {{}, stream().cancelled()};
    if (*second != wire::STX) return {QByteArray(1, wire::ACK) + *second, true};
    const link_read rest = zep::link::read_reply(stream(), timer, wire::ETX, false);
    if (rest.error) return {QByteArray(1, wire::ACK) + wire::STX + rest.text, true};
    send_ack();
    return rest;
}

bool reader_exchange::command_ack(const QByteArray& text, int timeout_ms) {
    if (!send_command(text)) return false;
    if (!endpoint_.protocol || to_global_address()) return true;
    return wait_ack(timeout_ms);
}

}  // namespace zep::link
