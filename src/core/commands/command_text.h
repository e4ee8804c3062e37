#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace zep::commands {

// Texts of the reader commands, without framing. Numeric fields are fixed-width decimal
// with leading zeros; a value that does not fit its field is refused, never clamped.

// Digit sent by the set-mode command.
enum class reader_mode { x = 1, ko = 3, zep = 4, accum = 5 };

// value as width decimal digits with leading zeros; nullopt when outside lo..hi.
std::optional<QByteArray> padded_digits(int value, int width, int lo, int hi);

QByteArray identify_command();      // "V"
QByteArray memory_usage_command();  // "z"
QByteArray read_clock_command();    // "t"

// "+" YYMMDDhhmmss and the weekday digit of that date; nullopt for an invalid time.
std::optional<QByteArray> set_clock_command(const QDateTime& when);

QByteArray set_mode_command(reader_mode mode);
std::optional<QByteArray> record_length_command(int length);  // 4..40
std::optional<QByteArray> relay_time_command(int seconds);    // 0..99
std::optional<QByteArray> red_led_time_command(int seconds);  // 0..99
QByteArray factory_reset_command();
QByteArray rs232_logging_command(bool on);
QByteArray bad_logging_command(bool on);
QByteArray clear_full_indicator_command();

// IDs travel as 8-bit text: printable Latin-1 characters only, no control characters.
bool sendable_id(const QString& id);

// "AN" + three-digit schedule (0..99) + ID; an empty or unsendable ID is refused.
std::optional<QByteArray> add_id_command(int schedule, const QString& id);
// The ad hoc add: always schedule 000.
std::optional<QByteArray> adhoc_add_command(const QString& id);
// "AN" + an access-list file record (sss + ID) sent as it stands.
QByteArray add_record_command(const QByteArray& record);
// The record-length probe: "AC000" + zeros zeros (4..18).
std::optional<QByteArray> probe_record_length_command(int zeros);
std::optional<QByteArray> delete_id_command(const QString& id);

QByteArray clear_access_list_command();      // "cd"
QByteArray restart_access_upload_command();  // "ur"
QByteArray next_access_record_command();     // "u"

// "SA" + a schedule file record, sent unchecked (the transfers decide what is valid).
QByteArray add_schedule_command(const QByteArray& record);
std::optional<QByteArray> read_schedule_command(int schedule);  // 0..99

QByteArray restart_log_upload_command();  // "lr"
QByteArray next_log_record_command();     // "l"
QByteArray clear_log_command();           // "cl"

QByteArray protocol_command(bool on);                            // NUL "ITP" / NUL "ITN"
std::optional<QByteArray> set_address_command(int new_address);  // 0..127
QByteArray protocol_test_command();                              // "?"

// What a command's answer is in protocol mode: a framed reply with data, an ACK alone, or
// not known (a command this program does not send).
enum class reply_form { data, ack, unknown };
reply_form expected_reply(const QByteArray& command);

}  // namespace zep::commands
