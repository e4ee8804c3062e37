#include "core/records/active_reader_walk.h"

#include <map>

#include "core/data/readers_table.h"
#include "core/link/reader_exchange.h"
#include "core/link/reader_link.h"
#include "core/operator.h"

namespace zep::records {

namespace {

bool in_range(int readernum) {
    return readernum >= 0 && readernum < reader_slots;
}

QString reader_line(const reader_endpoint& reader, const QString& text) {
    return QStringLiteral("Reader ") + reader.number_text + text;
}

// The rows read at the start of the walk; later changes to the table are not seen.
std::map<int, data::reader_row> rows_by_number(const std::vector<data::reader_row>& rows) {
    std::map<int, data::reader_row> by_number;
    for (const data::reader_row& row : rows) {
        if (in_range(row.readernum)) by_number.emplace(row.readernum, row);
    }
    return by_number;
}

struct reader_outcome {
    QString line;
    bool answered = false;   // the reader's reply came
    bool succeeded = false;  // and said yes
};

reader_outcome one_reader(link::reader_link& link, const reader_endpoint& reader,
                          const walk_operation& operation, const QString& input) {
    if (const auto failure = open_reader_link(link, reader)) {
        return {open_failure_line(reader, *failure, operation.serial_failed_line)};
    }
    link::reader_exchange exchange(link, reader.link);
    const auto reply =
        walk_exchange(exchange, reader, operation.command(reader, input), operation.timeout_ms);
    close_reader_link(link, reader);
    if (!reply) {
        return {reader_line(
            reader, QLatin1String(reader.tcp() ? walk_tcp_silent_text : walk_serial_silent_text))};
    }
    const bool accepted = operation.accepted(*reply);
    return {reader_line(reader, accepted ? operation.success_text : operation.refusal_text), true,
            accepted};
}

}  // namespace

target_flags active_marks(const std::vector<data::reader_row>& rows) {
    target_flags flags;
    for (const data::reader_row& row : rows) {
        if (in_range(row.readernum) && row.active.trimmed() == QLatin1String("Y")) {
            flags.set(static_cast<std::size_t>(row.readernum));
        }
    }
    return flags;
}

QString open_failure_line(const reader_endpoint& reader, reader_open_failure failure,
                          const QString& serial_failed_line) {
    switch (failure) {
        case reader_open_failure::no_port:
            return reader_line(reader, QLatin1String(walk_no_port_text));
        case reader_open_failure::invalid_address:
            return reader_line(reader, QLatin1String(walk_invalid_address_text));
        case reader_open_failure::tcp:
            return reader_line(reader, QLatin1String(walk_tcp_failed_text));
        case reader_open_failure::serial:
            break;
    }
    return serial_failed_line.arg(reader.number_text);
}

std::optional<QByteArray> walk_exchange(link::reader_exchange& exchange,
                                        const reader_endpoint& reader, const QByteArray& command,
                                        int timeout_ms) {
    // A plain reader on TCP needs no wake-up; every other reader gets CR or ACK.
    if (reader.protocol() || !reader.tcp()) exchange.wake_up();
    if (!exchange.send_frame(command)) return std::nullopt;
    const link::link_read reply = exchange.read_reply(timeout_ms);
    if (reply.error) return std::nullopt;
    if (reader.protocol()) exchange.send_ack();
    return reply.text;
}

walk_result walk_active_readers(link::reader_link& link, const std::vector<data::reader_row>& rows,
                                const target_flags& targets, const link::com_device_map& devices,
                                const walk_operation& operation, operator_port& person) {
    walk_result result;
    if (targets.none()) {
        person.message(QLatin1String(no_active_readers_text));
        result.end = walk_end::no_active_readers;
        return result;
    }
    if (operation.ask_input) {
        const auto answer = operation.ask_input();
        if (!answer || answer->isEmpty()) {
            result.end = walk_end::no_input;
            return result;
        }
        result.input = *answer;
    }
    if (operation.refuse_input) {
        if (const QString refused = operation.refuse_input(result.input); !refused.isEmpty()) {
            person.message(refused);
            result.end = walk_end::input_refused;
            return result;
        }
    }
    auto add_line = [&](const QString& line) {
        result.lines << line;
        person.status_line(line);
    };
    add_line(operation.header ? operation.header(result.input) : QString());
    add_line(QStringLiteral(" "));

    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    const auto by_number = rows_by_number(rows);
    for (int number = 0; number < reader_slots; ++number) {
        if (!targets.test(static_cast<std::size_t>(number))) continue;
        if (person.cancelled()) {
            result.end = walk_end::cancelled;
            break;
        }
        data::reader_row row;
        row.readernum = static_cast<qint16>(number);
        if (const auto found = by_number.find(number); found != by_number.end()) {
            row = found->second;
        }
        const reader_outcome outcome =
            one_reader(link, make_reader_endpoint(row, devices), operation, result.input);
        // A reader that did not answer while a cancel came was cut off by the cancel.
        if (!outcome.answered && person.cancelled()) {
            result.end = walk_end::cancelled;
            break;
        }
        if (!outcome.succeeded) ++result.failures;
        add_line(outcome.line);
    }
    return result;
}

}  // namespace zep::records
