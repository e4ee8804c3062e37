#include "core/commands/command_text.h"
#include "core/link/reader_exchange.h"
#include "core/link/wire.h"
#include "core/nettools/network_manager.h"
#include "core/operator.h"

namespace zep::nettools {

namespace {

// ACK waits of the address change and of the protocol switch.
constexpr int serial_ack_ms = 200;
constexpr int tcp_ack_ms = 2000;

int ack_wait_ms(const link::link_endpoint& endpoint) {
    return endpoint.tcp() ? tcp_ack_ms : serial_ack_ms;
}

status told(operator_port& person, const char* text) {
    person.message(QString::fromLatin1(text));
    return status::failure(QString::fromLatin1(text));
}

status told(operator_port& person, const QString& text) {
    person.message(text);
    return status::failure(text);
}

QString address_in_use_text(int address) {
    return QStringLiteral("Address %1 is already in use").arg(address, 3, 10, QLatin1Char('0'));
}

}  // namespace

std::optional<int> box_address(const QString& text) {
    if (text.isEmpty() || text.size() > 9) return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    // Only digits reach the boxes; a sign or blank is no address either.
    if (!ok || !text.front().isDigit()) return std::nullopt;
    return value;
}

status change_address(link::reader_link& link, const link::link_endpoint& endpoint,
                      const QString& from_text, const QString& to_text, operator_port& person) {
    const auto from = box_address(from_text);
    if (!from || *from >= link::wire::global_address) return told(person, invalid_from_text);
    const auto to = box_address(to_text);
    if (!to || *to >= link::wire::global_address) return told(person, invalid_to_text);

    // The reader is named by the frame's address byte alone; plain mode reaches whichever
    // reader is on the line.
    link::link_endpoint reader = endpoint;
    reader.address = *from;
    link::reader_exchange exchange(link, reader);
    if (const status opened = exchange.open(); !opened) return told(person, opened.error());
    // Two readers at one address would both answer it: the new one must be free.
    if (reader.protocol && *from != *to && answers_poll(link, reader, *to)) {
        return told(person, address_in_use_text(*to));
    }
    exchange.flush();
    if (!exchange.send_command(*commands::set_address_command(*to))) {
        return told(person, link::msg_no_response);
    }
    if (reader.protocol && !exchange.wait_ack(ack_wait_ms(reader))) {
        return told(person, link::msg_no_response);
    }
    exchange.close();
    person.message(QString::fromLatin1(address_change_sent_text));
    return {};
}

status set_protocol(link::reader_link& link, const link::link_endpoint& endpoint, bool on,
                    operator_port& person) {
    if (on == endpoint.protocol &&
        !person.confirm(
            QString::fromLatin1(on ? protocol_on_warning_text : protocol_off_warning_text))) {
        return status::failure(QString());
    }
    link::reader_exchange exchange(link, endpoint);
    if (const status opened = exchange.open(); !opened) return told(person, opened.error());
    if (!exchange.send_command(commands::protocol_command(on))) {
        return told(person, link::msg_no_response);
    }
    // Only the switch on in protocol mode is answered; serially the answer is let go by.
    if (on && endpoint.protocol) {
        if (!endpoint.tcp()) {
            (void)exchange.read_reply(serial_ack_ms);
        } else if (!exchange.wait_ack(tcp_ack_ms)) {
            return told(person, link::msg_no_response);
        }
    }
    exchange.close();
    return {};
}

}  // namespace zep::nettools
