#include "sim/interpreter.h"

#include <algorithm>
#include <array>
#include <optional>

namespace zep::sim {

namespace {

using handler = command_result (*)(reader&, QByteArrayView arg, const QDateTime& now);

struct command_entry {
    QByteArrayView name;
    bool exact;  // otherwise a prefix followed by parameters
    handler run;
};

constexpr char ack_char = 0x06;
constexpr char nak_char = 0x15;
constexpr char stx_char = 0x02;
constexpr char etx_char = 0x03;

bool all_digits(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A field of exactly `width` digits (at most 9, so it fits an int).
std::optional<int> number(QByteArrayView text, qsizetype width) {
    if (text.size() != width || width > 9 || !all_digits(text)) return std::nullopt;
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

QByteArray field5(int value) {
    return QByteArray::number(std::clamp(value, 0, 99999)).rightJustified(5, '0');
}

QByteArray pair(int available, int used, bool old_firmware) {
    return old_firmware ? field5(used) + field5(available) : field5(available) + field5(used);
}

QByteArray stamp(const QDateTime& at) {
    return at.toString(u"yyMMddHHmmss").toLatin1();
}

// hhmm with hours up to 24; 2400 closes a window at midnight.
bool valid_hhmm(QByteArrayView text) {
    const auto value = number(text, 4);
    return value && *value <= 2400 && *value % 100 < 60;
}

command_result ident(reader& r, QByteArrayView, const QDateTime&) {
    return command_result::reply(r.ident);
}

command_result memory(reader& r, QByteArrayView, const QDateTime&) {
    const int used = r.ids.slots_used();
    const int log_used = r.keeps_log() ? r.log.size() : 0;
    const int log_free = r.keeps_log() ? std::max(0, r.log_capacity - log_used) : 0;
    return command_result::reply(pair(std::max(0, r.capacity() - used), used, r.old_firmware) +
                                 pair(log_free, log_used, r.old_firmware));
}

command_result read_clock(reader& r, QByteArrayView, const QDateTime& now) {
    return command_result::reply(stamp(r.clock(now)));
}

command_result set_clock(reader& r, QByteArrayView arg, const QDateTime& now) {
    const command_result error = command_result::reply("E");
    if (arg.size() != 13 || !all_digits(arg)) return error;
    auto part = [&](int at, int width) { return *number(arg.sliced(at, width), width); };
    const int yy = part(0, 2);
    const QDate date(yy < 70 ? 2000 + yy : 1900 + yy, part(2, 2), part(4, 2));
    const QTime time(part(6, 2), part(8, 2), part(10, 2));
    const int weekday = part(12, 1);
    if (!date.isValid() || !time.isValid() || weekday < 1 || weekday > 7) return error;
    r.clock_offset_s = now.secsTo(QDateTime(date, time, Qt::UTC));
    r.last_weekday = weekday;
    return command_result::reply("O");
}

command_result set_mode(reader& r, QByteArrayView arg, const QDateTime&) {
    if (arg.size() != 1 || !QByteArrayView("1345").contains(arg[0])) return command_result::naked();
    r.mode = arg[0];
    return command_result::acked();
}

command_result set_record_length(reader& r, QByteArrayView arg, const QDateTime&) {
    const auto length = number(arg, 2);
    if (!length || *length < 4 || *length > 40) return command_result::naked();
    r.set_record_length(*length);
    return command_result::acked();
}

command_result set_relay_time(reader& r, QByteArrayView arg, const QDateTime&) {
    const auto value = number(arg, 2);
    if (!value) return command_result::naked();
    r.relay_time = *value;
    return command_result::acked();
}

command_result set_red_led_time(reader& r, QByteArrayView arg, const QDateTime&) {
    const auto value = number(arg, 2);
    if (!value) return command_result::naked();
    r.red_led_time = *value;
    return command_result::acked();
}

template <bool reader::*flag, bool value>
command_result set_flag(reader& r, QByteArrayView, const QDateTime&) {
    r.*flag = value;
    return command_result::acked();
}

command_result add_id(reader& r, QByteArrayView arg, const QDateTime&) {
    if (arg.size() < 3) return command_result::reply("N");
    const QByteArrayView id = arg.sliced(3);
    // The reader's record buffer overflows: it loses the command and says nothing.
    if (id.size() > r.record_length)
        return r.faults.refuse_long_ids ? command_result::reply("N") : command_result::silence();
    const auto schedule = number(arg.first(3), 3);
    if (!schedule || *schedule > schedule_table::count || access_list::normalized(id).isEmpty())
        return command_result::reply("N");
    if (!r.faults.forget_id.isEmpty() && id == r.faults.forget_id)
        return command_result::reply("A");
    if (r.ids.store(id, *schedule, r.capacity()) == access_list::store_result::full)
        return command_result::reply("F");
    return command_result::reply("A");
}

command_result remove_id(reader& r, QByteArrayView arg, const QDateTime&) {
    return command_result::reply(r.ids.remove(arg) ? "D" : "N");
}

command_result clear_ids(reader& r, QByteArrayView, const QDateTime&) {
    r.ids.clear();
    return command_result::acked();
}

command_result restart_upload(reader& r, QByteArrayView, const QDateTime&) {
    r.ids.restart_upload();
    return command_result::acked();
}

command_result next_upload(reader& r, QByteArrayView, const QDateTime&) {
    const auto entry = r.ids.next_upload();
    if (!entry) return command_result::reply("END");
    QByteArray record = entry->id.rightJustified(r.record_length, ' ');
    record.append(static_cast<char>(entry->schedule));
    return command_result::reply(record);
}

command_result store_schedule(reader& r, QByteArrayView arg, const QDateTime&) {
    const command_result refused = command_result::reply("N");
    if (arg.size() != 12) return refused;
    const auto num = number(arg.first(3), 3);
    const auto day = number(arg.sliced(3, 1), 1);
    if (!num || *num < 1 || *num > schedule_table::count || !day || *day < 1 || *day > 7)
        return refused;
    if (!valid_hhmm(arg.sliced(4, 4)) || !valid_hhmm(arg.sliced(8, 4))) return refused;
    r.schedules.set_day(*num, *day, arg.sliced(4, 8));
    return command_result::reply("A");
}

command_result read_schedule(reader& r, QByteArrayView arg, const QDateTime&) {
    const auto num = number(arg, 3);
    if (!num || *num < 1 || *num > schedule_table::count) return command_result::reply("N");
    QByteArray days;
    for (int day = 1; day <= 7; ++day) days += r.schedules.window(*num, day);
    return command_result::reply(days);
}

command_result restart_log(reader& r, QByteArrayView, const QDateTime&) {
    r.log.restart_upload();
    return command_result::acked();
}

command_result next_log(reader& r, QByteArrayView, const QDateTime&) {
    const log_record* record = r.keeps_log() ? r.log.next_upload() : nullptr;
    if (record == nullptr) return command_result::reply("END");
    return command_result::reply((record->denied ? "1" : "0") + stamp(record->when) + record->card);
}

command_result clear_log(reader& r, QByteArrayView, const QDateTime&) {
    r.log.clear();
    return command_result::acked();
}

command_result protocol_test(reader&, QByteArrayView, const QDateTime&) {
    return command_result::reply(QByteArray(1, '\0'));
}

constexpr std::array commands{
    command_entry{"V", true, ident},
    command_entry{"z", true, memory},
    command_entry{"t", true, read_clock},
    command_entry{"?", true, protocol_test},
    command_entry{"s1", true, set_flag<&reader::rs232_logging, true>},
    command_entry{"s0", true, set_flag<&reader::rs232_logging, false>},
    command_entry{":1", true, set_flag<&reader::bad_logging, true>},
    command_entry{":0", true, set_flag<&reader::bad_logging, false>},
    command_entry{"{00", true, set_flag<&reader::log_full, false>},
    command_entry{"cd", true, clear_ids},
    command_entry{"ur", true, restart_upload},
    command_entry{"u", true, next_upload},
    command_entry{"lr", true, restart_log},
    command_entry{"l", true, next_log},
    command_entry{"cl", true, clear_log},
    command_entry{"+", false, set_clock},
    command_entry{"|", false, set_mode},
    command_entry{"\\", false, set_record_length},
    command_entry{"\"", false, set_relay_time},
    command_entry{"'", false, set_red_led_time},
    command_entry{"AN", false, add_id},
    command_entry{"AC", false, add_id},
    command_entry{"SA", false, store_schedule},
    command_entry{"SR", false, read_schedule},
    command_entry{"R", false, remove_id},
};

// Symbology switches: the reader only has to take them.
constexpr std::array<QByteArrayView, 29> setup_names{
    "AO",  "AF",  "ACE", "ACD", "BO", "BF", "CO",  "CF",  "EO",  "EF",
    "GO",  "GF",  "HO",  "HF",  "NO", "NF", "BCE", "BCD", "HCE", "HCD",
    "M1O", "M1F", "M2O", "M2F", "TA", "TR", "T00", "T05", "T0:"};

bool is_setup(QByteArrayView text) {
    if (std::find(setup_names.begin(), setup_names.end(), text) != setup_names.end()) return true;
    // Timing and mask commands carry digits after the letter.
    return text.size() >= 2 && (text[0] == 'T' || text[0] == 'M') && text[1] >= '0' &&
           text[1] <= '9';
}

command_result execute_system(reader& r, QByteArrayView text) {
    if (text == "U") {
        r.factory_reset();
        return command_result::acked();
    }
    // The ACK goes out in the form the command came in (encode() sees how it arrived):
    // framed ITP/ITN is ACKed, then the mode changes; a plain ITP switches silently.
    if (text == "ITP" || text == "ITN") {
        r.protocol = text == "ITP";
        return command_result::acked();
    }
    if (text.startsWith("IA")) {
        const auto address = number(text.sliced(2), 3);
        if (!address || *address > 126) return command_result::naked();
        r.address = *address;
        return command_result::acked();
    }
    if (is_setup(text)) {
        r.note_setup(text.toByteArray());
        return command_result::acked();
    }
    return command_result::naked();
}

}  // namespace

command_result execute(reader& r, const QByteArray& command, const QDateTime& now) {
    const QByteArrayView text(command);
    if (text.startsWith('\0')) return execute_system(r, text.sliced(1));
    for (const command_entry& c : commands) {
        if (c.exact ? text == c.name : text.startsWith(c.name))
            return c.run(r, text.sliced(c.name.size()), now);
    }
    return command_result::naked();
}

QByteArray encode(const command_result& result, bool framed) {
    switch (result.what) {
        case command_result::kind::none:
            return {};
        case command_result::kind::ack:
            return framed ? QByteArray(1, ack_char) : QByteArray();
        case command_result::kind::nak:
            return framed ? QByteArray(1, nak_char) : QByteArray();
        case command_result::kind::data:
            if (framed) return QByteArray(1, ack_char) + stx_char + result.text + etx_char;
            return result.text + '\r';
    }
    return {};
}

}  // namespace zep::sim
