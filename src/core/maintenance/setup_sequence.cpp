#include "core/maintenance/setup_sequence.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <map>

#include "core/data/readers_table.h"
#include "core/link/reader_exchange.h"
#include "core/link/wire.h"
#include "core/operator.h"

namespace zep::maintenance {

namespace {

constexpr int pause_slice_ms = 50;

// A pause the operator can cut short.
void pause(int ms, operator_port& person) {
    const QDeadlineTimer until(ms);
    while (!until.hasExpired() && !person.cancelled()) {
        QThread::msleep(static_cast<unsigned long>(
            std::clamp<qint64>(until.remainingTime(), 0, pause_slice_ms)));
    }
}

// Sends the commands over a link that is open and flushed. TCP has had its wake-up.
command_acks send_all(link::reader_exchange& exchange, const link::link_endpoint& endpoint,
                      int ack_ms, const std::vector<setup_command>& commands,
                      const sequence_profile& profile, operator_port& person,
                      const command_report& report) {
    command_acks acks;
    if (endpoint.protocol && !endpoint.tcp() && profile.serial_wake_ack) exchange.send_ack();
    const bool answers = !(endpoint.protocol && endpoint.address == link::wire::global_address);
    for (const setup_command& command : commands) {
        if (person.cancelled()) break;
        // An ACK that came after its wait is no answer to this command.
        exchange.flush();
        bool acked = exchange.send_frame(command.bytes);
        const bool awaited =
            endpoint.protocol && answers && (endpoint.tcp() || command.ack_on_serial);
        if (acked && awaited) acked = exchange.wait_ack(ack_ms);
        // A wait cut off by the operator is no answer to report.
        if (!acked && person.cancelled()) break;
        acks.push_back(acked);
        if (report) report(command, acked);
        if (!acked && profile.stop_at_silence) break;
        // The last command gets its pause too, before the link closes.
        if (profile.pause_ms > 0) pause(profile.pause_ms, person);
    }
    return acks;
}

int ack_ms_of(const link::link_endpoint& endpoint) {
    return endpoint.tcp() ? setup_tcp_ack_ms : setup_serial_ack_ms;
}

QString reader_line(const records::reader_endpoint& reader, const QString& text) {
    return QStringLiteral("Reader ") + reader.number_text + QStringLiteral(" - ") + text;
}

}  // namespace

result<command_acks> send_setup_sequence(link::reader_link& link, const utility_target& target,
                                         const std::vector<setup_command>& commands,
                                         const sequence_profile& profile, operator_port& person,
                                         const command_report& report) {
    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    link::reader_exchange exchange(link, target.endpoint);
    if (const status opened = exchange.open(); !opened) return opened;
    return send_all(exchange, target.endpoint,
                    target.timeout_ms.value_or(ack_ms_of(target.endpoint)), commands, profile,
                    person, report);
}

records::walk_result walk_setup_sequence(link::reader_link& link, const walk_inputs& inputs,
                                         const QString& header,
                                         const std::vector<setup_command>& commands,
                                         const sequence_profile& profile, operator_port& person,
                                         const std::function<bool()>& prepare) {
    records::walk_result result;
    if (inputs.targets.none()) {
        person.message(QLatin1String(records::no_active_readers_text));
        result.end = records::walk_end::no_active_readers;
        return result;
    }
    if (prepare && !prepare()) {
        result.end = records::walk_end::no_input;
        return result;
    }
    auto add_line = [&](const QString& line) {
        result.lines << line;
        person.status_line(line);
    };
    add_line(header);
    add_line(QStringLiteral(" "));

    std::map<int, data::reader_row> rows;
    for (const data::reader_row& row : inputs.rows) rows.emplace(row.readernum, row);
    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    for (int number = 0; number < records::reader_slots; ++number) {
        if (!inputs.targets.test(static_cast<std::size_t>(number))) continue;
        if (person.cancelled()) break;
        data::reader_row row;
        row.readernum = static_cast<qint16>(number);
        if (const auto found = rows.find(number); found != rows.end()) row = found->second;
        const records::reader_endpoint reader = records::make_reader_endpoint(row, inputs.devices);
        if (const auto failure = records::open_reader_link(link, reader)) {
            if (person.cancelled()) break;
            ++result.failures;
            add_line(records::open_failure_line(
                reader, *failure,
                QStringLiteral("Reader %1") + QLatin1String(records::walk_serial_failed_text)));
            continue;
        }
        link::reader_exchange exchange(link, reader.link);
        // The walk opens without a wake-up; TCP gets the one the single reader gets.
        if (reader.tcp()) exchange.wake_up();
        bool silent = false;
        const command_report per_command = [&](const setup_command& command, bool acked) {
            silent = silent || !acked;
            if (profile.success_text.isEmpty()) {
                add_line(reader_line(reader, command.text) +
                         QLatin1String(acked ? command_sent_text : command_silent_text));
            }
        };
        const command_acks acks = send_all(exchange, reader.link, ack_ms_of(reader.link), commands,
                                           profile, person, per_command);
        records::close_reader_link(link, reader);
        if (acks.size() < commands.size() && !silent) break;  // cancelled
        if (silent) ++result.failures;
        if (!profile.success_text.isEmpty()) {
            add_line(reader_line(reader, silent ? QString::fromLatin1(link::msg_no_response)
                                                : profile.success_text));
        }
    }
    if (person.cancelled()) result.end = records::walk_end::cancelled;
    return result;
}

}  // namespace zep::maintenance
