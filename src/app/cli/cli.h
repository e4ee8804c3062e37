#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>
#include <vector>

#include "app/cli/cli_args.h"

namespace zep {
class operator_port;
}
namespace zep::program {
struct session;
}

namespace zep::cli {

inline constexpr int exit_ok = 0;
inline constexpr int exit_failed = 1;
inline constexpr int exit_usage = 2;
inline constexpr int exit_interrupted = 130;

// What `zep` without a command says where the desktop program cannot open a window.
inline constexpr auto no_display_text =
    "zep: the desktop program needs a display; 'zep --help' lists the command-line commands";

// Where the command line reads and writes; tests substitute strings.
struct cli_io {
    QTextStream& out;
    QTextStream& err;
    // Asks for the login password on the terminal; nullopt when nothing could be read.
    std::function<std::optional<QString>()> read_password;
};

struct cli_command;

struct cli_context {
    program::session& state;
    const parsed_args& args;
    cli_io& io;
    const cli_command& command;
};

// How the shell completes a value or an argument.
enum class completion {
    none,
    file,
    serial_port,  // Com1..Com5 and /dev/tty*
    choices,      // the words of the placeholder: "schedule|id"
};

// One option of a command. `names` holds one name, or alternatives that exclude each other
// ("verify|no-verify"); `value` is the placeholder of its value, empty for a flag.
struct cli_option {
    QString names = {};
    QString value = {};
    QString help = {};
    completion completes = completion::none;
    bool required = false;
};

// Which link options a command takes. The operations that keep their own waits take all
// but --timeout, which they refuse with the reason.
enum class link_options { none, all, own_waits };

// The parts of `zep --help` and of the manual page.
enum class section { one_reader, text_files, setup, network, database, automatic_run };

// One command of the table: what --help, `zep help COMMAND`, the manual page, the shell
// completion and the parser know about it, and what runs it.
struct cli_command {
    QString name = {};           // one or two words: "log export"
    QStringList arguments = {};  // positional, in order: "FILE", "on|off"; FILE completes files
    std::vector<cli_option> options = {};
    link_options link = link_options::none;
    section part = section::one_reader;
    QString summary = {};        // one line, lower case, no full stop
    QString details = {};        // sentences for the command's help and the manual; may be empty
    QString failure = {};        // what exit status 1 means; empty: the operation failed
    bool interruptible = false;  // Ctrl-C stops it at its next check (exit 130)
    bool asks_login = true;
    // False for a command that names its databases itself: --db is not opened for it.
    bool opens_database = true;
    std::function<int(cli_context&)> run = {};
};

// Every command of `zep`, in the order --help lists them.
const std::vector<cli_command>& cli_commands();

// The options `command` accepts, as the parser wants them.
option_set accepted_options(const cli_command& command);

// The link options: name, placeholder and help.
const std::vector<cli_option>& link_option_table();

// Runs `zep ARGS...` (program name excluded) and returns the exit status.
int run_cli(const QStringList& arguments, cli_io& io);

// Reads the login password from $ZEP_PASSWORD, else from the terminal without echo.
std::optional<QString> read_password_from_terminal();

// Tells a bad use of `context.command` on stderr: `what` in one line, the usage line and
// where to read more. Returns exit_usage.
int usage_error(cli_context& context, const QString& what);

// The commands' run functions, one file per group.
int run_send(cli_context& context);
int run_background(cli_context& context);
int run_autorun(cli_context& context);
int run_log_export(cli_context& context);
int run_log_delete(cli_context& context);
int run_users_export(cli_context& context);
int run_users_import(cli_context& context);
int run_users_add_series(cli_context& context);
int run_log_find(cli_context& context);
int run_db_check(cli_context& context);
int run_db_copy(cli_context& context);
int run_identify(cli_context& context);
int run_memory(cli_context& context);
int run_clock_get(cli_context& context);
int run_clock_set(cli_context& context);
int run_id_add(cli_context& context);
int run_id_delete(cli_context& context);
int run_access_download(cli_context& context);
int run_access_upload(cli_context& context);
int run_access_clear(cli_context& context);
int run_schedule_download(cli_context& context);
int run_schedule_upload(cli_context& context);
int run_log_upload(cli_context& context);
int run_log_clear(cli_context& context);
int run_net_poll(cli_context& context);
int run_net_watch(cli_context& context);
int run_net_address(cli_context& context);
int run_net_protocol(cli_context& context);
int run_terminal(cli_context& context);
int run_setup_params(cli_context& context);
int run_setup_mode(cli_context& context);
int run_setup_reset(cli_context& context);
int run_setup_rs232_log(cli_context& context);
int run_setup_bad_log(cli_context& context);
int run_setup_clear_led(cli_context& context);
int run_format_barcode(cli_context& context);
int run_format_magstripe(cli_context& context);
int run_format_clear_mask(cli_context& context);

// Runs a database utility with the command line as its operator: `file` answers the save
// dialog, `agree` the questions (No when not given); the messages go to stdout when
// `utility` says it succeeded, else to stderr.
int run_utility(cli_io& io, const std::function<bool(operator_port&)>& utility,
                const QString& file = {}, const std::function<bool(const QString&)>& agree = {});

}  // namespace zep::cli
