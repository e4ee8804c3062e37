#include "app/cli/cli.h"
#include "app/cli/cli_link_options.h"
#include "core/autorun/override_selection.h"
#include "core/clock.h"
#include "core/link/reader_link.h"
#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"
#include "core/operator.h"
#include "core/program/startup.h"

namespace zep::cli {

namespace {

// The command line as the operator of a reader action: nothing is asked (the ID comes
// from the arguments), messages are kept until the outcome decides where they go.
class action_operator final : public quiet_operator {
  public:
    void message(const QString& text) override { messages << text; }

    QStringList messages;
};

std::optional<maintenance::utility_target> target_of(cli_context& context) {
    QString error;
    const auto link = choose_link(context.state, context.args, &error);
    if (!link) {
        usage_error(context, error);
        return std::nullopt;
    }
    return maintenance::utility_target{link->endpoint, link->timeout_ms};
}

// Success prints the result on stdout; a refusal or failure prints its message on stderr.
int finish(cli_context& context, const maintenance::utility_outcome& outcome) {
    (outcome.ok() ? context.io.out : context.io.err) << outcome.text << "\n";
    return outcome.ok() ? exit_ok : exit_failed;
}

// Every line is printed; a reader whose line is not the success text fails the call.
int finish_walk(cli_context& context, const records::walk_result& walk,
                const action_operator& person) {
    for (const QString& line : walk.lines) context.io.out << line << "\n";
    for (const QString& message : person.messages) context.io.err << message << "\n";
    return walk.end == records::walk_end::done && walk.failures == 0 ? exit_ok : exit_failed;
}

// --all walks the readers of the readers table: a link option has nothing to act on.
bool link_options_left_out(cli_context& context) {
    if (!has_link_options(context.args)) return true;
    usage_error(context, QStringLiteral("link options do not go with --all"));
    return false;
}

maintenance::walk_inputs all_readers(cli_context& context) {
    return maintenance::load_walk_inputs(*context.state.db, context.state.settings,
                                         autorun::program_override_selection());
}

int run_id(cli_context& context, bool adding) {
    const QString id = context.args.positional.first();
    if (id.isEmpty()) return usage_error(context, QStringLiteral("the ID is empty"));
    link::reader_link link;
    action_operator person;
    if (context.args.has(QStringLiteral("all"))) {
        if (!link_options_left_out(context)) return exit_usage;
        const maintenance::walk_inputs inputs = all_readers(context);
        return finish_walk(context,
                           adding ? maintenance::doall_addhocadd(link, inputs, person, id)
                                  : maintenance::doall_adhocdelete(link, inputs, person, id),
                           person);
    }
    const auto target = target_of(context);
    if (!target) return exit_usage;
    return finish(context, adding ? maintenance::adhoc_add(link, *target, id, person)
                                  : maintenance::adhoc_delete(link, *target, id, person));
}

}  // namespace

int run_identify(cli_context& context) {
    const auto target = target_of(context);
    if (!target) return exit_usage;
    link::reader_link link;
    action_operator person;
    return finish(context, maintenance::identify_reader(link, *target, person));
}

int run_memory(cli_context& context) {
    const auto target = target_of(context);
    if (!target) return exit_usage;
    const commands::memory_layout layout =
        context.args.has(QStringLiteral("old-firmware"))
            ? commands::memory_layout::used_first
            : maintenance::memory_layout_of(context.state.settings);
    link::reader_link link;
    action_operator person;
    const maintenance::memory_outcome outcome =
        maintenance::read_memory_usage(link, *target, layout, person);
    if (!outcome.ok()) return finish(context, outcome);
    const commands::memory_usage& m = outcome.usage;
    QTextStream& out = context.io.out;
    out << maintenance::download_avail_caption << ": " << m.download_available.text << "\n";
    out << maintenance::download_used_caption << ": " << m.download_used.text << "\n";
    out << maintenance::logging_avail_caption << ": " << m.logging_available.text << "\n";
    out << maintenance::logging_used_caption << ": " << m.logging_used.text << "\n";
    return exit_ok;
}

int run_clock_get(cli_context& context) {
    const auto target = target_of(context);
    if (!target) return exit_usage;
    link::reader_link link;
    action_operator person;
    return finish(context, maintenance::read_reader_clock(link, *target, person));
}

int run_clock_set(cli_context& context) {
    link::reader_link link;
    action_operator person;
    if (context.args.has(QStringLiteral("all"))) {
        if (!link_options_left_out(context)) return exit_usage;
        return finish_walk(
            context,
            maintenance::doall_settime(link, all_readers(context), default_clock(), person),
            person);
    }
    const auto target = target_of(context);
    if (!target) return exit_usage;
    return finish(context, maintenance::set_reader_clock(link, *target, default_clock(), person));
}

int run_id_add(cli_context& context) {
    return run_id(context, true);
}

int run_id_delete(cli_context& context) {
    return run_id(context, false);
}

}  // namespace zep::cli
