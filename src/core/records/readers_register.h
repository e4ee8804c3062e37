#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/data/readers_table.h"
#include "core/result.h"

namespace zep {
class operator_port;
}
namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr auto invalid_time_differential_text = "Invalid time differential";
inline constexpr auto invalid_ip_address_text = "Invalid ip address";
inline constexpr auto tcp_mode_text = "tcp/ip";

inline constexpr std::array<const char*, 10> reader_column_headers = {
    "Reader #",  "Reader Name", "Location",          "Time",       "Active",
    "Comm Mode", "Protocol",    "Protocol  Address", "IP Address", "TCP Port"};
inline constexpr auto reader_heading_prefix = "Reader ";

// Creates the rows 0..126 that are missing and returns every row in list order: the rows
// found in number order, then those created. When the table cannot be read or written the
// operator is told "Internal Database Error" and gets the rows the table holds.
std::vector<data::reader_row> readers_loadup(data::database_file& db, operator_port& person);

// The ten list columns of a row ("T" shows as "tcp/ip").
std::array<QString, 10> reader_columns(const data::reader_row& row);

enum class reader_form_mode { none, serial, tcp };

// The edit fields of the readers screen.
struct reader_form {
    qint16 readernum = 0;
    QString name;
    QString location;
    QString time_difference;
    bool active = false;
    reader_form_mode mode = reader_form_mode::none;
    int port = 0;   // 1..5 for Com1..Com5; 0 = none selected
    int speed = 0;  // 9600 or 19200; 0 = neither ticked
    bool protocol = false;
    QString network_address;
    QString ip_address;
    QString tcp_port;

    bool operator==(const reader_form&) const = default;
};

// Which dependent fields the current choices enable.
struct reader_form_enabled {
    bool ports = false;
    bool speeds = false;
    bool ip_address = false;
    bool tcp_port = false;
    bool network_address = false;
};

// Loads a row as the screen shows it: mode, port and speed taken from the comm mode text.
reader_form reader_form_from_row(const data::reader_row& row);
reader_form_enabled enabled_fields(const reader_form& form);

// The option buttons and ticks: Serial picks Com1 and 9600 when nothing was chosen;
// the speeds act as a pair.
void select_mode(reader_form& form, reader_form_mode mode);
void set_speed_ticked(reader_form& form, int speed, bool ticked);

// Key filters of the edit boxes (backspace is always let through by the screen).
bool time_difference_key(QChar c);
bool ip_address_key(QChar c);
bool digits_key(QChar c);

// The comm mode text stored for the form: empty, "tcp/ip" or e.g. "Com3 19200".
QString comm_mode_text(const reader_form& form);
// A failure is the message refusing the form.
status validate_reader_form(const reader_form& form);
data::reader_row reader_row_from_form(const reader_form& form);

enum class reader_update { refused, stored, not_in_table, changed_elsewhere };

// "Update This Reader": validates (telling the operator why not) and stores the row. A
// database failure is refused with "Internal Database Error". With `as_read` (the form as
// the screen loaded it) the row is written only while the table still holds that; when
// another program changed it meanwhile, changed_elsewhere_text is said and nothing written.
reader_update update_reader(data::database_file& db, operator_port& person, const reader_form& form,
                            const reader_form* as_read = nullptr);

}  // namespace zep::records
