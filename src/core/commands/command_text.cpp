#include "core/commands/command_text.h"

#include <QByteArrayView>

#include "core/commands/reader_clock.h"
#include "core/link/wire.h"

namespace zep::commands {

namespace {

// A NUL-led command; built with explicit sizes so the NUL is never taken as the end.
QByteArray nul_led(const char* letters) {
    QByteArray text(1, link::wire::NUL);
    text.append(letters);
    return text;
}

std::optional<QByteArray> with_digits(const char* letters, int value, int width, int lo, int hi) {
    const auto digits = padded_digits(value, width, lo, hi);
    if (!digits) return std::nullopt;
    return QByteArray(letters) + *digits;
}

std::optional<QByteArray> with_id(QByteArray prefix, const QString& id) {
    if (id.isEmpty() || !sendable_id(id)) return std::nullopt;
    return prefix + id.toLatin1();
}

// Commands by their answer. Parameterless commands match whole; the others by prefix.
struct reply_entry {
    QByteArrayView name;
    bool exact;
    reply_form form;
};

constexpr reply_entry reply_table[] = {
    {"V", true, reply_form::data},   {"z", true, reply_form::data},
    {"t", true, reply_form::data},   {"u", true, reply_form::data},
    {"l", true, reply_form::data},   {"?", true, reply_form::data},
    {"+", false, reply_form::data},  {"AN", false, reply_form::data},
    {"AC", false, reply_form::data}, {"R", false, reply_form::data},
    {"SA", false, reply_form::data}, {"SR", false, reply_form::data},
    {"s1", true, reply_form::ack},   {"s0", true, reply_form::ack},
    {":1", true, reply_form::ack},   {":0", true, reply_form::ack},
    {"{00", true, reply_form::ack},  {"cd", true, reply_form::ack},
    {"ur", true, reply_form::ack},   {"lr", true, reply_form::ack},
    {"cl", true, reply_form::ack},   {"|", false, reply_form::ack},
    {"\\", false, reply_form::ack},  {"\"", false, reply_form::ack},
    {"'", false, reply_form::ack},
};

QByteArray two_digits(int value) {
    return QByteArray::number(value).rightJustified(2, '0');
}

}  // namespace

std::optional<QByteArray> padded_digits(int value, int width, int lo, int hi) {
    if (value < lo || value > hi || value < 0) return std::nullopt;
    const QByteArray digits = QByteArray::number(value);
    if (digits.size() > width) return std::nullopt;
    return digits.rightJustified(width, '0');
}

QByteArray identify_command() {
    return "V";
}
QByteArray memory_usage_command() {
    return "z";
}
QByteArray read_clock_command() {
    return "t";
}

std::optional<QByteArray> set_clock_command(const QDateTime& when) {
    if (!when.isValid()) return std::nullopt;
    const QDate date = when.date();
    const QTime time = when.time();
    QByteArray text = "+";
    text += two_digits(date.year() % 100);
    text += two_digits(date.month());
    text += two_digits(date.day());
    text += two_digits(time.hour());
    text += two_digits(time.minute());
    text += two_digits(time.second());
    text += QByteArray::number(weekday_digit(date));
    return text;
}

QByteArray set_mode_command(reader_mode mode) {
    return "|" + QByteArray::number(static_cast<int>(mode));
}

std::optional<QByteArray> record_length_command(int length) {
    return with_digits("\\", length, 2, 4, 40);
}

std::optional<QByteArray> relay_time_command(int seconds) {
    return with_digits("\"", seconds, 2, 0, 99);
}

std::optional<QByteArray> red_led_time_command(int seconds) {
    return with_digits("'", seconds, 2, 0, 99);
}

QByteArray factory_reset_command() {
    return nul_led("U");
}
QByteArray rs232_logging_command(bool on) {
    return on ? "s1" : "s0";
}
QByteArray bad_logging_command(bool on) {
    return on ? ":1" : ":0";
}
QByteArray clear_full_indicator_command() {
    return "{00";
}

std::optional<QByteArray> add_id_command(int schedule, const QString& id) {
    const auto prefix = with_digits("AN", schedule, 3, 0, 99);
    if (!prefix) return std::nullopt;
    return with_id(*prefix, id);
}

std::optional<QByteArray> adhoc_add_command(const QString& id) {
    return add_id_command(0, id);
}

QByteArray add_record_command(const QByteArray& record) {
    return "AN" + record;
}

std::optional<QByteArray> probe_record_length_command(int zeros) {
    if (zeros < 4 || zeros > 18) return std::nullopt;
    return "AC000" + QByteArray(zeros, '0');
}

std::optional<QByteArray> delete_id_command(const QString& id) {
    return with_id("R", id);
}

QByteArray clear_access_list_command() {
    return "cd";
}
QByteArray restart_access_upload_command() {
    return "ur";
}
QByteArray next_access_record_command() {
    return "u";
}

QByteArray add_schedule_command(const QByteArray& record) {
    return "SA" + record;
}

std::optional<QByteArray> read_schedule_command(int schedule) {
    return with_digits("SR", schedule, 3, 0, 99);
}

QByteArray restart_log_upload_command() {
    return "lr";
}
QByteArray next_log_record_command() {
    return "l";
}
QByteArray clear_log_command() {
    return "cl";
}

QByteArray protocol_command(bool on) {
    return nul_led(on ? "ITP" : "ITN");
}

std::optional<QByteArray> set_address_command(int new_address) {
    const auto digits = padded_digits(new_address, 3, 0, link::wire::global_address);
    if (!digits) return std::nullopt;
    return nul_led("IA") + *digits;
}

QByteArray protocol_test_command() {
    return "?";
}

bool sendable_id(const QString& id) {
    for (const QChar c : id) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code < 0xa0) || code > 0xff) return false;
    }
    return true;
}

reply_form expected_reply(const QByteArray& command) {
    // Every NUL-led command (reset, protocol on/off, address, data formats) is ACKed.
    if (command.startsWith(link::wire::NUL)) return reply_form::ack;
    for (const reply_entry& entry : reply_table) {
        const QByteArrayView text(command);
        if (entry.exact ? text == entry.name : text.startsWith(entry.name)) {
            return entry.form;
        }
    }
    return reply_form::unknown;
}

}  // namespace zep::commands
