#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/link/comm_settings.h"
#include "core/program/session.h"
#include "core/result.h"

namespace zep::program {

struct startup_options {
    QString db_arg;        // --db PATH, empty for the default place
    QString command_line;  // the arguments but --db, joined by blanks
    QString connection_name = QStringLiteral("zep_main");
};

// `--db PATH` (or `--db=PATH`) is taken out; the rest becomes the command line.
// `arguments` excludes the program name.
startup_options parse_startup_arguments(const QStringList& arguments);

// Opens (or creates) the database, loads or creates the settings rows, decodes the
// comm-settings string and settles the address into it. Nothing is asked or shown here:
// the session's warnings are for the caller to show.
result<std::unique_ptr<session>> start_up(const startup_options& options);

// Writes the protocol address typed as `address_text` into characters 5 to 7 of the
// comm-settings string as three digits and decodes the result into `comm`. An empty or
// unusable text leaves both as they are.
void apply_protocol_address(QString& comm_string, link::comm_settings& comm,
                            const QString& address_text);

// The closing: writes the settings back (both rows together) and closes the database.
status close_down(session& state);

}  // namespace zep::program
