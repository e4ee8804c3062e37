#include "core/maintenance/reader_setup.h"

#include "core/link/link_endpoint.h"
#include "core/maintenance/setup_sequence.h"
#include "core/operator.h"

namespace zep::maintenance {

namespace {

using command_list = std::vector<setup_command>;
using command_builder = result<command_list> (*)(const setup_request&);

// A number field as typed: `empty` when blank; nullopt when it is no number.
std::optional<int> field_value(const QString& text, int empty) {
    if (text.trimmed().isEmpty()) return empty;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

result<command_list> parameters(const setup_request& r) {
    const auto reclen = field_value(r.reclen, 0);
    const auto record = reclen ? commands::record_length_command(*reclen) : std::nullopt;
    if (!record) return status::failure(QString::fromLatin1(record_length_range_text));
    const auto relay = field_value(r.relay, 5);
    const auto redled = field_value(r.redled, 5);
    const auto relay_command = relay ? commands::relay_time_command(*relay) : std::nullopt;
    const auto redled_command = redled ? commands::red_led_time_command(*redled) : std::nullopt;
    if (!relay_command || !redled_command) {
        return status::failure(QString::fromLatin1(reader_times_range_text));
    }
    return command_list{{QStringLiteral("record length"), *record},
                        {QStringLiteral("relay time"), *relay_command},
                        {QStringLiteral("red led time"), *redled_command}};
}

result<command_list> mode(const setup_request& r) {
    const auto digit = reader_mode_of(r.mode_code);
    if (!digit) return status::failure(QStringLiteral("Choose a reader mode"));
    return command_list{{QStringLiteral("mode"), commands::set_mode_command(*digit)}};
}

result<command_list> reset(const setup_request&) {
    return command_list{{QStringLiteral("reset"), commands::factory_reset_command(), false}};
}

result<command_list> rs232_log(const setup_request& r) {
    return command_list{{QStringLiteral("rs232 logging"), commands::rs232_logging_command(r.on)}};
}

result<command_list> bad_log(const setup_request& r) {
    return command_list{{QStringLiteral("bad logging"), commands::bad_logging_command(r.on)}};
}

result<command_list> clear_led(const setup_request&) {
    return command_list{{QStringLiteral("red led"), commands::clear_full_indicator_command()}};
}

// What sets one setup button apart from another; they share one sequence.
struct setup_profile {
    command_builder commands;
    const char* success_text;
    const char* header_text;             // the walk over every active reader
    const char* question = nullptr;      // asked before one reader is changed
    const char* all_question = nullptr;  // asked before every reader is changed
};

// In the order of setup_action.
constexpr setup_profile setup_profiles[] = {
    {parameters, "Reader settings set", "Setting parameters in all active readers",
     delete_all_question, delete_all_question},
    {mode, "Reader mode set", "Setting mode in all active readers"},
    {reset, "Reader reset", "Resetting all active readers", nullptr, reset_all_question},
    {rs232_log, "Reader set", "Setting RS232 logging in all active readers"},
    {bad_log, "Reader set", "Setting bad logging in all active readers"},
    {clear_led, "Led should now be turned off", "Clearing the red LED in all active readers"},
};

const setup_profile& profile_of(setup_action action) {
    return setup_profiles[static_cast<int>(action)];
}

sequence_profile sequence_of(const setup_profile& profile) {
    sequence_profile sequence;
    sequence.serial_wake_ack = true;
    sequence.stop_at_silence = true;
    sequence.success_text = QString::fromLatin1(profile.success_text);
    return sequence;
}

utility_outcome told(utility_outcome::status how, const QString& text, operator_port& person) {
    person.message(text);
    return {how, text};
}

}  // namespace

std::optional<commands::reader_mode> reader_mode_of(const QString& mode_code) {
    static constexpr commands::reader_mode modes[] = {
        commands::reader_mode::x, commands::reader_mode::ko, commands::reader_mode::zep,
        commands::reader_mode::accum};
    const auto code = field_value(mode_code, 0);
    if (!code || *code < 1 || *code > 4) return std::nullopt;
    return modes[*code - 1];
}

utility_outcome run_setup(link::reader_link& link, const utility_target& target,
                          const setup_request& request, operator_port& person) {
    const setup_profile& profile = profile_of(request.action);
    const result<command_list> commands = profile.commands(request);
    if (!commands) return told(utility_outcome::status::refused, commands.error(), person);
    if (profile.question && !person.confirm(QString::fromLatin1(profile.question))) return {};
    const result<command_acks> acks =
        send_setup_sequence(link, target, *commands, sequence_of(profile), person);
    if (person.cancelled()) return {};
    if (!acks) return told(utility_outcome::status::failed, acks.error(), person);
    if (acks->size() < commands->size() || !acks->back()) {
        return told(utility_outcome::status::failed, QString::fromLatin1(link::msg_no_response),
                    person);
    }
    return told(utility_outcome::status::done, QString::fromLatin1(profile.success_text), person);
}

records::walk_result doall_setup(link::reader_link& link, const walk_inputs& inputs,
                                 const setup_request& request, operator_port& person) {
    const setup_profile& profile = profile_of(request.action);
    const result<command_list> commands = profile.commands(request);
    const auto prepare = [&] {
        if (!commands) {
            person.message(commands.error());
            return false;
        }
        return !profile.all_question || person.confirm(QString::fromLatin1(profile.all_question));
    };
    return walk_setup_sequence(link, inputs, QString::fromLatin1(profile.header_text),
                               commands ? *commands : command_list{}, sequence_of(profile), person,
                               prepare);
}

}  // namespace zep::maintenance
