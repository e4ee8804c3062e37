#include "core/maintenance/utilities_walks.h"

#include "core/autorun/override_selection.h"
#include "core/clock.h"
#include "core/commands/command_text.h"
#include "core/commands/reader_clock.h"
#include "core/commands/reply_decoding.h"
#include "core/data/settings_record.h"
#include "core/maintenance/utilities.h"

namespace zep::maintenance {

namespace {

// Per-reader texts of the apply-to-all actions.
constexpr auto walk_id_added_text = " - ID added";
constexpr auto walk_invalid_response_text = " - Invalid response";
constexpr auto walk_id_deleted_text = " - ID deleted";
constexpr auto walk_id_not_found_text = " - ID not found";
constexpr auto walk_time_set_text = " - Time set";
constexpr auto walk_time_not_set_text = " - Time not set";
constexpr auto settime_header_text = "Setting time in all active readers";

QString id_refusal(const QString& id) {
    return commands::sendable_id(id) ? QString() : QString::fromLatin1(id_not_sendable_text);
}

std::function<std::optional<QString>()> id_source(std::optional<QString> id, operator_port& person,
                                                  bool deleting) {
    if (id) return [id] { return id; };
    if (deleting) return [&person] { return enter_empid_delete(person); };
    return [&person] { return enter_empid(person); };
}

}  // namespace

walk_inputs load_walk_inputs(data::database_file& db, const data::settings_record& settings,
                             const autorun::override_selection& selection) {
    walk_inputs inputs;
    // A readers table that cannot be read leaves no reader to walk.
    if (auto rows = data::readers_table(db).all()) inputs.rows = std::move(*rows);
    inputs.targets = selection.targets(inputs.rows);
    inputs.devices = settings.comdevice;
    return inputs;
}

bool apply_to_all(const QString& flag) {
    return flag.trimmed() == QLatin1String("Y");
}

records::walk_result doall_addhocadd(link::reader_link& link, const walk_inputs& inputs,
                                     operator_port& person, std::optional<QString> id) {
    records::walk_operation op;
    op.header = [](const QString& input) {
        return QStringLiteral("Adding ") + input + QStringLiteral(" to all active readers");
    };
    op.ask_input = id_source(std::move(id), person, false);
    op.refuse_input = id_refusal;
    op.command = [](const records::reader_endpoint&, const QString& input) {
        return commands::adhoc_add_command(input).value_or(QByteArray());
    };
    op.accepted = [](const QByteArray& reply) {
        return commands::status_ok(reply, commands::added_letter);
    };
    op.success_text = QLatin1String(walk_id_added_text);
    op.refusal_text = QLatin1String(walk_invalid_response_text);
    return records::walk_active_readers(link, inputs.rows, inputs.targets, inputs.devices, op,
                                        person);
}

records::walk_result doall_adhocdelete(link::reader_link& link, const walk_inputs& inputs,
                                       operator_port& person, std::optional<QString> id) {
    records::walk_operation op;
    op.header = [](const QString& input) {
        return QStringLiteral("Deleting ") + input + QStringLiteral(" from all active readers");
    };
    op.ask_input = id_source(std::move(id), person, true);
    op.refuse_input = id_refusal;
    op.command = [](const records::reader_endpoint&, const QString& input) {
        return commands::delete_id_command(input).value_or(QByteArray());
    };
    op.accepted = [](const QByteArray& reply) {
        return commands::status_ok(reply, commands::deleted_letter);
    };
    op.success_text = QLatin1String(walk_id_deleted_text);
    op.refusal_text = QLatin1String(walk_id_not_found_text);
    return records::walk_active_readers(link, inputs.rows, inputs.targets, inputs.devices, op,
                                        person);
}

records::walk_result doall_settime(link::reader_link& link, const walk_inputs& inputs,
                                   const clock_source& clock, operator_port& person) {
    records::walk_operation op;
    op.header = [](const QString&) { return QString::fromLatin1(settime_header_text); };
    // Each reader's time is taken as it is reached, so a long walk does not set stale times.
    op.command = [&clock](const records::reader_endpoint& reader, const QString&) {
        return commands::set_clock_command(
                   commands::shifted_clock(clock.now(), reader.timezone_hours))
            .value_or(QByteArray());
    };
    op.accepted = [](const QByteArray& reply) {
        return commands::status_ok(reply, commands::clock_set_letter);
    };
    op.success_text = QLatin1String(walk_time_set_text);
    op.refusal_text = QLatin1String(walk_time_not_set_text);
    op.serial_failed_line = QLatin1String(records::walk_settime_serial_failed_line);
    return records::walk_active_readers(link, inputs.rows, inputs.targets, inputs.devices, op,
                                        person);
}

}  // namespace zep::maintenance
