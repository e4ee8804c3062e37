#include "startup.h"

#include "maintenance/login_password.h"
#include "operator.h"
#include "settings_store.h"

namespace zep {

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

void apply_protocol_address(QString& comm_string, comm_settings& comm,
                            const QString& address_text) {
    const int address = leading_number(address_text);
    if (address < 0 || address > 999 || comm_string.size() < 4) return;
    comm_string = comm_string.left(4) + QStringLiteral("%1").arg(address, 3, 10, QLatin1Char('0')) +
                  comm_string.mid(7);
    comm = decode_comm_settings(comm_string);
}

startup_result start_up(const startup_options& options) {
    startup_result result;
    auto state = std::make_unique<session>();
    state->command_line = options.command_line;
    state->background = options.command_line == QLatin1String("background");

    const QString path = resolve_database_path(options.db_arg);
    database_open_result opened = database_file::open(path, options.connection_name);
    if (!opened) {
        result.error = opened.error;
        return result;
    }
    state->db = std::move(opened.db);

    settings_load_result loaded = load_or_create(*state->db);
    if (!loaded.state) {
        result.error =
            QStringLiteral("Database %1: cannot read the settings (%2)").arg(path, loaded.error);
        return result;
    }
    state->settings = loaded.state->record;
    state->marker = loaded.state->marker;

    state->comm = decode_comm_settings(state->settings.settings);
    // The address box is filled from the string, which settles it as three digits.
    apply_protocol_address(state->settings.settings, state->comm, state->comm.address_text);
    result.state = std::move(state);
    return result;
}

single_reader_settings stored_single_reader(const session& state) {
    return {state.comm, state.settings.ipaddress, state.settings.remoteportaddress,
            state.settings.comdevice};
}

bool login_required(const session& state) {
    return !state.settings.loginpass.isEmpty();
}

bool check_login(const session& state, const QString& answer) {
    return login_password_matches(state.settings.loginpass, answer);
}

bool ask_login(const session& state, operator_port& person) {
    if (!login_required(state)) return true;
    // A cancelled input box answers an empty text.
    const QString answer =
        person
            .ask_text(QString::fromLatin1(login_title_text), QString::fromLatin1(login_prompt_text))
            .value_or(QString());
    if (check_login(state, answer)) return true;
    person.message(QString::fromLatin1(invalid_password_text));
    return false;
}

bool close_down(session& state, QString* error) {
    if (!state.db || !state.db->is_open()) {
        if (error) *error = QStringLiteral("database is not open");
        return false;
    }
    const bool saved = save_settings(*state.db, state.settings, state.marker, error);
    state.db->close();
    return saved;
}

}  // namespace zep
