#include "app/cli/cli.h"
#include "app/cli/cli_terminal.h"
#include "core/autorun/autorun_run.h"
#include "core/operator.h"
#include "core/program/session.h"

namespace zep::cli {

namespace {

constexpr int most_parallel = 127;

// The command line as the operator of an automatic run: status lines to stdout (screen
// mode only; background mode writes its log), messages to stderr, Ctrl-C or SIGTERM as
// the Stop control.
class autorun_operator final : public quiet_operator {
  public:
    autorun_operator(cli_context& context, bool print_lines)
        : context_(context), print_lines_(print_lines) {}
    void message(const QString& text) override {
        context_.io.err << text << "\n";
        context_.io.err.flush();
    }
    void status_line(const QString& text) override {
        if (!print_lines_) return;
        context_.io.out << text << "\n";
        context_.io.out.flush();
    }
    bool cancelled() override { return interrupt_guard::interrupted(); }

  private:
    cli_context& context_;
    bool print_lines_;
};

int run(cli_context& context, autorun::autorun_mode mode) {
    autorun::autorun_request request;
    request.mode = mode;
    request.settings = autorun::autorun_settings_of(context.state.settings);
    request.devices = context.state.settings.comdevice;
    if (context.args.has(QStringLiteral("parallel"))) {
        bool ok = false;
        request.parallel = context.args.value(QStringLiteral("parallel")).toInt(&ok);
        if (!ok || request.parallel < 1 || request.parallel > most_parallel) {
            context.io.err << "zep: --parallel takes a number from 1 to " << most_parallel << "\n"
                           << usage_text();
            return exit_usage;
        }
    }
    const interrupt_guard interrupt;
    autorun_operator person(context, mode == autorun::autorun_mode::screen);
    const autorun::autorun_result result = autorun::run_autorun(*context.state.db, request, person);
    switch (result.end) {
        case autorun::autorun_end::finished:
            return result.reader_errors == 0 ? exit_ok : exit_failed;
        case autorun::autorun_end::stopped:
            return exit_interrupted;
        default:
            return exit_failed;
    }
}

cli_command autorun_command_of(const QString& name, const QString& summary,
                               autorun::autorun_mode mode) {
    cli_command command{name,
                        QStringLiteral("[--parallel N]"),
                        summary,
                        {{QStringLiteral("parallel")}, {}},
                        [mode](cli_context& context) { return run(context, mode); }};
    command.positionals = 0;
    return command;
}

}  // namespace

// The unattended start: start-up, the automatic run in background mode, and an end that
// writes no settings back (the desktop program may have saved newer ones meanwhile).
// There is nobody to answer a login question; the database is its owner's alone.
cli_command background_command() {
    cli_command command = autorun_command_of(
        QStringLiteral("background"),
        QStringLiteral("the automatic run, unattended: status lines into background.log beside "
                       "the database"),
        autorun::autorun_mode::background);
    command.asks_login = false;
    return command;
}

cli_command autorun_command() {
    return autorun_command_of(
        QStringLiteral("autorun"),
        QStringLiteral(
            "the automatic run over the active readers, status lines on stdout;\n"
            "      exit 0 when every step of every reader succeeded, 1 otherwise, 130 when "
            "stopped.\n"
            "      --parallel N serves up to N readers on independent links at once; their\n"
            "      access-list record length is then the largest over all readers' files, so a\n"
            "      reader may get a larger one than a run of one reader at a time gives it"),
        autorun::autorun_mode::screen);
}

}  // namespace zep::cli
