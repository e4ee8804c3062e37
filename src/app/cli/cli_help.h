#pragma once

#include <QString>
#include <QStringList>

#include "app/cli/cli.h"

// The texts made from the command table: the help of the program and of each command, the
// usage lines of usage errors, and the pieces the manual page and the completion share.
namespace zep::cli {

// `zep --help`.
QString full_help();
// `zep help COMMAND`: usage, what it does, options, exit status.
QString command_help(const cli_command& command);
// `zep help WORD` for the first word of several commands ("access"); empty when none.
QString group_help(const QString& word);

// "usage: zep [--db PATH] log delete --from MM-DD-YYYY --to MM-DD-YYYY", wrapped at 80
// columns.
QString usage_line(const cli_command& command);
// The words after the command's name in its usage: arguments, then options.
QStringList usage_words(const cli_command& command);
// "--format schedule|id", "--verify, --no-verify": an option as its help lists it.
QString option_label(const cli_option& option);
// The options `command` takes, its own and then the link options that apply.
std::vector<cli_option> all_options(const cli_command& command);

QString section_title(section part);
// How the shell completes `argument` (FILE: files; "on|off": those words).
completion argument_completion(const QString& argument);
// The exit statuses of `command` and what each means (of any command when null).
std::vector<std::pair<int, QString>> exit_statuses(const cli_command* command);

// The first words of the commands, each once: "send", "access", ...
QStringList first_words();
// The command named `name`, or null.
const cli_command* find_command(const QString& name);
// The known name closest to `typed` when it looks like a typo of it; empty otherwise.
QString nearest_name(const QString& typed, const QStringList& known);

}  // namespace zep::cli
