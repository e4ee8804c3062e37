// The decoders of reader replies and schedule records. Input: the first byte picks the
// decoder ('z' memory usage, 't' clock, 'u' access record, 'l' log record, 'S' "SR"
// schedule reply, 'r' schedule file record; any other byte one of them by its value), the
// rest is the reply as it came off the line.

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "core/commands/reader_clock.h"
#include "core/commands/reply_decoding.h"
#include "core/commands/upload_records.h"
#include "fuzz/fuzz_harness.h"

namespace {

using namespace zep::commands;
using zep::fuzz::all_digits;

void check_memory_field(const memory_field& field, const QByteArray& reply, int index) {
    ZEP_FUZZ_CHECK(field.text == QString::fromLatin1(reply.mid(5 * index, 5)));
    const QString digits = field.text.trimmed();
    ZEP_FUZZ_CHECK(field.value.has_value() == all_digits(digits));
    if (field.value) ZEP_FUZZ_CHECK(*field.value >= 0 && *field.value <= 99999);
}

void check_memory(const QByteArray& reply) {
    const auto available = decode_memory_usage(reply, memory_layout::available_first);
    const auto used = decode_memory_usage(reply, memory_layout::used_first);
    ZEP_FUZZ_CHECK(available.has_value() == (reply.size() >= 20));
    ZEP_FUZZ_CHECK(used.has_value() == available.has_value());
    if (!available) return;
    check_memory_field(available->download_available, reply, 0);
    check_memory_field(available->download_used, reply, 1);
    check_memory_field(available->logging_available, reply, 2);
    check_memory_field(available->logging_used, reply, 3);
    // Old firmware swaps the two fields of each pair, nothing else.
    ZEP_FUZZ_CHECK(used->download_available.text == available->download_used.text);
    ZEP_FUZZ_CHECK(used->download_used.text == available->download_available.text);
    ZEP_FUZZ_CHECK(used->logging_available.value == available->logging_used.value);
    ZEP_FUZZ_CHECK(used->logging_used.value == available->logging_available.value);
}

void check_clock(const QByteArray& reply) {
    const auto clock = decode_clock_reply(reply);
    ZEP_FUZZ_CHECK(clock.has_value() == (reply.size() >= 12 && all_digits(reply.left(12))));
    if (!clock) return;
    ZEP_FUZZ_CHECK(clock->year >= 1969 && clock->year <= 2068);
    for (const int field : {clock->month, clock->day, clock->hour, clock->minute, clock->second})
        ZEP_FUZZ_CHECK(field >= 0 && field <= 99);
    ZEP_FUZZ_CHECK(clock->display.size() == 20);

    const QDate date(clock->year, clock->month, clock->day);
    const QTime time(clock->hour, clock->minute, clock->second);
    ZEP_FUZZ_CHECK(clock->date_time().isValid() == (date.isValid() && time.isValid()));
    if (!date.isValid() || !time.isValid()) return;
    // The reader's digits and the PC clock's are shown alike.
    const QDateTime fields(date, time, Qt::UTC);
    ZEP_FUZZ_CHECK(clock_display_text(fields) == clock->display);
    ZEP_FUZZ_CHECK(weekday_digit(date) >= 1 && weekday_digit(date) <= 7);
    // A reader's time zone moves the clock by whole hours and back without loss.
    const int hours = reply.size() > 12 ? static_cast<signed char>(reply[12]) : 0;
    const QDateTime there = shifted_clock(fields, hours);
    ZEP_FUZZ_CHECK(there.timeSpec() == Qt::UTC);
    ZEP_FUZZ_CHECK(shifted_clock(there, -hours) == fields);
    ZEP_FUZZ_CHECK(fields.secsTo(there) == 3600LL * hours);
}

void check_access_record(const QByteArray& reply) {
    const auto record = decode_access_record(reply);
    ZEP_FUZZ_CHECK(record.has_value() == (!reply.isEmpty() && reply != "END"));
    if (!record) return;
    ZEP_FUZZ_CHECK(!record->id.startsWith(u' '));
    ZEP_FUZZ_CHECK(QString::fromLatin1(reply.chopped(1)).endsWith(record->id));
    ZEP_FUZZ_CHECK(record->schedule == static_cast<unsigned char>(reply.back()));
    const QString shown = schedule_text(record->schedule);
    ZEP_FUZZ_CHECK(shown.size() >= 3 && shown.toInt() == record->schedule);
}

// A log reply as it becomes a log row; returns the row's DateTime text when the stamp is
// twelve digits.
std::optional<QString> check_log_row(const QByteArray& reply) {
    const auto record = decode_log_record(reply);
    ZEP_FUZZ_CHECK(record.has_value() == (reply.size() >= 13));
    if (!record) return std::nullopt;
    ZEP_FUZZ_CHECK(record->line == QString::fromLatin1(reply));
    ZEP_FUZZ_CHECK(record->stamp.size() == 12);
    ZEP_FUZZ_CHECK(record->granted == (reply[0] == '0'));
    ZEP_FUZZ_CHECK(record->card == record->card.trimmed());
    ZEP_FUZZ_CHECK(record->line.mid(13).contains(record->card));
    // "20yy-mm-dd hh:mm:ss": the stamp's pairs in place, whatever the reader sent.
    const QString text = log_datetime_text(*record);
    ZEP_FUZZ_CHECK(text.size() == 19 && text.startsWith(QLatin1String("20")));
    ZEP_FUZZ_CHECK(text[4] == u'-' && text[7] == u'-' && text[10] == u' ' && text[13] == u':' &&
                   text[16] == u':');
    QString pairs;
    for (const int at : {2, 5, 8, 11, 14, 17}) pairs += text.mid(at, 2);
    ZEP_FUZZ_CHECK(pairs == record->stamp);
    if (!all_digits(record->stamp)) return std::nullopt;
    return text;
}

// The reply, and its bytes from the 14th on as a second reply: the log's datetime index
// orders the two rows as their stamps.
void check_log_record(const QByteArray& reply) {
    const auto first = check_log_row(reply);
    const auto second = check_log_row(reply.mid(13));
    if (!first || !second) return;
    const auto sign = [](int n) { return (n > 0) - (n < 0); };
    ZEP_FUZZ_CHECK(sign(QString::compare(*first, *second)) ==
                   sign(reply.mid(1, 12).compare(reply.mid(14, 12))));
}

void check_schedule_reply(const QByteArray& reply) {
    const auto days = split_schedule_reply(reply);
    QByteArray joined;
    for (std::size_t day = 0; day < days.size(); ++day) {
        ZEP_FUZZ_CHECK(days[day].size() <= 8);
        // A short reply leaves the later days short, never an earlier one.
        if (day > 0 && !days[day].isEmpty()) ZEP_FUZZ_CHECK(days[day - 1].size() == 8);
        joined += days[day];
    }
    ZEP_FUZZ_CHECK(joined == reply.left(56));
}

void check_schedule_record(const QByteArray& record) {
    const auto decoded = decode_schedule_record(record);
    ZEP_FUZZ_CHECK(decoded.has_value() == (record.size() >= 4 && all_digits(record.left(4))));
    if (decoded) {
        ZEP_FUZZ_CHECK(decoded->schedule >= 0 && decoded->schedule <= 999);
        ZEP_FUZZ_CHECK(decoded->weekday >= 0 && decoded->weekday <= 9);
        ZEP_FUZZ_CHECK(decoded->times == record.mid(4));
        if (decoded->schedule <= 99 && decoded->weekday >= 1 && decoded->weekday <= 7) {
            ZEP_FUZZ_CHECK(schedule_file_record(decoded->schedule, decoded->weekday,
                                                decoded->times) == record);
        }
    }
    // And the other way round: a record written from any numbers reads back as them.
    if (record.size() < 2) return;
    const int schedule = static_cast<signed char>(record[0]);
    const int weekday = static_cast<signed char>(record[1]) % 10;
    const QByteArray times = record.mid(2);
    const auto written = schedule_file_record(schedule, weekday, times);
    ZEP_FUZZ_CHECK(written.has_value() ==
                   (schedule >= 0 && schedule <= 99 && weekday >= 1 && weekday <= 7));
    if (!written) return;
    const auto read_back = decode_schedule_record(*written);
    ZEP_FUZZ_CHECK(read_back && read_back->schedule == schedule && read_back->weekday == weekday &&
                   read_back->times == times);
}

}  // namespace

ZEP_FUZZ_TARGET(input) {
    if (input.isEmpty()) return;
    using check = void (*)(const QByteArray&);
    static constexpr std::pair<char, check> decoders[] = {
        {'z', check_memory},     {'t', check_clock},          {'u', check_access_record},
        {'l', check_log_record}, {'S', check_schedule_reply}, {'r', check_schedule_record}};
    const auto picked = std::find_if(std::begin(decoders), std::end(decoders),
                                     [&](const auto& d) { return d.first == input[0]; });
    const auto by_value = zep::fuzz::byte_at(input, 0) % std::size(decoders);
    (picked != std::end(decoders) ? picked->second : decoders[by_value].second)(input.sliced(1));
}
