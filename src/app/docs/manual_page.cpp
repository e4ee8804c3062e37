#include <QRegularExpression>

#include "app/cli/cli_help.h"
#include "app/docs/docs.h"
#include "sim/sim_cli.h"

namespace zep::docs {

namespace {

using cli::cli_command;
using cli::cli_option;

// Text as roff prints it: backslashes and minus signs escaped, a line that would begin
// with a control character protected.
QString roff(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    escaped.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    static const QRegularExpression control(QStringLiteral("^([.'])"),
                                            QRegularExpression::MultilineOption);
    escaped.replace(control, QStringLiteral("\\&\\1"));
    return escaped;
}

QString bold(const QString& text) {
    return QStringLiteral("\\fB") + roff(text) + QStringLiteral("\\fR");
}

QString italic(const QString& text) {
    return QStringLiteral("\\fI") + roff(text) + QStringLiteral("\\fR");
}

QString sentence(const QString& summary) {
    return summary.left(1).toUpper() + summary.mid(1) + QLatin1Char('.');
}

QString option_tag(const cli_option& option) {
    QStringList names;
    for (const QString& name : option.names.split(QLatin1Char('|'))) names << bold("--" + name);
    QString tag = names.join(QStringLiteral(", "));
    if (!option.value.isEmpty()) tag += QLatin1Char(' ') + italic(option.value);
    return tag;
}

QString option_list(const std::vector<cli_option>& options) {
    QString text;
    for (const cli_option& option : options) {
        text += QStringLiteral(".TP\n") + option_tag(option) + QLatin1Char('\n') +
                roff(sentence(option.help)) + QLatin1Char('\n');
    }
    return text;
}

QString command_entry(const cli_command& c) {
    QString tag = bold(c.name);
    for (const QString& argument : c.arguments) tag += QLatin1Char(' ') + italic(argument);
    QString text = QStringLiteral(".TP\n") + tag + QLatin1Char('\n') +
                   roff((sentence(c.summary) + QLatin1Char(' ') + c.details).trimmed()) +
                   QLatin1Char('\n');
    if (c.link == cli::link_options::all) {
        text += QStringLiteral("The link options apply.\n");
    } else if (c.link == cli::link_options::own_waits) {
        text +=
            roff(QStringLiteral("The link options apply, but for --timeout: it keeps its own "
                                "waits.\n"));
    }
    if (!c.failure.isEmpty()) text += roff(QStringLiteral("Exit status 1: %1.\n").arg(c.failure));
    if (!c.options.empty()) {
        text += QStringLiteral(".RS\n") + option_list(c.options) + QStringLiteral(".RE\n");
    }
    return text;
}

QString commands_section() {
    QString text = QStringLiteral(".SH COMMANDS\n");
    std::optional<cli::section> part;
    for (const cli_command& c : cli::cli_commands()) {
        if (part != c.part) {
            part = c.part;
            const QString title = cli::section_title(c.part);
            text += QStringLiteral(".SS ") + roff(title.left(1).toUpper() + title.mid(1)) +
                    QLatin1Char('\n');
        }
        text += command_entry(c);
    }
    return text;
}

struct entry {
    QString tag;  // roff already
    QString text;
};

QString tagged(const std::vector<entry>& entries) {
    QString text;
    for (const entry& e : entries) {
        text +=
            QStringLiteral(".TP\n") + e.tag + QLatin1Char('\n') + roff(e.text) + QLatin1Char('\n');
    }
    return text;
}

QString example(const QString& what, const QString& command) {
    return roff(what) + QStringLiteral("\n.PP\n.RS\n.nf\n") + roff(command) +
           QStringLiteral("\n.fi\n.RE\n.PP\n");
}

}  // namespace

QString zep_manual() {
    QString page = QStringLiteral(".TH ZEP 1 \"\" \"zep %1\" \"User Commands\"\n").arg(ZEP_VERSION);
    page += QStringLiteral(
        ".SH NAME\nzep \\- manage KO and ZEP door\\-access card readers\n"
        ".SH SYNOPSIS\n"
        ".B zep\n[\\fB\\-\\-db\\fR \\fIPATH\\fR]\n.br\n"
        ".B zep\n[\\fB\\-\\-db\\fR \\fIPATH\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR] "
        "[\\fIOPTIONS\\fR]\n.br\n"
        ".B zep help\n[\\fICOMMAND\\fR]\n.br\n"
        ".B zep \\-\\-version\n");
    page += QStringLiteral(".SH DESCRIPTION\n") +
            roff(QStringLiteral(
                "zep manages door-access card readers of the KO and ZEP families: card holders, "
                "readers and weekly schedules in a small database, and the traffic that moves "
                "access lists, schedules, transaction logs and clock settings between that "
                "database, text files and the readers, over a serial line (RS-232, or RS-422 "
                "multi-drop with protocol addresses) or TCP/IP.\n")) +
            QStringLiteral(".PP\n") +
            roff(QStringLiteral(
                "Without a command zep starts the desktop program, which needs a display. "
                "With a command it runs that one operation and exits. Results go to stdout; "
                "messages go to stderr. Where the desktop program asks Yes or No before acting, "
                "--yes answers; without it the question is asked on a terminal and refused "
                "when stdin is not one. Options apply to one call: the command line never "
                "changes the stored settings.\n")) +
            QStringLiteral(".PP\n") +
            roff(QStringLiteral(
                "The single reader is the one set on the Communications screen; the link "
                "options override it for one call. Commands that take --all walk the active "
                "readers of the readers register instead, each over its own link.\n"));
    page += commands_section();
    page += QStringLiteral(".SH OPTIONS\n") +
            tagged({{bold("--db") + QLatin1Char(' ') + italic("PATH"),
                     "The database file, given before the command."},
                    {bold("--help") + QStringLiteral(", ") + bold("-h"),
                     "List the commands. After a command: that command's usage, options and "
                     "exit statuses, as zep help COMMAND prints them."},
                    {bold("--version"), "Print the version."}}) +
            QStringLiteral(".SS Link options\n") +
            roff(QStringLiteral("They override the stored single-reader link for one call, "
                                "and do not go with --all.\n")) +
            option_list(cli::link_option_table());
    page += QStringLiteral(".SH FILES\n") +
            tagged({{italic("~/.local/share/zep/zep.db"),
                     "The database, unless --db, $ZEP_HOME or $XDG_DATA_HOME say otherwise. "
                     "The first start creates it, readable by its owner only."},
                    {italic("background.log"),
                     "Beside the database: the status lines of the last zep background run."},
                    {italic("/usr/share/doc/zep/examples/zep-autorun.service") +
                         QStringLiteral(", ") + italic("zep-autorun.timer"),
                     "A systemd service and timer for a nightly automatic run; nothing enables "
                     "them."}});
    page += QStringLiteral(".SH ENVIRONMENT\n") +
            tagged({{bold("ZEP_HOME"), "The folder of zep.db, when --db is not given."},
                    {bold("XDG_DATA_HOME"),
                     "Without --db and $ZEP_HOME the database is $XDG_DATA_HOME/zep/zep.db."},
                    {bold("ZEP_PASSWORD"),
                     "The login password, when one is set, instead of asking for it."},
                    {bold("ZEP_COM1") + QStringLiteral(" .. ") + bold("ZEP_COM5"),
                     "The device of Com1 .. Com5 (default /dev/ttyS0 .. /dev/ttyS4, or what the "
                     "Communications screen stored)."},
                    {bold("DISPLAY") + QStringLiteral(", ") + bold("WAYLAND_DISPLAY") +
                         QStringLiteral(", ") + bold("QT_QPA_PLATFORM"),
                     "Without any of them zep without a command does not start the desktop "
                     "program and exits with status 2."}});
    std::vector<entry> statuses;
    for (const auto& [status, meaning] : cli::exit_statuses(nullptr)) {
        statuses.push_back({bold(QString::number(status)), sentence(meaning)});
    }
    page += QStringLiteral(".SH EXIT STATUS\n") + tagged(statuses) + QStringLiteral(".PP\n") +
            roff(QStringLiteral("A command over several readers fails when any of them "
                                "failed. Each command's own meaning of 1 is given above.\n"));
    page += QStringLiteral(".SH EXAMPLES\n") +
            example("Check the link to a reader over TCP/IP, and to reader 3 of an RS-422 line:",
                    "zep send V --tcp 10.0.0.20:4001\n"
                    "zep send V --serial /dev/ttyUSB0 --baud 9600 --protocol 3") +
            example("Replace the single reader's access list without being asked:",
                    "zep access download ids.txt --yes") +
            example("Export the log of March 2024 in comma-delimited form:",
                    "zep log export march.txt --from 03-01-2024 --to 03-31-2024 --format comma") +
            example("The automatic run every night at 02:30 from cron:",
                    "30 2 * * *  zep --db /srv/zep/zep.db background");
    page += QStringLiteral(".SH SEE ALSO\n.BR zep\\-sim (1)\n");
    return page;
}

QString zep_sim_manual() {
    QStringList help = sim::cli_help().split(QLatin1Char('\n'));
    if (!help.isEmpty() && help.first().startsWith(QLatin1String("Usage:"))) help.removeFirst();
    while (!help.isEmpty() && help.first().isEmpty()) help.removeFirst();
    QString page =
        QStringLiteral(".TH ZEP\\-SIM 1 \"\" \"zep %1\" \"User Commands\"\n").arg(ZEP_VERSION);
    page += QStringLiteral(
        ".SH NAME\nzep\\-sim \\- simulated KO and ZEP door\\-access card readers\n"
        ".SH SYNOPSIS\n.B zep\\-sim\n[\\fIoptions\\fR] [\\fISCENARIO.json\\fR]\n.br\n"
        ".B zep\\-sim \\-\\-version\n");
    // The help's first heading ("Quick form ...:") begins its options.
    qsizetype options = 0;
    while (options < help.size() && (help[options].startsWith(QLatin1Char(' ')) ||
                                     !help[options].endsWith(QLatin1Char(':')))) {
        ++options;
    }
    const auto preformatted = [](const QStringList& lines) {
        return QStringLiteral(".nf\n") + roff(lines.join(QLatin1Char('\n'))).trimmed() +
               QStringLiteral("\n.fi\n");
    };
    page += QStringLiteral(".SH DESCRIPTION\n") + preformatted(help.mid(0, options)) +
            QStringLiteral(".SH OPTIONS\n") + preformatted(help.mid(options));
    page += QStringLiteral(".SH EXIT STATUS\n") +
            tagged({{bold("0"), "Stopped by SIGINT, SIGTERM or --exit-after."},
                    {bold("1"), "A line could not be served."},
                    {bold("2"), "Bad usage or a bad scenario."}});
    page += QStringLiteral(".SH EXAMPLES\n") +
            example("Two protocol readers behind one TCP port, then zep polling them:",
                    "zep-sim --tcp-line 2 --protocol --port 4001 &\n"
                    "zep net poll --tcp 127.0.0.1:4001");
    page += QStringLiteral(".SH SEE ALSO\n.BR zep (1)\n");
    return page;
}

}  // namespace zep::docs
