#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "core/autorun/autorun_run.h"
#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/reader_endpoint.h"

namespace zep {
class clock_source;
}
namespace zep::data {
class database_file;
}
namespace zep::link {
class reader_link;
}

namespace zep::autorun {

// The codes a step ends with (0 success); step_error_text() gives their texts.
namespace step_error {
inline constexpr int none = 0;
inline constexpr int comm_port = 1;
inline constexpr int access_file_missing = 2;
inline constexpr int access_id_too_long = 3;
inline constexpr int no_users = 4;
inline constexpr int record_length_silent = 5;
inline constexpr int access_silent = 6;
inline constexpr int access_refused = 7;
inline constexpr int schedule_file_missing = 8;
inline constexpr int no_schedules = 9;
inline constexpr int schedule_file_invalid = 10;
inline constexpr int schedule_file_reopen = 11;
inline constexpr int schedule_silent = 12;
inline constexpr int schedule_refused = 13;
inline constexpr int log_file = 14;
inline constexpr int log_start_silent = 15;
inline constexpr int log_record_silent = 16;
inline constexpr int log_record_invalid = 17;
inline constexpr int log_clear_silent = 18;
inline constexpr int time_silent = 19;
inline constexpr int time_refused = 20;
inline constexpr int tcp_connect = 21;
inline constexpr int log_store = 22;
inline constexpr int database_id_unsendable = 23;
inline constexpr int file_id_unsendable = 24;
}  // namespace step_error

QString step_error_text(int code);
// "Reader 003 - log upload: 1,200 records".
QString upload_progress_text(const QString& reader_number, std::size_t records);

// "rdr", "sch" or "log" file of one reader in `directory`: directory/rdr005.txt; empty
// when no directory is set.
QString reader_file_path(const QString& directory, const char* kind, int readernum);

// The single log file of a run: created by the first reader's upload, appended to by the
// others. Shared by the workers of a parallel run.
class single_log_file {
  public:
    explicit single_log_file(QString path) : path_(std::move(path)) {}
    // Whether the file could be written, checked without touching it.
    bool can_write();
    // Replaces the file for the first reader of the run, opens it for the later ones.
    bool open_for_upload();
    // Appends one reader's lines, flushed and synced to disk; false when that failed.
    bool append(int readernum, const std::vector<QByteArray>& lines);
    // A parallel run appends readers as they finish: put the blocks back in reader order.
    bool restore_reader_order();

  private:
    struct block {
        int readernum;
        qint64 offset, size;
    };
    std::mutex mutex_;
    QString path_;
    bool created_ = false;
    std::vector<block> blocks_;
};

// What every step of one run reads and does not change.
struct run_sources {
    autorun_settings settings;
    std::vector<data::user_row> users;     // in userid order; loaded when a step needs them
    QHash<QString, qsizetype> user_by_id;  // trimmed userid -> index in `users`
    std::vector<data::schedule_row> schedules;
    const clock_source* clock = nullptr;
    single_log_file* single_log = nullptr;
    // Where the run says what it is doing ("Reader 003 - log upload: 1,200 records"); may be
    // called from any worker of a parallel run.
    std::function<void(const QString&)> progress = [](const QString&) {};
};

// What the run carries from one reader to the next.
struct run_state {
    int record_length = 0;  // access-list record length last sent; only ever raised
    bool access_file_scanned = false;
    bool schedule_file_validated = false;
    QString open_port_text;  // commmode of the serial port left open
};

// One reader's steps: the link, its row and the run around it.
struct step_context {
    link::reader_link& link;
    const data::reader_row& row;
    const records::reader_endpoint& reader;
    run_state& state;
    const run_sources& sources;
    data::database_file* db;  // where log rows go
    QString detail = {};      // what the error line names after its text (the ID, the line)
};

// Each returns the step's error code (0 success).
int upload_log(step_context& c);
int download_access(step_context& c);
int download_schedule(step_context& c);
int set_date(step_context& c);

// The serial and TCP entry points under their own names; one algorithm serves both.
int autouploadlog_serial(step_context& c);
int autouploadlog_tcp(step_context& c);
int autodownloadaccess_serial(step_context& c);
int autodownloadaccess_tcp(step_context& c);
int autodownloadschedule_serial(step_context& c);
int autodownloadschedule_tcp(step_context& c);
int autodateset_serial(step_context& c);
int autodateset_tcp(step_context& c);

// The largest access-list record length over the file sources of `readers`, scanned before
// any traffic (a parallel run sends every reader at least this).
int scan_record_length(const autorun_settings& settings, const std::vector<int>& readers);

// A log reply as a log row of `row`: nullopt when it is not status, date and time digits
// followed by the card.
std::optional<data::log_row> log_row_of(const QByteArray& reply, const data::reader_row& row,
                                        const run_sources& sources);

}  // namespace zep::autorun
