#include "utilities_walks.h"

#include "autorun/override_selection.h"
#include "clock.h"
#include "commands/command_text.h"
#include "commands/reader_clock.h"
#include "commands/reply_decoding.h"
#include "data/settings_record.h"
#include "utilities.h"

namespace zep {

namespace {

std::function<std::optional<QString>()> id_source(std::optional<QString> id, operator_port& person,
                                                  bool deleting) {
    if (id) return [id] { return id; };
    if (deleting) return [&person] { return enter_empid_delete(person); };
    return [&person] { return enter_empid(person); };
}

}  // namespace

walk_inputs load_walk_inputs(database_file& db, const settings_record& settings,
                             const override_selection& selection) {
    walk_inputs inputs;
    inputs.rows = readers_table(db).all();
    inputs.targets = selection.targets(inputs.rows);
    inputs.devices = settings.comdevice;
    return inputs;
}

bool apply_to_all(const QString& flag) {
    return flag.trimmed() == QLatin1String("Y");
}

walk_result doall_addhocadd(reader_link& link, const walk_inputs& inputs, operator_port& person,
                            std::optional<QString> id) {
    walk_operation op;
    op.header = [](const QString& input) {
        return QStringLiteral("Adding ") + input + QStringLiteral(" to all active readers");
    };
    op.ask_input = id_source(std::move(id), person, false);
    op.command = [](const reader_endpoint&, const QString& input) {
        return adhoc_add_command(input).value_or(QByteArray());
    };
    op.accepted = [](const QByteArray& reply) { return status_ok(reply, added_letter); };
    op.success_text = QLatin1String(walk_id_added_text);
    op.refusal_text = QLatin1String(walk_invalid_response_text);
    return walk_active_readers(link, inputs.rows, inputs.targets, inputs.devices, op, person);
}

walk_result doall_adhocdelete(reader_link& link, const walk_inputs& inputs, operator_port& person,
                              std::optional<QString> id) {
    walk_operation op;
    op.header = [](const QString& input) {
        return QStringLiteral("Deleting ") + input + QStringLiteral(" from all active readers");
    };
    op.ask_input = id_source(std::move(id), person, true);
    op.command = [](const reader_endpoint&, const QString& input) {
        return delete_id_command(input).value_or(QByteArray());
    };
    op.accepted = [](const QByteArray& reply) { return status_ok(reply, deleted_letter); };
    op.success_text = QLatin1String(walk_id_deleted_text);
    op.refusal_text = QLatin1String(walk_id_not_found_text);
    return walk_active_readers(link, inputs.rows, inputs.targets, inputs.devices, op, person);
}

walk_result doall_settime(reader_link& link, const walk_inputs& inputs, const clock_source& clock,
                          operator_port& person) {
    walk_operation op;
    op.header = [](const QString&) { return QString::fromLatin1(settime_header_text); };
    // Each reader's time is taken as it is reached, so a long walk does not set stale times.
    op.command = [&clock](const reader_endpoint& reader, const QString&) {
        return set_clock_command(shifted_clock(clock.now(), reader.timezone_hours))
            .value_or(QByteArray());
    };
    op.accepted = [](const QByteArray& reply) { return status_ok(reply, clock_set_letter); };
    op.success_text = QLatin1String(walk_time_set_text);
    op.refusal_text = QLatin1String(walk_time_not_set_text);
    op.serial_failed_line = QLatin1String(walk_settime_serial_failed_line);
    return walk_active_readers(link, inputs.rows, inputs.targets, inputs.devices, op, person);
}

}  // namespace zep
