#pragma once

#include <QString>
#include <QStringList>

#include "core/autorun/override_selection.h"
#include "core/link/com_ports.h"

namespace zep {
class operator_port;
class clock_source;
}  // namespace zep
namespace zep::data {
class database_file;
struct settings_record;
}  // namespace zep::data

namespace zep::autorun {

inline constexpr auto run_start_text = "Start Autorun";
inline constexpr auto run_finished_text = "Autorun Finished";
inline constexpr auto background_start_text = "Starting Autorun";
inline constexpr auto background_finished_text = "Autotun complete";
inline constexpr auto run_stopped_text = "Autorun stopped";
inline constexpr auto already_running_text = "An automatic run is already in progress";
inline constexpr auto background_header_text = "NVR ZEP V9.0 BACKGROUND AUTOPROCESSOR ";
inline constexpr auto background_log_name = "background.log";

// What the run does and where its files are: the automatic-run fields of the settings.
struct autorun_settings {
    QString autosettings = QStringLiteral("10111");  // 1 access, 3 schedules, 4 log, 5 time
    QString autoacclistdown = QStringLiteral("3");   // "1" single file, "2" per reader, "3" db
    QString autoschdown = QStringLiteral("3");
    QString autologup = QStringLiteral("3");
    QString diracclistdown;
    QString dirschdown;
    QString dirlogup;
    QString singacclistdown;
    QString singschdown;
    QString singlogup;
};
autorun_settings autorun_settings_of(const data::settings_record& record);

// Screen mode reports to the status list; background mode writes background.log.
enum class autorun_mode { screen, background };

struct autorun_request {
    autorun_settings settings;
    autorun_mode mode = autorun_mode::screen;
    // Which readers: the override selection once the override screen has been opened,
    // else the `active` marks (a pending selection gives the marks). A copy, taken before
    // the run starts.
    override_selection selection;
    link::com_device_map devices;
    // Readers on independent links served at once (1: one after another).
    int parallel = 1;
    const clock_source* clock = nullptr;  // null: the system clock
};

enum class autorun_end {
    finished,           // every selected reader was visited
    no_active_readers,  // nothing selected: the message, nothing else
    already_running,    // another run holds the lock: the message, nothing sent
    stopped,            // the operator stopped it
    failed              // the run could not begin (background log, database); `failure` says why
};

struct autorun_result {
    autorun_end end = autorun_end::failed;
    QStringList lines;      // the status lines, as written
    int reader_errors = 0;  // lines other than a step's success
    QString failure;
};

// The automatic run over the selected readers: per reader the log upload, the access
// list, the schedules and the clock, as the settings switch them, each over the reader's
// own link. Status lines go to person.status_line() as they are made (in background mode
// also to background.log beside the database file). The run's messages ("There are no
// active readers", already_running_text, or why it could not begin) go to
// person.message(). The run stops within about a second once person.cancelled() turns
// true. Blocks until done; use from one thread.
autorun_result run_autorun(data::database_file& db, const autorun_request& request,
                           operator_port& person);

// background.log beside a database file; for a server database in this PC's state folder
// ($XDG_STATE_HOME/zep, normally ~/.local/state/zep).
QString background_log_path(const data::database_file& db);

}  // namespace zep::autorun
