#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "database_file.h"
#include "link/comm_settings.h"
#include "link/reader_link.h"
#include "settings_record.h"

namespace zep {

class operator_port;

inline constexpr auto login_title_text = "Password";
inline constexpr auto login_prompt_text = "Enter Password";
inline constexpr auto invalid_password_text = "Invalid Password";

struct startup_options {
    QString db_arg;        // --db PATH, empty for the default place
    QString command_line;  // the arguments but --db, joined by blanks
    QString connection_name = QStringLiteral("zep_main");
};

// `--db PATH` (or `--db=PATH`) is taken out; the rest becomes the command line.
// `arguments` excludes the program name.
startup_options parse_startup_arguments(const QStringList& arguments);

// Which side menu and which of its screens were shown last.
struct navigation_state {
    QString current_menu = QStringLiteral("command");
    QString command_screen = QStringLiteral("commform");
    QString database_screen = QStringLiteral("usersform");
};

// Program-wide link and activity flags; all clear at start-up.
struct program_flags {
    bool tcp_connected = false;
    bool serial_open = false;
    bool terminal_stop = false;
    bool busy = false;
};

// Everything a started program holds from start-up until it closes.
struct session {
    std::unique_ptr<database_file> db;
    settings_record settings;
    marker_flags marker;
    comm_settings comm;
    navigation_state navigation;
    program_flags flags;
    QString command_line;
    bool background = false;  // command line exactly "background"
};

struct startup_result {
    std::unique_ptr<session> state;
    QString error;  // empty on success
};

// Opens (or creates) the database, loads or creates the settings rows, decodes the
// comm-settings string and settles the address into it. Nothing is asked here.
startup_result start_up(const startup_options& options);

// Writes the protocol address typed as `address_text` into characters 5 to 7 of the
// comm-settings string as three digits and decodes the result into `comm`. An empty or
// unusable text leaves both as they are.
void apply_protocol_address(QString& comm_string, comm_settings& comm, const QString& address_text);

// The single-reader link as the settings in memory describe it.
single_reader_settings stored_single_reader(const session& state);

// True when a login password is set.
bool login_required(const session& state);
// The answer to the login prompt is right (exact, case-sensitive).
bool check_login(const session& state, const QString& answer);
// Asks for the login password when one is set. False after telling the operator
// "Invalid Password": the program then ends without writing anything.
bool ask_login(const session& state, operator_port& person);

// The closing: writes the settings back (both rows together) and closes the database.
bool close_down(session& state, QString* error = nullptr);

}  // namespace zep
