#include "core/program/startup.h"

#include "core/data/settings_store.h"

namespace zep::program {

namespace {

const QString db_flag = QStringLiteral("--db");

// The leading digits of `text` as a number, -1 when it starts with none.
int leading_number(const QString& text) {
    int value = -1;
    for (const QChar c : text.trimmed()) {
        if (!c.isDigit() || value > 999) break;
        value = (value < 0 ? 0 : value * 10) + c.digitValue();
    }
    return value;
}

}  // namespace

startup_options parse_startup_arguments(const QStringList& arguments) {
    startup_options options;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == db_flag && i + 1 < arguments.size()) {
            options.db_arg = arguments[++i];
        } else if (arg.startsWith(db_flag + QLatin1Char('='))) {
            options.db_arg = arg.mid(db_flag.size() + 1);
        } else {
            rest << arg;
        }
    }
    options.command_line = rest.join(QLatin1Char(' '));
    return options;
}

void apply_protocol_address(QString& comm_string, link::comm_settings& comm,
                            const QString& address_text) {
    const int address = leading_number(address_text);
    if (address < 0 || address > 999 || comm_string.size() < 4) return;
    comm_string = comm_string.left(4) + QStringLiteral("%1").arg(address, 3, 10, QLatin1Char('0')) +
                  comm_string.mid(7);
    comm = link::decode_comm_settings(comm_string);
}

result<std::unique_ptr<session>> start_up(const startup_options& options) {
    auto state = std::make_unique<session>();
    state->command_line = options.command_line;
    state->background = options.command_line == QLatin1String("background");

    const QString path = data::resolve_database_path(options.db_arg);
    auto opened =
        data::database_file::open(path, options.connection_name, options.db_arg.isEmpty());
    if (!opened) return opened.as_status();
    state->db = std::move(opened.value());

    const auto loaded = data::load_or_create(*state->db);
    if (!loaded) {
        return status::failure(
            QStringLiteral("Database %1: cannot read the settings (%2)").arg(path, loaded.error()));
    }
    state->settings = loaded->record;
    state->marker = loaded->marker;
    state->warnings = loaded->warnings;

    state->comm = link::decode_comm_settings(state->settings.settings);
    // The address box is filled from the string, which settles it as three digits.
    apply_protocol_address(state->settings.settings, state->comm, state->comm.address_text);
    state->loaded_settings = state->settings;
    state->loaded_marker = state->marker;
    return state;
}

status close_down(session& state) {
    if (!state.db || !state.db->is_open())
        return status::failure(QStringLiteral("database is not open"));
    status saved = data::save_settings(*state.db, state.settings, state.marker,
                                       state.loaded_settings, state.loaded_marker);
    state.db->close();
    return saved;
}

}  // namespace zep::program
