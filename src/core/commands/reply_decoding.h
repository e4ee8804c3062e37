#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zep::commands {

// Status letters of the commands that answer with one.
inline constexpr char added_letter = 'A';      // "AN", "AC000", "SA"
inline constexpr char deleted_letter = 'D';    // "R"
inline constexpr char clock_set_letter = 'O';  // "+"

// The reply's first character is the letter; an empty reply is a refusal.
bool status_ok(const QByteArray& reply, char letter);
// The whole reply is the letter and nothing else.
bool status_exact(const QByteArray& reply, char letter);

// Order of the "z" pairs. Firmware before 1/10/01 puts the used count before the
// available count in each pair.
enum class memory_layout { available_first, used_first };

struct memory_field {
    QString text;              // the five characters as received
    std::optional<int> value;  // when the text (blanks aside) is a number
};

struct memory_usage {
    memory_field download_available;
    memory_field download_used;
    memory_field logging_available;
    memory_field logging_used;
};

// Four 5-character fields at characters 1, 6, 11 and 16; nullopt when the reply is
// shorter than 20 characters.
std::optional<memory_usage> decode_memory_usage(const QByteArray& reply, memory_layout layout);

}  // namespace zep::commands
