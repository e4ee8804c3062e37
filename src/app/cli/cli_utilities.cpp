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

std::optional<maintenance::utility_target> target_of(cli_context& context, const QString& name) {
    QString error;
    const auto link = choose_link(context.state, context.args, &error);
    if (!link) {
        context.io.err << "zep " << name << ": " << error << "\n";
        return std::nullopt;
    }
    return maintenance::utility_target{link->endpoint, link->timeout_ms};
}

bool no_positionals(cli_context& context, const QString& name) {
    if (context.args.positional.isEmpty()) return true;
    context.io.err << "zep " << name << ": takes no arguments\n" << usage_text();
    return false;
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
bool link_options_left_out(cli_context& context, const QString& name) {
    if (!has_link_options(context.args)) return true;
    context.io.err << "zep " << name << ": link options do not go with --all\n" << usage_text();
    return false;
}

maintenance::walk_inputs all_readers(cli_context& context) {
    return maintenance::load_walk_inputs(*context.state.db, context.state.settings,
                                         autorun::program_override_selection());
}

int run_identify(cli_context& context) {
    if (!no_positionals(context, QStringLiteral("identify"))) return exit_usage;
    const auto target = target_of(context, QStringLiteral("identify"));
    if (!target) return exit_usage;
    link::reader_link link;
    action_operator person;
    return finish(context, maintenance::identify_reader(link, *target, person));
}

int run_memory(cli_context& context) {
    if (!no_positionals(context, QStringLiteral("memory"))) return exit_usage;
    const auto target = target_of(context, QStringLiteral("memory"));
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
    if (!no_positionals(context, QStringLiteral("clock get"))) return exit_usage;
    const auto target = target_of(context, QStringLiteral("clock get"));
    if (!target) return exit_usage;
    link::reader_link link;
    action_operator person;
    return finish(context, maintenance::read_reader_clock(link, *target, person));
}

int run_clock_set(cli_context& context) {
    if (!no_positionals(context, QStringLiteral("clock set"))) return exit_usage;
    link::reader_link link;
    action_operator person;
    if (context.args.has(QStringLiteral("all"))) {
        if (!link_options_left_out(context, QStringLiteral("clock set"))) return exit_usage;
        return finish_walk(
            context,
            maintenance::doall_settime(link, all_readers(context), default_clock(), person),
            person);
    }
    const auto target = target_of(context, QStringLiteral("clock set"));
    if (!target) return exit_usage;
    return finish(context, maintenance::set_reader_clock(link, *target, default_clock(), person));
}

std::optional<QString> one_id(cli_context& context, const QString& name) {
    if (context.args.positional.size() == 1 && !context.args.positional.first().isEmpty()) {
        return context.args.positional.first();
    }
    context.io.err << "zep " << name << ": give exactly one ID\n" << usage_text();
    return std::nullopt;
}

int run_id(cli_context& context, bool adding) {
    const QString name = adding ? QStringLiteral("id add") : QStringLiteral("id delete");
    const auto id = one_id(context, name);
    if (!id) return exit_usage;
    link::reader_link link;
    action_operator person;
    if (context.args.has(QStringLiteral("all"))) {
        if (!link_options_left_out(context, name)) return exit_usage;
        const maintenance::walk_inputs inputs = all_readers(context);
        return finish_walk(context,
                           adding ? maintenance::doall_addhocadd(link, inputs, person, id)
                                  : maintenance::doall_adhocdelete(link, inputs, person, id),
                           person);
    }
    const auto target = target_of(context, name);
    if (!target) return exit_usage;
    return finish(context, adding ? maintenance::adhoc_add(link, *target, *id, person)
                                  : maintenance::adhoc_delete(link, *target, *id, person));
}

option_set with_flags(std::initializer_list<const char*> flags) {
    option_set options = link_options_accepted();
    option_set more;
    for (const char* flag : flags) more.flags << QString::fromLatin1(flag);
    options += more;
    return options;
}

}  // namespace

cli_command identify_command() {
    return {QStringLiteral("identify"), QStringLiteral("[link options]"),
            QStringLiteral("print the single reader's identification"), link_options_accepted(),
            run_identify};
}

cli_command memory_command() {
    return {QStringLiteral("memory"), QStringLiteral("[link options] [--old-firmware]"),
            QStringLiteral("print the single reader's memory usage; --old-firmware for "
                           "firmware before 1/10/01"),
            with_flags({"old-firmware"}), run_memory};
}

cli_command clock_get_command() {
    return {QStringLiteral("clock get"), QStringLiteral("[link options]"),
            QStringLiteral("print the single reader's date and time"), link_options_accepted(),
            run_clock_get};
}

cli_command clock_set_command() {
    return {QStringLiteral("clock set"), QStringLiteral("[link options] [--all]"),
            QStringLiteral("set the single reader's clock from this computer; --all sets "
                           "every active reader"),
            with_flags({"all"}), run_clock_set};
}

cli_command id_add_command() {
    return {QStringLiteral("id add"), QStringLiteral("ID [link options] [--all]"),
            QStringLiteral("add one ID under schedule 000; --all adds it to every active reader"),
            with_flags({"all"}), [](cli_context& c) { return run_id(c, true); }};
}

cli_command id_delete_command() {
    return {QStringLiteral("id delete"), QStringLiteral("ID [link options] [--all]"),
            QStringLiteral("delete one ID; --all deletes it from every active reader"),
            with_flags({"all"}), [](cli_context& c) { return run_id(c, false); }};
}

}  // namespace zep::cli
