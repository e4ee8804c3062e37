#include "app/cli/cli.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "core/program/login.h"
#include "core/program/startup.h"

namespace zep::cli {

const std::vector<cli_command>& cli_commands() {
    static const std::vector<cli_command> commands = {
        send_command(),
        autorun_command(),
        background_command(),
        log_export_command(),
        log_delete_command(),
        users_export_command(),
        identify_command(),
        memory_command(),
        clock_get_command(),
        clock_set_command(),
        id_add_command(),
        id_delete_command(),
        access_download_command(),
        access_upload_command(),
        access_clear_command(),
        schedule_download_command(),
        schedule_upload_command(),
        log_upload_command(),
        log_clear_command(),
        net_poll_command(),
        net_watch_command(),
        net_address_command(),
        net_protocol_command(),
        terminal_command(),
        setup_params_command(),
        setup_mode_command(),
        setup_reset_command(),
        setup_rs232_log_command(),
        setup_bad_log_command(),
        setup_clear_led_command(),
        format_barcode_command(),
        format_magstripe_command(),
        format_clear_mask_command(),
    };
    return commands;
}

QString usage_text() {
    QString text = QStringLiteral(
        "usage: zep [--db PATH]                 start the desktop program\n"
        "       zep [--db PATH] COMMAND [ARGS]  run one command and exit\n\ncommands:\n");
    for (const auto& c : cli_commands()) {
        const QString usage = c.usage.isEmpty() ? QString() : QLatin1Char(' ') + c.usage;
        text += QStringLiteral("  %1%2\n      %3\n").arg(c.name, usage, c.summary);
    }
    text += QStringLiteral(
        "\nlink options (override the stored single-reader link for one call):\n"
        "  --tcp HOST:PORT  --serial Com1..Com5|DEVICE  --baud 9600|19200\n"
        "  --protocol ADDR  --plain  --timeout MS\n"
        "\nThe database is --db PATH, else $ZEP_HOME/zep.db, else "
        "$XDG_DATA_HOME/zep/zep.db (~/.local/share/zep/zep.db).\n"
        "When a login password is set it is asked for, or taken from $ZEP_PASSWORD.\n");
    return text;
}

std::optional<QString> read_password_from_terminal() {
    if (const QByteArray env = qgetenv("ZEP_PASSWORD"); !env.isNull()) {
        return QString::fromLocal8Bit(env);
    }
    const bool tty = isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (tty) {
        std::fputs("Enter Password: ", stderr);
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (tty) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputs("\n", stderr);
    }
    if (!got) return std::nullopt;
    return QString::fromLocal8Bit(line.c_str());
}

namespace {

// Command names may be two words ("log export"); the longest match wins.
const cli_command* take_command(QStringList& rest) {
    if (rest.size() >= 2) {
        const QString two = rest[0] + QLatin1Char(' ') + rest[1];
        for (const auto& c : cli_commands()) {
            if (c.name == two) {
                rest.remove(0, 2);
                return &c;
            }
        }
    }
    for (const auto& c : cli_commands()) {
        if (c.name == rest.first()) {
            rest.removeFirst();
            return &c;
        }
    }
    return nullptr;
}

int usage_error(cli_io& io, const QString& what) {
    io.err << "zep: " << what << "\n" << usage_text();
    io.err.flush();
    return exit_usage;
}

// The login check of the command line: the same rule as the desktop program's prompt.
bool login_passes(const program::session& state, cli_io& io) {
    if (!program::login_required(state)) return true;
    const auto answer = io.read_password ? io.read_password() : std::nullopt;
    if (answer && program::check_login(state, *answer)) return true;
    io.err << program::invalid_password_text << "\n";
    return false;
}

}  // namespace

int run_cli(const QStringList& arguments, cli_io& io) {
    QStringList rest = arguments;
    QString db_arg;
    // --db comes before the command.
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--"))) {
        const QString opt = rest.takeFirst();
        if (opt == QLatin1String("--help") || opt == QLatin1String("-h")) {
            io.out << usage_text();
            return exit_ok;
        }
        if (opt == QLatin1String("--version")) {
            io.out << "zep " << ZEP_VERSION << "\n";
            return exit_ok;
        }
        if (opt == QLatin1String("--db") && !rest.isEmpty()) {
            db_arg = rest.takeFirst();
        } else if (opt.startsWith(QLatin1String("--db="))) {
            db_arg = opt.mid(5);
        } else {
            return usage_error(io, QStringLiteral("unknown option %1").arg(opt));
        }
    }
    if (rest.isEmpty()) return usage_error(io, QStringLiteral("no command given"));
    if (rest.first() == QLatin1String("help")) {
        io.out << usage_text();
        return exit_ok;
    }
    const QString first_word = rest.first();
    const cli_command* command = take_command(rest);
    if (command == nullptr) {
        return usage_error(io, QStringLiteral("unknown command %1").arg(first_word));
    }

    QString error;
    const auto args = parse_args(rest, command->options, &error);
    if (!args) return usage_error(io, error);
    if (command->positionals && args->positional.size() != *command->positionals) {
        return usage_error(io, QStringLiteral("%1 takes %2 argument(s), not %3")
                                   .arg(command->name)
                                   .arg(*command->positionals)
                                   .arg(args->positional.size()));
    }

    program::startup_options options;
    options.db_arg = db_arg;
    options.command_line = command->name;
    auto started = program::start_up(options);
    if (!started) {
        io.err << started.error() << "\n";
        return exit_failed;
    }
    program::session& state = *started.value();
    for (const QString& warning : state.warnings) io.err << warning << "\n";
    if (command->asks_login && !login_passes(state, io)) return exit_failed;
    cli_context context{state, *args, io};
    const int status = command->run(context);
    io.out.flush();
    io.err.flush();
    return status;
}

}  // namespace zep::cli
