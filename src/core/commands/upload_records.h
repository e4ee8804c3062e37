#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace zep::commands {

// Record-by-record uploads ("u", "l") end at this reply; any other reply is a record.
inline constexpr auto end_of_upload = "END";
bool is_end_reply(const QByteArray& reply);

// One "u" reply: the ID, then one byte whose code is the schedule number.
struct access_record {
    QString id;  // leading blanks removed; the reader right-justifies IDs
    int schedule = 0;
};

// nullopt for "END" and for an empty reply.
std::optional<access_record> decode_access_record(const QByteArray& reply);

// A schedule number with at least three digits ("005", "013").
QString schedule_text(int schedule);

// One "l" reply: "0" granted / anything else denied, yymmddhhmmss, then the card number.
struct log_record {
    QString line;  // the reply as received, for log files
    bool granted = false;
    QString stamp;  // yymmddhhmmss
    QString card;   // characters from 14 on, trimmed
};

// nullopt for "END" and for a reply shorter than status and stamp (13 characters).
std::optional<log_record> decode_log_record(const QByteArray& reply);

// "20yy-mm-dd hh:mm:ss": the log table's DateTime text; logs are always of this century.
QString log_datetime_text(const log_record& record);

// The "SR" reply as seven 8-character groups hhmmhhmm for weekdays 1..7; a short reply
// gives shorter or empty groups for the missing days.
std::array<QByteArray, 7> split_schedule_reply(const QByteArray& reply);

// A schedule file record sssdhhmmhhmm: schedule as three digits, weekday digit, times.
struct schedule_record {
    int schedule = 0;
    int weekday = 0;
    QByteArray times;  // hhmmhhmm as found, possibly short
};

// nullopt when the schedule is outside 0..99 or the weekday outside 1..7.
std::optional<QByteArray> schedule_file_record(int schedule, int weekday, const QByteArray& times);
// nullopt when the first four characters are not digits.
std::optional<schedule_record> decode_schedule_record(const QByteArray& record);

}  // namespace zep::commands
