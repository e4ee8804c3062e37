#include "core/program/startup.h"

#include <QSettings>

#include "core/data/settings_store.h"
#include "core/program/program_config.h"

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

// The fields that belong to one PC when the database is a site's server: the single
// reader's link and the Com port devices. They live in the program's settings file, under
// the database they were set for, seeded from the site's row on first use.
QString desk_group(const data::database_file& db) {
    QString key = db.location().display();
    key.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("desk/") + key;
}

void take_desk_link(data::settings_record& into, const data::settings_record& from) {
    into.settings = from.settings;
    into.ipaddress = from.ipaddress;
    into.remoteportaddress = from.remoteportaddress;
    into.comdevice = from.comdevice;
}

// Writes the desk's link; given what this window loaded, only what it has changed since, so
// that a second window on the same PC closing later keeps the first one's changes.
void save_desk_link(const data::database_file& db, const data::settings_record& record,
                    const data::settings_record* loaded = nullptr) {
    QSettings conf(program_config_path(), QSettings::IniFormat);
    conf.beginGroup(desk_group(db));
    const auto put = [&](const QString& key, const QString& now, const QString& was) {
        if (!loaded || now != was) conf.setValue(key, now);
    };
    const data::settings_record& before = loaded ? *loaded : record;
    put(QStringLiteral("settings"), record.settings, before.settings);
    put(QStringLiteral("ipaddress"), record.ipaddress, before.ipaddress);
    put(QStringLiteral("remoteportaddress"), record.remoteportaddress, before.remoteportaddress);
    for (std::size_t i = 0; i < record.comdevice.size(); ++i) {
        put(QStringLiteral("comdevice%1").arg(i + 1), record.comdevice[i], before.comdevice[i]);
    }
}

void load_desk_link(const data::database_file& db, data::settings_record& record) {
    QSettings conf(program_config_path(), QSettings::IniFormat);
    conf.beginGroup(desk_group(db));
    if (!conf.contains(QStringLiteral("settings"))) {
        conf.endGroup();
        save_desk_link(db, record);
        return;
    }
    record.settings = conf.value(QStringLiteral("settings")).toString();
    record.ipaddress = conf.value(QStringLiteral("ipaddress")).toString();
    record.remoteportaddress = conf.value(QStringLiteral("remoteportaddress")).toString();
    for (std::size_t i = 0; i < record.comdevice.size(); ++i) {
        record.comdevice[i] =
            conf.value(QStringLiteral("comdevice%1").arg(i + 1), record.comdevice[i]).toString();
    }
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

QString chosen_database(const QString& db_arg) {
    if (!db_arg.isEmpty()) return db_arg;
    if (const QString env = qEnvironmentVariable("ZEP_DB").trimmed(); !env.isEmpty()) return env;
    const QSettings conf(program_config_path(), QSettings::IniFormat);
    return conf.value(QStringLiteral("database")).toString().trimmed();
}

result<std::unique_ptr<session>> start_up(const startup_options& options) {
    auto state = std::make_unique<session>();
    state->command_line = options.command_line;
    state->background = options.command_line == QLatin1String("background");

    const QString chosen = chosen_database(options.db_arg);
    const QString path = data::resolve_database_path(chosen);
    auto opened = data::database_file::open(path, options.connection_name, chosen.isEmpty());
    if (!opened) return opened.as_status();
    state->db = std::move(opened.value());

    const auto loaded = data::load_or_create(*state->db);
    if (!loaded) {
        return status::failure(QStringLiteral("Database %1: cannot read the settings (%2)")
                                   .arg(state->db->location().display(), loaded.error()));
    }
    state->settings = loaded->record;
    state->marker = loaded->marker;
    state->warnings = loaded->warnings;
    // A desk's single reader and serial ports are its own, not the site's.
    if (state->db->location().server()) load_desk_link(*state->db, state->settings);

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
    data::settings_record loaded = state.loaded_settings;
    if (state.db->location().server()) {
        save_desk_link(*state.db, state.settings, &state.loaded_settings);
        // The site's row keeps what it holds for them.
        take_desk_link(loaded, state.settings);
    }
    status saved =
        data::save_settings(*state.db, state.settings, state.marker, loaded, state.loaded_marker);
    state.db->close();
    return saved;
}

}  // namespace zep::program
