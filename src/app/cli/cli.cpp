#include "app/cli/cli.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "app/cli/cli_help.h"
#include "app/cli/cli_link_options.h"
#include "core/link/link_endpoint.h"
#include "core/program/login.h"
#include "core/program/startup.h"

namespace zep::cli {

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
        if (const cli_command* c = find_command(rest[0] + QLatin1Char(' ') + rest[1])) {
            rest.remove(0, 2);
            return c;
        }
    }
    if (const cli_command* c = find_command(rest.first())) {
        rest.removeFirst();
        return c;
    }
    return nullptr;
}

constexpr auto general_usage = "usage: zep [--db PATH] [COMMAND [ARGS] [OPTIONS]]";

// A usage error before any command is known: what is wrong, and where the commands are.
int general_usage_error(cli_io& io, const QString& what) {
    io.err << "zep: " << what << "\n" << general_usage << "\nRun 'zep help' for the commands.\n";
    io.err.flush();
    return exit_usage;
}

int command_usage_error(cli_io& io, const cli_command& command, const QString& what) {
    io.err << "zep " << command.name << ": " << what << "\n"
           << usage_line(command) << "\nRun 'zep help " << command.name << "' for details.\n";
    io.err.flush();
    return exit_usage;
}

QString did_you_mean(const QString& typed, const QStringList& known) {
    const QString near = nearest_name(typed, known);
    return near.isEmpty() ? QString() : QStringLiteral("; did you mean '%1'?").arg(near);
}

QStringList names_of(const option_set& options) {
    QStringList names;
    for (const QString& name : options.with_value + options.flags) names << "--" + name;
    return names;
}

// Neither a command nor the first word of one: the one line names the nearest command.
// The first word of several commands alone ("access") names its second words.
int unknown_command(cli_io& io, const QStringList& words) {
    QStringList second;
    for (const cli_command& c : cli_commands()) {
        if (c.name.startsWith(words.first() + QLatin1Char(' '))) {
            second << c.name.section(QLatin1Char(' '), 1);
        }
    }
    if (!second.isEmpty() && words.size() == 1) {
        const QString choices = second.mid(0, second.size() - 1).join(QStringLiteral(", ")) +
                                QStringLiteral(" or ") + second.last();
        io.err << "zep " << words.first() << ": give " << choices << "\nusage: zep [--db PATH] "
               << words.first() << ' ' << second.join('|') << " ...\nRun 'zep help "
               << words.first() << "' for details.\n";
        io.err.flush();
        return exit_usage;
    }
    if (!second.isEmpty()) {
        const QString typed = words.mid(0, 2).join(QLatin1Char(' '));
        QStringList known;
        for (const QString& s : second) known << words.first() + QLatin1Char(' ') + s;
        return general_usage_error(
            io, QStringLiteral("unknown command '%1'%2").arg(typed, did_you_mean(typed, known)));
    }
    return general_usage_error(io,
                               QStringLiteral("unknown command '%1'%2")
                                   .arg(words.first(), did_you_mean(words.first(), first_words())));
}

// `zep help [WORDS]`.
int help(cli_io& io, const QStringList& words) {
    if (words.isEmpty()) {
        io.out << full_help();
        return exit_ok;
    }
    if (const cli_command* c = find_command(words.join(QLatin1Char(' ')))) {
        io.out << command_help(*c);
        return exit_ok;
    }
    if (words.size() == 1) {
        if (const QString group = group_help(words.first()); !group.isEmpty()) {
            io.out << group;
            return exit_ok;
        }
    }
    return unknown_command(io, words);
}

bool asks_for_help(const QStringList& rest) {
    for (const QString& arg : rest) {
        if (arg == QLatin1String("--")) return false;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) return true;
    }
    return false;
}

// Arguments and required options as the table gives them, before start-up.
std::optional<QString> misfit(const cli_command& command, const parsed_args& args) {
    const qsizetype want = command.arguments.size();
    const qsizetype got = args.positional.size();
    if (got < want) return QStringLiteral("missing %1").arg(command.arguments[got]);
    if (got > want) return QStringLiteral("unexpected argument '%1'").arg(args.positional[want]);
    for (const cli_option& option : command.options) {
        if (option.required && !args.has(option.names)) {
            return QStringLiteral("missing --%1").arg(option.names);
        }
    }
    return std::nullopt;
}

// The login check of the command line: the same rule as the desktop program's prompt.
bool login_passes(const program::session& state, cli_io& io) {
    if (!program::login_required(state)) return true;
    // Nobody to ask: said plainly, not taken for a wrong password.
    if (!io.read_password) {
        io.err << "This database has a login password: set ZEP_PASSWORD or run from a terminal\n";
        return false;
    }
    const auto answer = io.read_password ? io.read_password() : std::nullopt;
    if (answer && program::check_login(state, *answer)) return true;
    io.err << program::invalid_password_text << "\n";
    return false;
}

}  // namespace

int usage_error(cli_context& context, const QString& what) {
    return command_usage_error(context.io, context.command, what);
}

int run_cli(const QStringList& arguments, cli_io& io) {
    QStringList rest = arguments;
    QString db_arg;
    // --db comes before the command.
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1Char('-'))) {
        const QString opt = rest.takeFirst();
        if (opt == QLatin1String("--help") || opt == QLatin1String("-h")) return help(io, {});
        if (opt == QLatin1String("--version")) {
            io.out << "zep " << ZEP_VERSION << "\n";
            return exit_ok;
        }
        if (opt == QLatin1String("--db") || opt == QLatin1String("--db=")) {
            if (opt == QLatin1String("--db=") || rest.isEmpty()) {
                return general_usage_error(io, QStringLiteral("--db needs a PATH"));
            }
            db_arg = rest.takeFirst();
        } else if (opt.startsWith(QLatin1String("--db="))) {
            db_arg = opt.mid(5);
        } else {
            const QStringList known{"--db", "--help", "--version"};
            return general_usage_error(
                io, QStringLiteral("unknown option %1%2").arg(opt, did_you_mean(opt, known)));
        }
    }
    if (rest.isEmpty()) return general_usage_error(io, QStringLiteral("no command given"));
    if (rest.first() == QLatin1String("help")) return help(io, rest.mid(1));
    const QStringList typed = rest;
    const cli_command* command = take_command(rest);
    if (command == nullptr) return unknown_command(io, typed);
    if (asks_for_help(rest)) {
        io.out << command_help(*command);
        return exit_ok;
    }

    QString error;
    const option_set accepted = accepted_options(*command);
    const auto args = parse_args(rest, accepted, &error);
    if (!args) {
        if (error.startsWith(QLatin1String("unknown option "))) {
            error +=
                did_you_mean(error.mid(15).section(QLatin1Char('='), 0, 0), names_of(accepted));
        }
        return command_usage_error(io, *command, error);
    }
    if (const auto wrong = misfit(*command, *args)) {
        return command_usage_error(io, *command, *wrong);
    }

    if (!command->opens_database) {
        program::session none;
        cli_context context{none, *args, io, *command};
        return command->run(context);
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
    cli_context context{state, *args, io, *command};
    const int status = command->run(context);
    // A failure with one reader says which reader, on a line of its own.
    if (status == exit_failed && command->link != link_options::none && !args->has("all")) {
        QString ignored;
        if (const auto chosen = choose_link(state, *args, &ignored)) {
            QString port;
            const QString serial = args->value("serial");
            if (!chosen->endpoint.tcp()) {
                port = args->has("serial")
                           ? (serial.startsWith(QLatin1String("Com")) ? serial : QString())
                           : QStringLiteral("Com%1").arg(state.comm.port);
            }
            io.err << "(reader: " << link::describe_endpoint(chosen->endpoint, port) << ")\n";
        }
    }
    io.out.flush();
    io.err.flush();
    return status;
}

}  // namespace zep::cli
