#include "core/maintenance/utilities.h"

#include "core/clock.h"
#include "core/commands/command_text.h"
#include "core/data/settings_record.h"
#include "core/link/reader_exchange.h"
#include "core/link/wire.h"
#include "core/operator.h"

namespace zep::maintenance {

namespace {

// Results of the single-reader actions, as the operator is told them.
constexpr auto id_added_text = "ID Added";
constexpr auto id_not_added_text = "ID was not added";
constexpr auto id_deleted_text = "ID Deleted";
constexpr auto id_deleted_tcp_text = "ID deleted";
constexpr auto id_not_deleted_or_found_text = "ID was not deleted, or not found";
constexpr auto id_not_deleted_text = "ID was not deleted";
constexpr auto time_set_text = "Time set in reader";
constexpr auto invalid_response_text = "Invalid response from reader";
constexpr auto adhoc_tcp_failed_text = "Unable to establish tcp/ip connection - please try again";

// One value for each form a single-reader action takes. TCP is one form, protocol or not.
template <typename T>
struct per_form {
    T serial_plain;
    T serial_protocol;
    T tcp;

    T of(const link::link_endpoint& endpoint) const {
        if (endpoint.tcp()) return tcp;
        return endpoint.protocol ? serial_protocol : serial_plain;
    }
};

template <typename T>
constexpr per_form<T> every_form(T value) {
    return {value, value, value};
}

// What an action's command is made from.
struct action_input {
    QString id{};
    QDateTime now{};
};

// The command, or nullopt when the input makes none.
using command_builder = std::optional<QByteArray> (*)(const action_input&);
// Whether the reader did what it was asked.
using reply_check = bool (*)(const QByteArray& reply);

// What sets one single-reader action apart from another; they share one exchange.
struct action_profile {
    command_builder command;
    per_form<int> timeouts;
    // Set when the reply is a yes or no the operator is told; otherwise the reply is an
    // answer for the screen's boxes.
    reply_check accepted = nullptr;
    per_form<const char*> accepted_texts = every_form<const char*>(nullptr);
    per_form<const char*> refused_texts = every_form<const char*>(nullptr);
    // Told when the input makes no command; without it the action ends quietly.
    const char* no_command_text = nullptr;
    const char* tcp_failed_text = link::msg_unable_to_connect_tcp;
    // In protocol mode on TCP a command gets an ACK besides the wake-up ACK; the clock
    // setting does without it.
    bool extra_tcp_ack = true;
    // Set when the command changes the readers, so that it may go to the global address
    // without a reply; an action whose result is the reply cannot.
    bool to_all_readers = false;
};

// The commands and the checks of the replies, for the table below.
std::optional<QByteArray> identify(const action_input&) {
    return commands::identify_command();
}
std::optional<QByteArray> memory_usage(const action_input&) {
    return commands::memory_usage_command();
}
std::optional<QByteArray> read_clock(const action_input&) {
    return commands::read_clock_command();
}
std::optional<QByteArray> set_clock(const action_input& in) {
    return commands::set_clock_command(in.now);
}
std::optional<QByteArray> add_id(const action_input& in) {
    return commands::adhoc_add_command(in.id);
}
std::optional<QByteArray> delete_id(const action_input& in) {
    return commands::delete_id_command(in.id);
}

bool clock_set(const QByteArray& reply) {
    return commands::status_exact(reply, commands::clock_set_letter);
}
bool id_added(const QByteArray& reply) {
    return commands::status_ok(reply, commands::added_letter);
}
bool id_deleted(const QByteArray& reply) {
    return commands::status_ok(reply, commands::deleted_letter);
}

// The single-reader actions. Per-form values are {serial plain, serial protocol, tcp}.
constexpr action_profile identify_action{.command = identify, .timeouts = {200, 400, 2000}};
constexpr action_profile memory_action{.command = memory_usage, .timeouts = {1000, 1000, 2000}};
constexpr action_profile read_clock_action{.command = read_clock, .timeouts = {1000, 1000, 2000}};
constexpr action_profile set_clock_action{
    .command = set_clock,
    .timeouts = {200, 200, 2000},
    .accepted = clock_set,
    .accepted_texts = every_form(time_set_text),
    .refused_texts = every_form(invalid_response_text),
    .no_command_text = invalid_response_text,
    .extra_tcp_ack = false,
    .to_all_readers = true,
};
constexpr action_profile adhoc_add_action{
    .command = add_id,
    .timeouts = {200, 200, 2000},
    .accepted = id_added,
    .accepted_texts = every_form(id_added_text),
    .refused_texts = every_form(id_not_added_text),
    .tcp_failed_text = adhoc_tcp_failed_text,
    .to_all_readers = true,
};
// The three forms word the delete results differently.
constexpr action_profile adhoc_delete_action{
    .command = delete_id,
    .timeouts = {200, 200, 2000},
    .accepted = id_deleted,
    .accepted_texts = {id_deleted_text, id_deleted_text, id_deleted_tcp_text},
    .refused_texts = {id_not_deleted_or_found_text, id_not_deleted_text,
                      id_not_deleted_or_found_text},
    .tcp_failed_text = adhoc_tcp_failed_text,
    .to_all_readers = true,
};

bool to_global_address(const link::link_endpoint& endpoint) {
    return endpoint.protocol && endpoint.address == link::wire::global_address;
}

struct single_reply {
    std::optional<QByteArray> text;
    QString failure;
};

// Open, wake up, one command, its reply, the ACK of a protocol reply, close. A command to
// the global address is sent and nothing is awaited.
single_reply exchange_once(link::reader_link& link, const utility_target& target,
                           const QByteArray& command, const action_profile& profile) {
    const link::link_endpoint& endpoint = target.endpoint;
    link::reader_exchange exchange(link, endpoint);
    if (const auto opened = exchange.open(); !opened) {
        const bool refused_tcp =
            endpoint.tcp() && opened.error() == QLatin1String(link::msg_unable_to_connect_tcp);
        return {std::nullopt,
                refused_tcp ? QString::fromLatin1(profile.tcp_failed_text) : opened.error()};
    }
    if (endpoint.protocol && (!endpoint.tcp() || profile.extra_tcp_ack)) exchange.send_ack();
    if (!exchange.send_frame(command)) {
        return {std::nullopt, QString::fromLatin1(link::msg_no_response)};
    }
    if (to_global_address(endpoint)) return {QByteArray(), {}};
    const int timeout = target.timeout_ms.value_or(profile.timeouts.of(endpoint));
    const link::link_read reply = exchange.read_reply(timeout);
    if (!reply.error && endpoint.protocol) exchange.send_ack();
    exchange.close();
    if (reply.error) return {std::nullopt, QString::fromLatin1(link::msg_no_response)};
    return {reply.text, {}};
}

utility_outcome failed(const QString& text, operator_port& person) {
    person.message(text);
    return {utility_outcome::status::failed, text};
}

utility_outcome done(const QString& text, operator_port& person) {
    person.message(text);
    return {utility_outcome::status::done, text};
}

// A stop asked for by the operator ends the action without a message.
utility_outcome stopped() {
    return {utility_outcome::status::failed, {}};
}

utility_outcome refused_silently() {
    return {utility_outcome::status::refused, {}};
}

// How one action ended, and the reader's reply when there was one.
struct action_reply {
    utility_outcome outcome;
    std::optional<QByteArray> text;
};

// Why an action cannot be sent at all; empty when it can.
QString refusal(const utility_target& target, const action_profile& action,
                const action_input& input) {
    if (to_global_address(target.endpoint) && !action.to_all_readers) {
        return QString::fromLatin1(global_address_refused_text);
    }
    if (!commands::sendable_id(input.id)) return QString::fromLatin1(id_not_sendable_text);
    return {};
}

// The one single-reader action: build the command, exchange it, judge the reply.
action_reply run_action(link::reader_link& link, const utility_target& target,
                        const action_profile& action, const action_input& input,
                        operator_port& person) {
    if (const QString refused = refusal(target, action, input); !refused.isEmpty()) {
        return {failed(refused, person), {}};
    }
    const auto command = action.command(input);
    if (!command) {
        if (!action.no_command_text) return {refused_silently(), {}};
        return {failed(QString::fromLatin1(action.no_command_text), person), {}};
    }
    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    const single_reply reply = exchange_once(link, target, *command, action);
    if (!reply.text) return {person.cancelled() ? stopped() : failed(reply.failure, person), {}};
    if (to_global_address(target.endpoint)) {
        return {done(QString::fromLatin1(sent_to_all_text), person), {}};
    }
    if (!action.accepted)
        return {{utility_outcome::status::done, QString::fromLatin1(*reply.text)}, reply.text};

    // A result the screen shows in a message box, whether the reader agreed or not.
    const bool accepted = action.accepted(*reply.text);
    const auto& texts = accepted ? action.accepted_texts : action.refused_texts;
    const QString text = QString::fromLatin1(texts.of(target.endpoint));
    person.message(text);
    return {{accepted ? utility_outcome::status::done : utility_outcome::status::refused, text},
            reply.text};
}

// An answer that does not decode is an invalid response.
template <typename Outcome>
Outcome answer_outcome(const action_reply& reply, bool decoded, operator_port& person) {
    Outcome outcome;
    static_cast<utility_outcome&>(outcome) =
        reply.text && !decoded ? failed(QString::fromLatin1(invalid_response_text), person)
                               : reply.outcome;
    return outcome;
}

}  // namespace

QString current_date_time_text(const clock_source& clock) {
    return commands::clock_display_text(clock.now());
}

commands::memory_layout memory_layout_of(const data::settings_record& settings) {
    return settings.prior011001.trimmed() == QLatin1String("Y")
               ? commands::memory_layout::used_first
               : commands::memory_layout::available_first;
}

utility_outcome identify_reader(link::reader_link& link, const utility_target& target,
                                operator_port& person) {
    return run_action(link, target, identify_action, {}, person).outcome;
}

memory_outcome read_memory_usage(link::reader_link& link, const utility_target& target,
                                 commands::memory_layout layout, operator_port& person) {
    const action_reply reply = run_action(link, target, memory_action, {}, person);
    const auto usage =
        reply.text ? commands::decode_memory_usage(*reply.text, layout) : std::nullopt;
    memory_outcome outcome = answer_outcome<memory_outcome>(reply, usage.has_value(), person);
    if (usage) outcome.usage = *usage;
    return outcome;
}

clock_outcome read_reader_clock(link::reader_link& link, const utility_target& target,
                                operator_port& person) {
    const action_reply reply = run_action(link, target, read_clock_action, {}, person);
    const auto clock = reply.text ? commands::decode_clock_reply(*reply.text) : std::nullopt;
    clock_outcome outcome = answer_outcome<clock_outcome>(reply, clock.has_value(), person);
    if (clock) {
        outcome.text = clock->display;
        outcome.clock = *clock;
    }
    return outcome;
}

utility_outcome set_reader_clock(link::reader_link& link, const utility_target& target,
                                 const clock_source& clock, operator_port& person) {
    return run_action(link, target, set_clock_action, {.now = clock.now()}, person).outcome;
}

utility_outcome adhoc_add(link::reader_link& link, const utility_target& target, const QString& id,
                          operator_port& person) {
    return run_action(link, target, adhoc_add_action, {.id = id}, person).outcome;
}

utility_outcome adhoc_delete(link::reader_link& link, const utility_target& target,
                             const QString& id, operator_port& person) {
    return run_action(link, target, adhoc_delete_action, {.id = id}, person).outcome;
}

std::optional<QString> enter_empid(operator_port& person) {
    const auto id = person.ask_text(QLatin1String(empid_add_title), QLatin1String(empid_prompt));
    if (!id || id->isEmpty()) return std::nullopt;
    return id;
}

std::optional<QString> enter_empid_delete(operator_port& person) {
    const auto id = person.ask_text(QLatin1String(empid_delete_title), QLatin1String(empid_prompt));
    if (!id || id->isEmpty()) return std::nullopt;
    return id;
}

utility_outcome addhocadd(link::reader_link& link, const utility_target& target,
                          operator_port& person) {
    const auto id = enter_empid(person);
    if (!id) return refused_silently();
    return adhoc_add(link, target, *id, person);
}

utility_outcome addhoc_delete(link::reader_link& link, const utility_target& target,
                              operator_port& person) {
    const auto id = enter_empid_delete(person);
    if (!id) return refused_silently();
    return adhoc_delete(link, target, *id, person);
}

}  // namespace zep::maintenance
