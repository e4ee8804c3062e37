#pragma once

#include <QString>
#include <vector>

namespace zep::records::access_string {

// A user's access at every reader lives in one string of 127 two-character slots:
// two blanks = no access, two digits = the schedule number used at that reader.
inline constexpr int reader_count = 127;
inline constexpr int length = 2 * reader_count;
inline constexpr int last_reader = reader_count - 1;

// Choices passed back from the reader/schedule picker.
inline constexpr auto all_remaining_readers = "998";
inline constexpr auto all_times_schedule = "000";

// 254 blanks: a new user.
QString blank();
// The 1-based position of reader r's slot (2r+1).
int slot_position(int reader);
// The two characters of reader r's slot (blanks when the string is short).
QString slot(const QString& access, int reader);
bool has_slot(const QString& access, int reader);
// Writes reader r's slot from a three-digit schedule ("000".."099"): its last two characters.
QString with_slot(const QString& access, int reader, const QString& schedule);
// Blanks reader r's slot only.
QString without_slot(const QString& access, int reader);
// Fills every empty slot with `schedule`; slots already set stay. `filled` receives the
// readers written, in ascending order.
QString with_all_remaining(const QString& access, const QString& schedule,
                           std::vector<int>* filled = nullptr);
// Readers whose slot is set, ascending.
std::vector<int> assigned_readers(const QString& access);

// "007": reader and schedule numbers as shown and exchanged.
QString three_digits(int number);

}  // namespace zep::records::access_string
