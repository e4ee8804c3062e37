#include "app/cli/cli.h"
#include "core/program/startup.h"

namespace zep::cli {

namespace {

// The unattended start: start-up has run; the closing sequence writes the settings back.
int run_background(cli_context& context) {
    if (const status closed = program::close_down(context.state); !closed) {
        context.io.err << closed.error() << "\n";
        return exit_failed;
    }
    return exit_ok;
}

}  // namespace

cli_command background_command() {
    cli_command command{QStringLiteral("background"),
                        QString(),
                        QStringLiteral("unattended start: start-up and closing, no display"),
                        {},
                        run_background};
    command.asks_login = false;
    command.positionals = 0;
    return command;
}

}  // namespace zep::cli
