#include <QThread>

#include "core/commands/command_text.h"
#include "core/link/frame.h"
#include "core/link/reader_link.h"
#include "core/link/wire.h"
#include "core/nettools/network_manager.h"
#include "core/operator.h"

namespace zep::nettools {

std::optional<int> checking_address_of(const QString& progress) {
    if (!progress.startsWith(QLatin1String(checking_address_text))) return std::nullopt;
    bool ok = false;
    const int address = progress.mid(qstrlen(checking_address_text)).toInt(&ok);
    return ok ? std::optional<int>(address) : std::nullopt;
}

namespace {

QString three_digits(int value) {
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

// The polls open the line bare: no wake-up, since every frame they send is preceded by an
// ACK of its own (or, on the single TCP poll, by three).
status open_line(link::reader_link& link, const link::link_endpoint& endpoint, int connect_ms,
                 const char* tcp_failed_text) {
    if (endpoint.tcp()) {
        link.close_tcp();
        if (!link.connect_tcp(endpoint.host, endpoint.port_text, connect_ms)) {
            link.close_tcp();
            return status::failure(QString::fromLatin1(tcp_failed_text));
        }
        return {};
    }
    if (!link.open_serial_device(endpoint.device, endpoint.baud)) {
        return status::failure(QString::fromLatin1(link::msg_unable_to_open_comm_port));
    }
    link.flush_serial_input();
    return {};
}

void close_line(link::reader_link& link, const link::link_endpoint& endpoint) {
    if (endpoint.tcp()) {
        link.close_tcp();
    } else {
        link.close_serial();
    }
}

link::byte_stream& stream_of(link::reader_link& link, const link::link_endpoint& endpoint) {
    return endpoint.tcp() ? link.tcp_stream() : link.serial_stream();
}

const QByteArray ack(1, link::wire::ACK);

// What one pass of the single poll got: a line for the poll list, and whether the poll
// must end (a time-out over TCP).
struct pass_answer {
    std::optional<QString> line;
    bool ends = false;
};

// Serial: the framed reply, a time-out or an empty answer each make a line.
pass_answer read_serial_answer(link::byte_stream& stream) {
    link::response_timer timer;
    link::start_response_timer(timer, serial_poll_ms);
    const link::link_read reply = link::read_framed(stream, timer, false);
    if (reply.error) return {QString::fromLatin1(poll_timeout_text)};
    if (reply.text == QByteArray(1, link::wire::NUL))
        return {QString::fromLatin1(poll_no_data_text)};
    return {QString::fromLatin1(reply.text)};
}

// TCP: everything up to ETX; the text between ACK STX and ETX makes the line, and a reply of
// four bytes (ACK STX NUL ETX, nothing to say) makes none. The reply is acknowledged.
pass_answer read_tcp_answer(link::byte_stream& stream) {
    const auto body = stream.read_until(link::wire::ETX, QDeadlineTimer(tcp_poll_ms));
    if (!body) return {std::nullopt, true};
    stream.write(ack);
    const QByteArray reply = *body + link::wire::ETX;
    if (reply.size() == 4) return {};
    return {QString::fromLatin1(reply.mid(2, reply.size() - 3))};
}

// How the single poll differs between its serial and TCP forms.
struct single_poll_form {
    int connect_ms;
    const char* connect_failed_text;
    QByteArray wake;  // sent once after connecting
    bool ack_each_pass;
    pass_answer (*read)(link::byte_stream&);
};

// Flushes, then sends one request: serial lines get an ACK before each frame.
void send_poll(link::byte_stream& stream, const single_poll_form& form, const QByteArray& frame) {
    stream.discard_input();
    if (form.ack_each_pass) stream.write(ack);
    stream.write(frame);
}

single_poll_form serial_form() {
    return {0, link::msg_unable_to_connect_tcp, {}, true, read_serial_answer};
}

single_poll_form tcp_form() {
    return {single_poll_connect_ms, single_poll_no_tcp_text, QByteArray(3, link::wire::ACK), false,
            read_tcp_answer};
}

}  // namespace

QString address_online_text(int address) {
    return QStringLiteral("Address ") + three_digits(address) + QStringLiteral(" online");
}

QString online_summary(int count) {
    if (count == 1) return QString::fromLatin1(one_reader_online_text);
    if (count == 0) return QString::fromLatin1(no_readers_online_text);
    // The count is written the way the number-to-text conversion writes a positive number:
    // with a leading blank.
    return QStringLiteral("There are %1 readers online").arg(count);
}

poll_all_result poll_all_addresses(link::reader_link& link, const link::link_endpoint& endpoint,
                                   operator_port& person, address_range range) {
    poll_all_result result;
    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    if (const status opened =
            open_line(link, endpoint, endpoint.connect_ms, link::msg_unable_to_connect_tcp);
        !opened) {
        person.message(opened.error());
        return result;
    }
    link::byte_stream& stream = stream_of(link, endpoint);
    const int timeout_ms = endpoint.tcp() ? tcp_poll_ms : serial_poll_ms;
    for (int address = range.first; address <= range.last; ++address) {
        person.progress(QString::fromLatin1(checking_address_text) + three_digits(address));
        stream.discard_input();
        stream.write(ack);
        if (person.cancelled()) {
            person.progress(QString());
            close_line(link, endpoint);
            result.end = poll_end::stopped;
            return result;
        }
        const auto frame = link::protocol_frame(commands::memory_usage_command(), address);
        if (!frame) continue;
        stream.write(*frame);
        link::response_timer timer;
        link::start_response_timer(timer, timeout_ms);
        if (link::read_framed(stream, timer, false).error) continue;
        result.online << address_online_text(address);
        person.status_line(result.online.last());
    }
    result.summary = online_summary(static_cast<int>(result.online.size()));
    person.progress(result.summary);
    close_line(link, endpoint);
    result.end = poll_end::done;
    return result;
}

poll_end poll_single_reader(link::reader_link& link, const link::link_endpoint& endpoint,
                            operator_port& person, std::optional<int> passes) {
    const auto frame = link::protocol_frame(commands::protocol_test_command(), endpoint.address);
    if (!frame) {
        person.message(QString::fromLatin1(link::msg_invalid_protocol_address));
        return poll_end::failed;
    }
    const single_poll_form form = endpoint.tcp() ? tcp_form() : serial_form();
    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    if (const status opened = open_line(link, endpoint, form.connect_ms, form.connect_failed_text);
        !opened) {
        person.message(opened.error());
        return poll_end::failed;
    }
    link::byte_stream& stream = stream_of(link, endpoint);
    if (!form.wake.isEmpty()) {
        stream.discard_input();
        stream.write(form.wake);
        stream.discard_input();
        stream.discard_input();
    }
    poll_end end = poll_end::done;
    for (int pass = 0; !passes || pass < *passes; ++pass) {
        QThread::msleep(single_poll_pause_ms);
        if (person.cancelled()) {
            end = poll_end::stopped;
            break;
        }
        send_poll(stream, form, *frame);
        const pass_answer answer = form.read(stream);
        // A stop that cut the wait short is no answer from the reader.
        if (person.cancelled()) {
            end = poll_end::stopped;
            break;
        }
        if (answer.ends) {
            person.message(QString::fromLatin1(single_poll_timeout_text));
            end = poll_end::failed;
            break;
        }
        if (answer.line) person.status_line(*answer.line);
    }
    close_line(link, endpoint);
    return end;
}

bool answers_poll(link::reader_link& link, const link::link_endpoint& endpoint, int address) {
    const auto frame = link::protocol_frame(commands::protocol_test_command(), address);
    if (!frame) return false;
    link::byte_stream& stream = stream_of(link, endpoint);
    send_poll(stream, endpoint.tcp() ? tcp_form() : serial_form(), *frame);
    return stream.next_byte(QDeadlineTimer(endpoint.tcp() ? tcp_poll_ms : serial_poll_ms))
        .has_value();
}

}  // namespace zep::nettools
