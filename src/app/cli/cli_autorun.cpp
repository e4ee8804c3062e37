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
        line_.clear();
        context_.io.out << text << "\n";
        context_.io.out.flush();
    }
    // What the run is doing, redrawn in place on a terminal's stderr; nothing elsewhere.
    void progress(const QString& text) override {
        if (!print_lines_) return;
        if (text.isEmpty()) {
            line_.clear();
        } else {
            line_.text(text);
        }
    }
    bool cancelled() override { return interrupt_guard::interrupted(); }

  private:
    cli_context& context_;
    bool print_lines_;
    progress_line line_;
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
            return usage_error(
                context,
                QStringLiteral("--parallel takes a number from 1 to %1").arg(most_parallel));
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

}  // namespace

// The unattended start: start-up, the automatic run in background mode, and an end that
// writes no settings back (the desktop program may have saved newer ones meanwhile).
// There is nobody to answer a login question; the database is its owner's alone.
int run_background(cli_context& context) {
    return run(context, autorun::autorun_mode::background);
}

int run_autorun(cli_context& context) {
    return run(context, autorun::autorun_mode::screen);
}

}  // namespace zep::cli
