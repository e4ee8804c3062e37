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

// Where the command line reads and writes; tests substitute strings.
struct cli_io {
    QTextStream& out;
    QTextStream& err;
    // Asks for the login password on the terminal; nullopt when nothing could be read.
    std::function<std::optional<QString>()> read_password;
};

struct cli_context {
    program::session& state;
    const parsed_args& args;
    cli_io& io;
};

struct cli_command {
    QString name;
    QString usage;    // arguments after the name
    QString summary;  // one line for --help
    option_set options;
    std::function<int(cli_context&)> run;
    bool asks_login = true;
    // How many positional arguments the command takes, checked before start-up; unset
    // when the command checks them itself.
    std::optional<int> positionals = std::nullopt;
};

// Every command of `zep`, in the order --help lists them.
const std::vector<cli_command>& cli_commands();

// Runs `zep ARGS...` (program name excluded) and returns the exit status.
int run_cli(const QStringList& arguments, cli_io& io);

// The usage text.
QString usage_text();

// Reads the login password from $ZEP_PASSWORD, else from the terminal without echo.
std::optional<QString> read_password_from_terminal();

// Commands, one per file.
cli_command send_command();
cli_command background_command();
cli_command autorun_command();
cli_command log_export_command();
cli_command log_delete_command();
cli_command users_export_command();
cli_command identify_command();
cli_command memory_command();
cli_command clock_get_command();
cli_command clock_set_command();
cli_command id_add_command();
cli_command id_delete_command();
cli_command access_download_command();
cli_command access_upload_command();
cli_command access_clear_command();
cli_command schedule_download_command();
cli_command schedule_upload_command();
cli_command log_upload_command();
cli_command log_clear_command();
cli_command net_poll_command();
cli_command net_watch_command();
cli_command net_address_command();
cli_command net_protocol_command();
cli_command terminal_command();
cli_command setup_params_command();
cli_command setup_mode_command();
cli_command setup_reset_command();
cli_command setup_rs232_log_command();
cli_command setup_bad_log_command();
cli_command setup_clear_led_command();
cli_command format_barcode_command();
cli_command format_magstripe_command();
cli_command format_clear_mask_command();

// Runs a database utility with the command line as its operator: `file` answers the save
// dialog, `agree` the questions (No when not given); the messages go to stdout when
// `utility` says it succeeded, else to stderr.
int run_utility(cli_io& io, const std::function<bool(operator_port&)>& utility,
                const QString& file = {}, const std::function<bool(const QString&)>& agree = {});

}  // namespace zep::cli
