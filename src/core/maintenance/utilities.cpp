#include "core/maintenance/utilities.h"

#include "core/clock.h"
#include "core/commands/command_text.h"
#include "core/data/settings_record.h"
#include "core/link/reader_exchange.h"
#include "core/operator.h"

namespace zep::maintenance {

namespace {

// What sets one action apart from another in the common single-reader exchange.
struct action_profile {
    form_timeouts timeouts;
    const char* tcp_failed_text = link::msg_unable_to_connect_tcp;
    // In protocol mode on TCP a command gets an ACK besides the wake-up ACK; the clock
    // setting does without it.
    bool extra_tcp_ack = true;
};

struct single_reply {
    std::optional<QByteArray> text;
    QString failure;
};

// Open, wake up, one command, its reply, the ACK of a protocol reply, close.
single_reply exchange_once(link::reader_link& link, const utility_target& target,
                           const QByteArray& command, const action_profile& profile) {
    const link::link_endpoint& endpoint = target.endpoint;
    link::reader_exchange exchange(link, endpoint);
    if (const auto failure = exchange.open()) {
        const bool refused_tcp =
            endpoint.tcp() && *failure == QLatin1String(link::msg_unable_to_connect_tcp);
        return {std::nullopt,
                refused_tcp ? QString::fromLatin1(profile.tcp_failed_text) : *failure};
    }
    if (endpoint.protocol && (!endpoint.tcp() || profile.extra_tcp_ack)) exchange.send_ack();
    const int timeout = target.timeout_ms.value_or(profile.timeouts.of(form_of(endpoint)));
    const link::link_read reply =
        exchange.send_frame(command) ? exchange.read_reply(timeout) : link::link_read{{}, true};
    if (!reply.error && endpoint.protocol) exchange.send_ack();
    exchange.close();
    if (reply.error) return {std::nullopt, QString::fromLatin1(link::msg_no_response)};
    return {reply.text, {}};
}

utility_outcome failed(const QString& text, operator_port& person) {
    person.message(text);
    return {utility_outcome::status::failed, text};
}

// A result the screen shows in a message box, whether the reader agreed or not.
utility_outcome told(bool accepted, const char* yes, const char* no, operator_port& person) {
    const QString text = QString::fromLatin1(accepted ? yes : no);
    person.message(text);
    return {accepted ? utility_outcome::status::done : utility_outcome::status::refused, text};
}

utility_outcome refused_silently(const QString& text) {
    return {utility_outcome::status::refused, text};
}

utility_outcome identify_in(link::reader_link& link, const utility_target& target,
                            operator_port& person) {
    const single_reply reply =
        exchange_once(link, target, commands::identify_command(), action_profile{identify_timeouts});
    if (!reply.text) return failed(reply.failure, person);
    return {utility_outcome::status::done, QString::fromLatin1(*reply.text)};
}

utility_outcome add_in(link::reader_link& link, const utility_target& target, const QString& id,
                       operator_port& person) {
    const auto command = commands::adhoc_add_command(id);
    if (!command) return refused_silently({});
    const single_reply reply = exchange_once(link, target, *command,
                                             action_profile{adhoc_timeouts, adhoc_tcp_failed_text});
    if (!reply.text) return failed(reply.failure, person);
    return told(commands::status_ok(*reply.text, commands::added_letter), id_added_text, id_not_added_text, person);
}

// The three forms word the delete results differently.
struct delete_texts {
    const char* deleted;
    const char* not_deleted;
};

utility_outcome delete_in(link::reader_link& link, const utility_target& target, const QString& id,
                          const delete_texts& texts, operator_port& person) {
    const auto command = commands::delete_id_command(id);
    if (!command) return refused_silently({});
    const single_reply reply = exchange_once(link, target, *command,
                                             action_profile{adhoc_timeouts, adhoc_tcp_failed_text});
    if (!reply.text) return failed(reply.failure, person);
    return told(commands::status_ok(*reply.text, commands::deleted_letter), texts.deleted, texts.not_deleted, person);
}

constexpr delete_texts tcp_delete_texts{id_deleted_tcp_text, id_not_deleted_or_found_text};
constexpr delete_texts serial_delete_texts{id_deleted_text, id_not_deleted_or_found_text};
constexpr delete_texts protocol_delete_texts{id_deleted_text, id_not_deleted_text};

}  // namespace

utility_form form_of(const link::link_endpoint& endpoint) {
    if (endpoint.tcp()) return utility_form::tcp;
    return endpoint.protocol ? utility_form::serial_protocol : utility_form::serial;
}

int form_timeouts::of(utility_form form) const {
    switch (form) {
        case utility_form::tcp:
            return tcp;
        case utility_form::serial_protocol:
            return serial_protocol;
        case utility_form::serial:
            break;
    }
    return serial_plain;
}

QString current_date_time_text(const clock_source& clock) {
    return commands::clock_display_text(clock.now());
}

commands::memory_layout memory_layout_of(const data::settings_record& settings) {
    return settings.prior011001.trimmed() == QLatin1String("Y") ? commands::memory_layout::used_first
                                                                : commands::memory_layout::available_first;
}

utility_outcome identify_reader(link::reader_link& link, const utility_target& target,
                                operator_port& person) {
    switch (form_of(target.endpoint)) {
        case utility_form::tcp:
            return vcommand_tcp(link, target, person);
        case utility_form::serial_protocol:
            return vcommand_serialp(link, target, person);
        case utility_form::serial:
            break;
    }
    return vcommand_serial(link, target, person);
}

utility_outcome vcommand_tcp(link::reader_link& link, const utility_target& target, operator_port& p) {
    return identify_in(link, target, p);
}
utility_outcome vcommand_serial(link::reader_link& link, const utility_target& target, operator_port& p) {
    return identify_in(link, target, p);
}
utility_outcome vcommand_serialp(link::reader_link& link, const utility_target& target,
                                 operator_port& p) {
    return identify_in(link, target, p);
}

memory_outcome read_memory_usage(link::reader_link& link, const utility_target& target,
                                 commands::memory_layout layout, operator_port& person) {
    memory_outcome outcome;
    const single_reply reply =
        exchange_once(link, target, commands::memory_usage_command(), action_profile{memory_timeouts});
    const auto usage = reply.text ? commands::decode_memory_usage(*reply.text, layout) : std::nullopt;
    if (!usage) {
        static_cast<utility_outcome&>(outcome) =
            failed(reply.text ? QString::fromLatin1(invalid_response_text) : reply.failure, person);
        return outcome;
    }
    outcome.result = utility_outcome::status::done;
    outcome.text = QString::fromLatin1(*reply.text);
    outcome.usage = *usage;
    return outcome;
}

clock_outcome read_reader_clock(link::reader_link& link, const utility_target& target,
                                operator_port& person) {
    clock_outcome outcome;
    const single_reply reply =
        exchange_once(link, target, commands::read_clock_command(), action_profile{read_clock_timeouts});
    const auto clock = reply.text ? commands::decode_clock_reply(*reply.text) : std::nullopt;
    if (!clock) {
        static_cast<utility_outcome&>(outcome) =
            failed(reply.text ? QString::fromLatin1(invalid_response_text) : reply.failure, person);
        return outcome;
    }
    outcome.result = utility_outcome::status::done;
    outcome.text = clock->display;
    outcome.clock = *clock;
    return outcome;
}

utility_outcome set_reader_clock(link::reader_link& link, const utility_target& target,
                                 const clock_source& clock, operator_port& person) {
    const auto command = commands::set_clock_command(clock.now());
    if (!command) return failed(QString::fromLatin1(invalid_response_text), person);
    action_profile profile{set_clock_timeouts};
    profile.extra_tcp_ack = false;
    const single_reply reply = exchange_once(link, target, *command, profile);
    if (!reply.text) return failed(reply.failure, person);
    return told(commands::status_exact(*reply.text, commands::clock_set_letter), time_set_text, invalid_response_text,
                person);
}

utility_outcome adhoc_add(link::reader_link& link, const utility_target& target, const QString& id,
                          operator_port& person) {
    switch (form_of(target.endpoint)) {
        case utility_form::tcp:
            return addhocadd_tcp(link, target, id, person);
        case utility_form::serial_protocol:
            return addhocadd_serialp(link, target, id, person);
        case utility_form::serial:
            break;
    }
    return addhocadd_serial(link, target, id, person);
}

utility_outcome addhocadd_tcp(link::reader_link& link, const utility_target& target, const QString& id,
                              operator_port& p) {
    return add_in(link, target, id, p);
}
utility_outcome addhocadd_serial(link::reader_link& link, const utility_target& target, const QString& id,
                                 operator_port& p) {
    return add_in(link, target, id, p);
}
utility_outcome addhocadd_serialp(link::reader_link& link, const utility_target& target,
                                  const QString& id, operator_port& p) {
    return add_in(link, target, id, p);
}

utility_outcome adhoc_delete(link::reader_link& link, const utility_target& target, const QString& id,
                             operator_port& person) {
    switch (form_of(target.endpoint)) {
        case utility_form::tcp:
            return adhocdelete_tcp(link, target, id, person);
        case utility_form::serial_protocol:
            return addhoc_delete_serialp(link, target, id, person);
        case utility_form::serial:
            break;
    }
    return addhoc_delete_serial(link, target, id, person);
}

utility_outcome adhocdelete_tcp(link::reader_link& link, const utility_target& target, const QString& id,
                                operator_port& p) {
    return delete_in(link, target, id, tcp_delete_texts, p);
}
utility_outcome addhoc_delete_serial(link::reader_link& link, const utility_target& target,
                                     const QString& id, operator_port& p) {
    return delete_in(link, target, id, serial_delete_texts, p);
}
utility_outcome addhoc_delete_serialp(link::reader_link& link, const utility_target& target,
                                      const QString& id, operator_port& p) {
    return delete_in(link, target, id, protocol_delete_texts, p);
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

utility_outcome addhocadd(link::reader_link& link, const utility_target& target, operator_port& person) {
    const auto id = enter_empid(person);
    if (!id) return refused_silently({});
    return adhoc_add(link, target, *id, person);
}

utility_outcome addhoc_delete(link::reader_link& link, const utility_target& target,
                              operator_port& person) {
    const auto id = enter_empid_delete(person);
    if (!id) return refused_silently({});
    return adhoc_delete(link, target, *id, person);
}

}  // namespace zep::maintenance
