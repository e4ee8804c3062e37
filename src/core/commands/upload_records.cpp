#include "core/commands/upload_records.h"

#include "core/commands/command_text.h"

namespace zep::commands {

namespace {

constexpr int log_stamp_start = 1;
constexpr int log_stamp_size = 12;
constexpr int log_card_start = log_stamp_start + log_stamp_size;
constexpr int schedule_group_size = 8;

bool all_digits(const QByteArray& text) {
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return !text.isEmpty();
}

}  // namespace

bool is_end_reply(const QByteArray& reply) {
    return reply == end_of_upload;
}

std::optional<access_record> decode_access_record(const QByteArray& reply) {
    if (reply.isEmpty() || is_end_reply(reply)) return std::nullopt;
    QString id = QString::fromLatin1(reply.left(reply.size() - 1));
    qsizetype blanks = 0;
    while (blanks < id.size() && id[blanks] == u' ') ++blanks;
    id.remove(0, blanks);
    return access_record{id, static_cast<unsigned char>(reply.back())};
}

QString schedule_text(int schedule) {
    return QString::number(schedule).rightJustified(3, u'0');
}

std::optional<log_record> decode_log_record(const QByteArray& reply) {
    if (reply.size() < log_card_start || is_end_reply(reply)) return std::nullopt;
    log_record record;
    record.line = QString::fromLatin1(reply);
    record.granted = reply.front() == '0';
    record.stamp = QString::fromLatin1(reply.mid(log_stamp_start, log_stamp_size));
    record.card = QString::fromLatin1(reply.mid(log_card_start)).trimmed();
    return record;
}

QString log_datetime_text(const log_record& record) {
    const auto pair_at = [&](int pos) { return record.stamp.mid(pos, 2); };
    return QLatin1String("20") + pair_at(0) + '-' + pair_at(2) + '-' + pair_at(4) + ' ' +
           pair_at(6) + ':' + pair_at(8) + ':' + pair_at(10);
}

std::array<QByteArray, 7> split_schedule_reply(const QByteArray& reply) {
    std::array<QByteArray, 7> groups;
    for (int day = 0; day < 7; ++day) {
        groups[day] = reply.mid(day * schedule_group_size, schedule_group_size);
    }
    return groups;
}

std::optional<QByteArray> schedule_file_record(int schedule, int weekday, const QByteArray& times) {
    const auto sss = padded_digits(schedule, 3, 0, 99);
    const auto d = padded_digits(weekday, 1, 1, 7);
    if (!sss || !d) return std::nullopt;
    return *sss + *d + times;
}

std::optional<schedule_record> decode_schedule_record(const QByteArray& record) {
    if (record.size() < 4 || !all_digits(record.left(4))) return std::nullopt;
    return schedule_record{record.left(3).toInt(), record.mid(3, 1).toInt(), record.mid(4)};
}

}  // namespace zep::commands
