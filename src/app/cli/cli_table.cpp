// The command table: every command's words, arguments, options and texts. The parser,
// --help, `zep help COMMAND`, the manual page and the shell completion all read it.

#include "app/cli/cli.h"

namespace zep::cli {

namespace {

const cli_option yes_replaces_file{"yes", {}, "replace FILE when it exists, without asking"};
const cli_option cr_only{"cr-only", {}, "end the lines of FILE with CR alone (default CR LF)"};
const cli_option all_readers{"all", {}, "act on every active reader instead (no link options)"};
const cli_option parallel{"parallel", "N", "serve up to N readers on independent links at once"};

std::vector<cli_command> one_reader() {
    return {
        {.name = "send",
         .arguments = {"TEXT"},
         .options = {{"no-reply", {}, "send and wait for no reply"}},
         .link = link_options::all,
         .summary = "send one command and print the reader's reply",
         .details = "TEXT takes \\xHH escapes (two hex digits) and \\\\ for a backslash. A "
                    "command the reader answers with an ACK alone prints nothing.",
         .run = run_send},
        {.name = "identify",
         .link = link_options::all,
         .summary = "print the reader's identification",
         .run = run_identify},
        {.name = "memory",
         .options = {{"old-firmware", {}, "the reader's firmware is older than 1/10/01"}},
         .link = link_options::all,
         .summary = "print the reader's memory usage",
         .run = run_memory},
        {.name = "clock get",
         .link = link_options::all,
         .summary = "print the reader's date and time",
         .run = run_clock_get},
        {.name = "clock set",
         .options = {all_readers},
         .link = link_options::all,
         .summary = "set the reader's clock from this computer",
         .failure = "the clock was not set; with --all, any reader failed",
         .run = run_clock_set},
        {.name = "id add",
         .arguments = {"ID"},
         .options = {all_readers},
         .link = link_options::all,
         .summary = "add one ID under schedule 000",
         .failure = "the ID was not added; with --all, any reader failed",
         .run = run_id_add},
        {.name = "id delete",
         .arguments = {"ID"},
         .options = {all_readers},
         .link = link_options::all,
         .summary = "delete one ID",
         .failure = "the ID was not deleted; with --all, any reader failed",
         .run = run_id_delete},
    };
}

std::vector<cli_command> text_files() {
    const cli_option format{"format", "schedule|id",
                            "the file's lines: schedule and ID, or the ID alone",
                            completion::choices};
    return {
        {.name = "access download",
         .arguments = {"FILE"},
         .options = {format,
                     {"autoconfig|no-autoconfig", {}, "set the record length for the file first"},
                     {"old-firmware", {}, "the reader's firmware is older than 1/10/01"},
                     {"verify|no-verify", {}, "read the list back and compare"},
                     {"yes", {}, "answer Yes to the questions before the list is replaced"}},
         .link = link_options::own_waits,
         .summary = "replace the reader's access list with FILE's IDs",
         .details = "Then the list is read back and compared. Options not given take the "
                    "choices of the Upload/Download Text Files screen.",
         .interruptible = true,
         .run = run_access_download},
        {.name = "access upload",
         .arguments = {"FILE"},
         .options = {format, cr_only, yes_replaces_file},
         .link = link_options::own_waits,
         .summary = "write the reader's access list into FILE",
         .interruptible = true,
         .run = run_access_upload},
        {.name = "access clear",
         .link = link_options::own_waits,
         .summary = "clear the reader's access list",
         .interruptible = true,
         .run = run_access_clear},
        {.name = "schedule download",
         .arguments = {"FILE"},
         .options = {{"yes", {}, "answer Yes to the question before the schedules are sent"}},
         .link = link_options::own_waits,
         .summary = "add or replace the reader's schedules from FILE",
         .interruptible = true,
         .run = run_schedule_download},
        {.name = "schedule upload",
         .arguments = {"FILE"},
         .options = {cr_only,
                     {"yes", {}, "answer Yes to the question and replace FILE when it exists"}},
         .link = link_options::own_waits,
         .summary = "write the reader's 99 schedules into FILE",
         .details = "FILE gets 693 lines: seven days of each schedule.",
         .interruptible = true,
         .run = run_schedule_upload},
        {.name = "log upload",
         .arguments = {"FILE"},
         .options = {cr_only, yes_replaces_file},
         .link = link_options::own_waits,
         .summary = "write the reader's transaction log into FILE",
         .details = "The reader keeps its log; 'zep log clear' clears it.",
         .interruptible = true,
         .run = run_log_upload},
        {.name = "log clear",
         .options = {{"yes", {}, "answer Yes to the question: the log is not uploaded first"}},
         .link = link_options::own_waits,
         .summary = "clear the reader's transaction log",
         .interruptible = true,
         .run = run_log_clear},
    };
}

std::vector<cli_command> setup() {
    const auto walk = [](cli_command c) {
        c.link = link_options::all;
        c.part = section::setup;
        c.interruptible = true;
        c.options.push_back(all_readers);
        if (c.failure.isEmpty())
            c.failure = "the reader did not take it; with --all, any reader failed";
        return c;
    };
    const QString bits = "BITS";
    return {
        walk({.name = "setup params",
              .options = {{"reclen", "N", "record length (default: the stored one)"},
                          {"relay", "N", "relay time (default: the stored one)"},
                          {"redled", "N", "red LED time (default: the stored one)"},
                          {"yes", {}, "answer Yes to the question first"}},
              .summary = "set record length, relay and red LED times",
              .details = "This deletes the data in the reader.",
              .run = run_setup_params}),
        walk({.name = "setup mode",
              .arguments = {"x|ko|zep|accum"},
              .summary = "set the reader mode",
              .run = run_setup_mode}),
        walk({.name = "setup reset",
              .options = {{"yes", {}, "answer Yes to the question of --all"}},
              .summary = "reset the reader to its factory defaults",
              .run = run_setup_reset}),
        walk({.name = "setup rs232-log",
              .arguments = {"on|off"},
              .summary = "switch RS232 logging (KO readers)",
              .run = run_setup_rs232_log}),
        walk({.name = "setup bad-log",
              .arguments = {"on|off"},
              .summary = "switch the logging of bad scans (ZEP readers)",
              .run = run_setup_bad_log}),
        walk({.name = "setup clear-led",
              .summary = "clear the red LED of a full log",
              .run = run_setup_clear_led}),
        walk({.name = "format barcode",
              .options = {{"codes", bits, "ten 0/1 digits: symbologies and check digits"},
                          {"mask", "START,LEN", "the barcode mask, each 0..99"}},
              .summary = "send the barcode settings and mask",
              .details = "Options not given take the stored Bar/Mag/Prox Setup choices.",
              .run = run_format_barcode}),
        walk({.name = "format magstripe",
              .options = {{"tracks", bits, "two 0/1 digits: tracks 1 and 2"},
                          {"mask1", "START,LEN", "the track 1 mask, each 0..99"},
                          {"mask2", "START,LEN", "the track 2 mask, each 0..99"}},
              .summary = "send the magstripe tracks and masks",
              .details = "Options not given take the stored Bar/Mag/Prox Setup choices.",
              .run = run_format_magstripe}),
        walk({.name = "format clear-mask",
              .summary = "deactivate and clear the masks",
              .run = run_format_clear_mask}),
    };
}

std::vector<cli_command> network() {
    return {
        {.name = "net poll",
         .options = {{"range", "A-B", "the addresses to poll, within 0-126 (default 0-126)"}},
         .link = link_options::own_waits,
         .summary = "list the readers that answer on a protocol line",
         .interruptible = true,
         .run = run_net_poll},
        {.name = "net watch",
         .options = {{"count", "N", "stop after N polls (default: at Ctrl-C)"}},
         .link = link_options::own_waits,
         .summary = "poll the reader over and over, print its answers",
         .interruptible = true,
         .run = run_net_watch},
        {.name = "net address",
         .arguments = {"FROM", "TO"},
         .link = link_options::own_waits,
         .summary = "give the reader at address FROM the address TO",
         .run = run_net_address},
        {.name = "net protocol",
         .arguments = {"on|off"},
         .options = {{"yes", {}, "answer Yes to the warning first"}},
         .link = link_options::own_waits,
         .summary = "turn the reader's protocol mode on or off",
         .run = run_net_protocol},
        {.name = "terminal",
         .options = {{"quiet-ms", "MS", "with stdin not a terminal: end after MS quiet (1000)"}},
         .link = link_options::own_waits,
         .summary = "type to the reader and see what it sends",
         .details = "Ctrl-] ends. With stdin not a terminal, stdin is sent and the answer "
                    "printed; the login password then comes from $ZEP_PASSWORD only.",
         .asks_login = false,
         .run = run_terminal},
    };
}

std::vector<cli_command> database() {
    const QString date = "MM-DD-YYYY";
    return {
        {.name = "log export",
         .arguments = {"FILE"},
         .options = {{"from", date, "first day (default: today)"},
                     {"to", date, "last day (default: today)"},
                     {"reader", "N", "only this reader's rows"},
                     {"id", "ID", "only this ID's rows"},
                     {"format", "fixed|comma",
                      "fixed columns or comma-delimited (default: the stored choice)",
                      completion::choices}},
         .summary = "export the stored log of a date range to FILE",
         .details = "Both ends of the range are included.",
         .run = run_log_export},
        {.name = "log delete",
         .options = {{"from", date, "first day", completion::none, true},
                     {"to", date, "last day", completion::none, true},
                     {"yes", {}, "answer Yes to the question that counts the rows first"}},
         .summary = "delete the stored log rows of a date range",
         .details = "Both ends of the range are included.",
         .run = run_log_delete},
        {.name = "log find",
         .options = {{"from", date, "first day"},
                     {"to", date, "last day"},
                     {"reader", "N", "only this reader's rows"},
                     {"match", "TEXT", "only rows whose ID or names hold TEXT (any case)"},
                     {"granted", {}, "only granted entries"},
                     {"refused", {}, "only refused entries"}},
         .summary = "write the log rows that match as CSV to stdout",
         .details = "The columns are datetime,reader,location,idnum,lastname,firstname,granted; "
                    "the rows come in date order. Both ends of the date range are included.",
         .run = run_log_find},
        {.name = "users export",
         .arguments = {"FILE"},
         .options = {{"csv", {}, "card holders as CSV, with a column for each reader entered"}},
         .summary = "export the employee list (or, with --csv, the card holders) to FILE",
         .details = "Every user, in ID order. The CSV file is what 'zep users import' reads.",
         .run = run_users_export},
        {.name = "users import",
         .arguments = {"FILE"},
         .options = {{"dry-run", {}, "say what would change and write nothing"},
                     {"replace", {}, "also remove access at readers whose column FILE lacks"},
                     {"yes", {}, "answer Yes to the question before anything is written"}},
         .summary = "add or update card holders from a CSV file",
         .details = "The header is userid,lastname,firstname, then any reader_000 .. reader_126 "
                    "columns holding schedule codes (empty: no access). A file with any faulty "
                    "line is refused whole, one line per fault on stderr.",
         .failure = "the file was refused, or not confirmed",
         .run = run_users_import},
        {.name = "users add-series",
         .arguments = {"START", "END"},
         .options = {{"schedule", "N", "the schedule at every active reader (with --all-active)"},
                     {"all-active", {}, "give the new users access at every active reader"},
                     {"yes", {}, "answer Yes to the question first"}},
         .summary = "add users with the IDs START .. END",
         .details = "Each ID has as many digits as START; the last name is Card, the first name "
                    "the ID. IDs already stored stay as they are.",
         .run = run_users_add_series},
        {.name = "db check",
         .summary = "check the database's tables and count their rows",
         .details = "Opening it checks every table, field and index; a database that lacks "
                    "one is refused, never altered.",
         .failure = "the database cannot be opened or read",
         .run = run_db_check},
        {.name = "db copy",
         .options = {{"from", "DATABASE", "a file path or postgresql:// URI to copy",
                      completion::file, true},
                     {"to", "DATABASE", "a new file or an empty server database", completion::file,
                      true}},
         .summary = "copy every table from one database into a new one",
         .details = "From the file to a PostgreSQL database, or back, in one transaction on "
                    "the target; the row counts are compared table by table afterwards. The "
                    "target may hold only the two settings rows of a first start. --db is not "
                    "used.",
         .failure = "a database could not be opened, the target was not new, or the counts "
                    "differ (nothing is then left in the target)",
         .asks_login = false,
         .opens_database = false,
         .run = run_db_copy},
    };
}

std::vector<cli_command> automatic_run() {
    return {
        {.name = "autorun",
         .options = {parallel},
         .summary = "the automatic run, status lines on stdout",
         .details = "It services every active reader (or those picked on the Override Active "
                    "Readers screen) with the steps of the Autorun screen. With --parallel the "
                    "access-list record length is the largest over all readers' files, so a "
                    "reader may get a larger one than a run of one reader at a time gives it.",
         .failure = "a step of a reader failed, or no reader is active",
         .interruptible = true,
         .run = run_autorun},
        {.name = "background",
         .options = {parallel},
         .summary = "the automatic run, unattended, into background.log",
         .details = "No login question; background.log lies beside the database and is "
                    "replaced at each run. For cron and systemd timers.",
         .failure = "a step of a reader failed, or no reader is active",
         .interruptible = true,
         .asks_login = false,
         .run = run_background},
    };
}

void add(std::vector<cli_command>& into, std::vector<cli_command> group, section part) {
    for (cli_command& c : group) {
        c.part = part;
        into.push_back(std::move(c));
    }
}

}  // namespace

const std::vector<cli_command>& cli_commands() {
    static const std::vector<cli_command> commands = [] {
        std::vector<cli_command> all;
        add(all, one_reader(), section::one_reader);
        add(all, text_files(), section::text_files);
        add(all, setup(), section::setup);
        add(all, network(), section::network);
        add(all, database(), section::database);
        add(all, automatic_run(), section::automatic_run);
        return all;
    }();
    return commands;
}

const std::vector<cli_option>& link_option_table() {
    static const std::vector<cli_option> options = {
        {"tcp", "HOST:PORT", "reach the reader over TCP/IP"},
        {"serial", "Com1..Com5|DEVICE", "reach the reader over a serial line",
         completion::serial_port},
        {"baud", "9600|19200", "the serial line's speed", completion::choices},
        {"protocol", "ADDR", "protocol mode, the reader at address ADDR"},
        {"plain", {}, "plain mode (no protocol)"},
        {"timeout", "MS", "wait MS milliseconds for each reply"},
    };
    return options;
}

option_set accepted_options(const cli_command& command) {
    option_set accepted;
    const auto take = [&accepted](const cli_option& option) {
        for (const QString& name : option.names.split(QLatin1Char('|'))) {
            (option.value.isEmpty() ? accepted.flags : accepted.with_value) << name;
        }
    };
    for (const cli_option& option : command.options) take(option);
    // Commands that keep their own waits still take --timeout, to say why it has no place.
    if (command.link != link_options::none) {
        for (const cli_option& option : link_option_table()) take(option);
    }
    return accepted;
}

}  // namespace zep::cli
