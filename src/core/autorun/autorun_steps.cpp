#include "core/autorun/autorun_steps.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <cmath>

#include "core/clock.h"
#include "core/commands/command_text.h"
#include "core/commands/reader_clock.h"
#include "core/commands/upload_records.h"
#include "core/link/reader_exchange.h"
#include "core/link/reader_link.h"
#include "core/transfer/download_file.h"

namespace zep::autorun {

namespace {

constexpr int longest_access_record = 21;  // three-digit schedule and an ID of up to 18
constexpr int longest_schedule_record = 12;
constexpr int shortest_record_length = 4;
constexpr int log_row_digits = 13;  // status and yymmddhhmmss before the card
// A reader counts its log in five digits: a longer log is a reader that never says "END".
constexpr std::size_t longest_log = 99'999;

// Reply time-outs of one kind of link, in milliseconds.
struct link_profile {
    int time_ms;
    int record_length_ack_ms;
    int access_ms;
    int schedule_ms;
    int log_start_ack_ms;
    int log_record_ms;
    int log_clear_ack_ms;
};
constexpr link_profile serial_profile{200, 400, 400, 200, 400, 400, 400};
constexpr link_profile tcp_profile{2000, 2000, 2000, 2000, 2000, 2000, 2000};

bool is_file_source(const QString& source) {
    return source == QLatin1String("1") || source == QLatin1String("2");
}

// The numeric value of a text as BASIC's Val reads it: leading blanks, then digits.
qint64 leading_value(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 1'000'000; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

int timezone_hours(const QString& text) {
    bool ok = false;
    const double hours = text.trimmed().toDouble(&ok);
    return ok && std::abs(hours) <= 1000 ? static_cast<int>(std::lround(hours)) : 0;
}

bool sendable(const QByteArray& record) {
    return commands::sendable_id(QString::fromLatin1(record));
}

bool schedule_record_valid(const QByteArray& record) {
    return record.size() <= longest_schedule_record && sendable(record) &&
           leading_value(record.mid(0, 3)) <= 99 && leading_value(record.mid(3, 1)) <= 7 &&
           leading_value(record.mid(4, 4)) <= 2400 && leading_value(record.mid(8, 4)) <= 2400;
}

// Writes lines (CR LF after each) and makes them durable: flushed and synced to disk.
bool write_synced(QFile& file, const std::vector<QByteArray>& lines) {
    bool ok = true;
    for (const QByteArray& line : lines) ok = file.write(line + "\r\n") == line.size() + 2 && ok;
    ok = file.flush() && ok;
    return ::fsync(file.handle()) == 0 && ok;
}

// Whether a file could be written at `path` (replacing what is there), without touching it.
bool writable_path(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    const QFileInfo file(path);
    if (file.exists()) return file.isFile() && file.isWritable();
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable();
}

struct file_scan {
    bool opened = false;
    bool read_failed = false;
    qsizetype longest = 0;
    qint64 too_long = 0;
    qint64 first_invalid_line = 0;  // the first record that failed `valid`; 0 when none did
};

file_scan scan_file(const QString& path, qsizetype longest,
                    const std::function<bool(const transfer::download_record&)>& valid = {}) {
    file_scan scan;
    QFile file(path);
    if (!transfer::open_download_file(file)) return scan;
    scan.opened = true;
    transfer::download_file_reader reader(file, longest);
    while (const auto record = reader.next()) {
        if (record->too_long) ++scan.too_long;
        scan.longest = std::max(scan.longest, record->text.size());
        if (valid && !valid(*record) && scan.first_invalid_line == 0)
            scan.first_invalid_line = record->line;
    }
    scan.read_failed = reader.failed();
    return scan;
}

// One step's use of the reader's link. A serial port stays open for the next reader on
// the same port; a TCP connection is closed at every end of the step.
class step_link {
  public:
    explicit step_link(step_context& c) : c_(c), exchange_(c.link, c.reader.link) {}
    ~step_link() {
        if (c_.reader.tcp()) c_.link.close_tcp();
    }
    step_link(const step_link&) = delete;
    step_link& operator=(const step_link&) = delete;

    const link_profile& profile() const { return c_.reader.tcp() ? tcp_profile : serial_profile; }
    bool protocol() const { return c_.reader.protocol(); }
    bool tcp() const { return c_.reader.tcp(); }
    bool stopping() const { return c_.link.cancelled(); }
    link::reader_exchange& x() { return exchange_; }

    // 0, or the code of a port or connection that could not be had.
    int open() {
        if (tcp()) {
            c_.link.close_tcp();
            if (!c_.link.connect_tcp(c_.reader.link.host, c_.reader.link.port_text,
                                     c_.reader.link.connect_ms)) {
                c_.link.close_tcp();
                return step_error::tcp_connect;
            }
            return step_error::none;
        }
        if (c_.state.open_port_text != c_.row.commmode || !c_.link.serial_open()) {
            c_.link.close_serial();
            c_.state.open_port_text.clear();
            if (!c_.link.open_serial_device(c_.reader.link.device, c_.reader.link.baud))
                return step_error::comm_port;
            c_.state.open_port_text = c_.row.commmode;
        }
        return step_error::none;
    }

    // The reply to what was sent, acknowledged in protocol mode; nullopt on time-out.
    std::optional<QByteArray> reply(int timeout_ms, bool double_terminator = false) {
        const link::link_read read = exchange_.read_reply(timeout_ms, double_terminator);
        if (read.error) return std::nullopt;
        if (protocol()) exchange_.send_ack();
        return read.text;
    }

    // Protocol mode waits for the ACK of a command without data; plain mode waits for nothing.
    bool acknowledged(int timeout_ms) { return !protocol() || exchange_.wait_ack(timeout_ms); }

    void pause(int ms) const {
        const QDeadlineTimer until(ms);
        while (!until.hasExpired() && !stopping())
            QThread::msleep(
                static_cast<unsigned long>(std::min<qint64>(until.remainingTime(), 20)));
    }

  private:
    step_context& c_;
    link::reader_exchange exchange_;
};

// Sends each record with `prefix` and judges the reply; 0 when all were taken.
class record_sender {
  public:
    record_sender(step_link& l, QByteArray prefix, int timeout_ms, bool ack_first, int silent,
                  int refused)
        : l_(l),
          prefix_(std::move(prefix)),
          timeout_ms_(timeout_ms),
          ack_first_(ack_first),
          silent_(silent),
          refused_(refused) {}
    int send(const QByteArray& record) {
        if (l_.stopping()) return silent_;
        l_.x().flush();
        if (ack_first_) l_.x().send_ack();
        l_.x().send_frame(prefix_ + record);
        const auto answer = l_.reply(timeout_ms_);
        if (!answer) return silent_;
        return answer->startsWith('A') ? step_error::none : refused_;
    }

  private:
    step_link& l_;
    QByteArray prefix_;
    int timeout_ms_;
    bool ack_first_;
    int silent_, refused_;
};

// Every record of a file that was checked before, in order, empty records included.
int send_file_records(const QString& path, record_sender& sender, int reopen_failed) {
    QFile file(path);
    if (!transfer::open_download_file(file)) return reopen_failed;
    transfer::download_file_reader reader(file, std::numeric_limits<qsizetype>::max() / 2);
    while (const auto record = reader.next()) {
        if (const int failed = sender.send(record->text)) return failed;
    }
    return reader.failed() ? reopen_failed : step_error::none;
}

QByteArray user_access_record(const data::user_row& user, int readernum) {
    QString slot = user.schedules.mid(2 * readernum, 2);
    slot = slot.leftJustified(2, u' ');
    if (slot == QLatin1String("  ")) return {};
    return QByteArray("0") + slot.toLatin1() + user.userid.trimmed().toLatin1();
}

QString source_path(const QString& source, const QString& single, const QString& directory,
                    const char* kind, int readernum) {
    return source == QLatin1String("1") ? single : reader_file_path(directory, kind, readernum);
}

}  // namespace

QString upload_progress_text(const QString& reader_number, std::size_t records) {
    return QStringLiteral("Reader %1 - log upload: %2 records")
        .arg(reader_number,
             QLocale(QLocale::English, QLocale::UnitedStates).toString(qulonglong(records)));
}

QString step_error_text(int code) {
    static const char* const texts[] = {
        "",
        "Unable to open comm port",
        "Access file not found",
        "File contains an ID greater than 18 characters",
        "There are no user records entered into the database",
        "Timeout while communicating with reader",
        "Timeout while communicating with reader",
        "Timeout while communicating with reader",
        "Schedule file not found",
        "No scheddule records in datbase",
        "Invalid data in text schedule file",
        "Error opening schedule text file",
        "Timeout while communicating with reader",
        "Timeout while communicating with reader",
        "Unable to create log file",
        "Timeout while communicating with reader",
        "Timeout while communicating with reader",
        "Invalid response from reader",
        "Timeout while communicating with reader",
        "Timeout while communicating with reader",
        "Time not set",
        "Unable to connect to tcp/ip reader",
        "Unable to store log records",
        "Database contains an ID that cannot be sent to a reader",
        "File contains an ID that cannot be sent to a reader",
    };
    if (code < 0 || code >= static_cast<int>(std::size(texts))) return {};
    return QString::fromLatin1(texts[code]);
}

QString reader_file_path(const QString& directory, const char* kind, int readernum) {
    // No folder is no file: never the file system's root.
    if (directory.trimmed().isEmpty()) return {};
    return directory + QLatin1Char('/') + QLatin1String(kind) +
           records::reader_number_text(readernum) + QStringLiteral(".txt");
}

bool single_log_file::can_write() {
    const std::lock_guard lock(mutex_);
    return created_ || writable_path(path_);
}

bool single_log_file::open_for_upload() {
    const std::lock_guard lock(mutex_);
    QFile file(path_);
    if (!file.open(created_ ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    created_ = true;
    return true;
}

bool single_log_file::append(int readernum, const std::vector<QByteArray>& lines) {
    const std::lock_guard lock(mutex_);
    QFile file(path_);
    if (!file.open(QIODevice::Append)) return false;
    const qint64 offset = file.size();
    const bool written = write_synced(file, lines);
    blocks_.push_back({readernum, offset, file.size() - offset});
    return written;
}

bool single_log_file::restore_reader_order() {
    const std::lock_guard lock(mutex_);
    const auto by_reader = [](const block& a, const block& b) { return a.readernum < b.readernum; };
    if (std::is_sorted(blocks_.begin(), blocks_.end(), by_reader)) return true;
    QFile in(path_);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = in.readAll();
    std::stable_sort(blocks_.begin(), blocks_.end(), by_reader);
    // The new order goes to a side file that replaces the old one only once it is on the
    // disk whole, so a crash leaves one order or the other, never a mix.
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly)) return false;
    qint64 placed = 0;
    for (const block& b : blocks_) {
        out.write(all.mid(b.offset, b.size));
        placed = std::max(placed, b.offset + b.size);
    }
    out.write(all.mid(placed));  // anything written after the blocks stays at the end
    return out.commit();
}

std::optional<data::log_row> log_row_of(const QByteArray& reply, const data::reader_row& row,
                                        const run_sources& sources) {
    if (reply.size() <= log_row_digits) return std::nullopt;
    for (int i = 0; i < log_row_digits; ++i) {
        if (reply[i] < '0' || reply[i] > '9') return std::nullopt;
    }
    const auto record = commands::decode_log_record(reply);
    if (!record) return std::nullopt;
    data::log_row r;
    r.readernum = records::reader_number_text(row.readernum);
    r.readername = row.readername;
    r.location = row.location;
    r.DateTime = commands::log_datetime_text(*record);
    r.idnum = record->card;
    r.lastname = r.firstname = QStringLiteral("unknown");
    if (const auto found = sources.user_by_id.constFind(r.idnum);
        found != sources.user_by_id.constEnd()) {
        const data::user_row& user = sources.users[static_cast<std::size_t>(*found)];
        r.lastname = user.lastname;
        r.firstname = user.firstname;
    }
    r.granted = reply.front() == '0' ? QStringLiteral("Y") : QStringLiteral("N");
    return r;
}

int set_date(step_context& c) {
    const clock_source& clock = c.sources.clock ? *c.sources.clock : default_clock();
    const auto command = commands::set_clock_command(
        commands::shifted_clock(clock.now(), timezone_hours(c.row.timezone)));
    if (!command) return step_error::time_refused;
    step_link l(c);
    if (const int failed = l.open()) return failed;
    l.x().flush();
    l.x().wake_up();
    l.x().send_frame(*command);
    const auto answer = l.reply(l.profile().time_ms);
    if (!answer) return step_error::time_silent;
    return answer->startsWith('O') ? step_error::none : step_error::time_refused;
}

int download_access(step_context& c) {
    const autorun_settings& s = c.sources.settings;
    const bool from_file = is_file_source(s.autoacclistdown);
    const bool single = s.autoacclistdown == QLatin1String("1");
    const QString path =
        source_path(s.autoacclistdown, s.singacclistdown, s.diracclistdown, "rdr", c.row.readernum);
    if (from_file) {
        QFile file(path);
        if (!transfer::open_download_file(file)) return step_error::access_file_missing;
        if (!(single && c.state.access_file_scanned)) {
            const file_scan scan =
                scan_file(path, longest_access_record,
                          [](const transfer::download_record& r) { return sendable(r.text); });
            if (!scan.opened || scan.read_failed) return step_error::access_file_missing;
            // Records are schedule (three digits) and ID: the reader is sized for the ID.
            c.state.record_length =
                std::max(c.state.record_length, static_cast<int>(scan.longest) - 3);
            if (scan.too_long > 0) return step_error::access_id_too_long;
            if (scan.first_invalid_line > 0) {
                c.detail = QStringLiteral("line %1").arg(scan.first_invalid_line);
                return step_error::file_id_unsendable;
            }
            if (single) c.state.access_file_scanned = true;
        }
    } else {
        if (c.sources.users.empty()) return step_error::no_users;
        // Another program may have stored an ID no reader can take: the list is not sent.
        for (const data::user_row& user : c.sources.users) {
            const QString id = user.userid.trimmed();
            if (id.size() > longest_access_record - 3 || !commands::sendable_id(id)) {
                c.detail = id;
                return step_error::database_id_unsendable;
            }
            c.state.record_length = std::max(c.state.record_length, static_cast<int>(id.size()));
        }
    }
    c.state.record_length = std::max(c.state.record_length, shortest_record_length);
    const auto length_command = commands::record_length_command(c.state.record_length);
    if (!length_command) return step_error::access_id_too_long;

    step_link l(c);
    if (const int failed = l.open()) return failed;
    // The record length empties the reader's access list.
    l.x().flush();
    l.x().wake_up();
    l.x().send_frame(*length_command);
    if (!l.acknowledged(l.profile().record_length_ack_ms)) return step_error::record_length_silent;
    l.pause(100);

    record_sender sender(l, "AN", l.profile().access_ms, l.protocol() && !l.tcp(),
                         step_error::access_silent, step_error::access_refused);
    if (from_file) return send_file_records(path, sender, step_error::access_file_missing);
    for (const data::user_row& user : c.sources.users) {
        const QByteArray record = user_access_record(user, c.row.readernum);
        if (record.isEmpty()) continue;
        if (const int failed = sender.send(record)) return failed;
    }
    return step_error::none;
}

int download_schedule(step_context& c) {
    const autorun_settings& s = c.sources.settings;
    const bool from_file = is_file_source(s.autoschdown);
    const bool single = s.autoschdown == QLatin1String("1");
    const QString path =
        source_path(s.autoschdown, s.singschdown, s.dirschdown, "sch", c.row.readernum);
    if (from_file) {
        QFile file(path);
        if (!transfer::open_download_file(file)) return step_error::schedule_file_missing;
        if (!(single && c.state.schedule_file_validated)) {
            const file_scan scan =
                scan_file(path, longest_schedule_record, [](const transfer::download_record& r) {
                    return !r.too_long && schedule_record_valid(r.text);
                });
            if (!scan.opened || scan.read_failed || scan.first_invalid_line > 0)
                return step_error::schedule_file_invalid;
            if (single) c.state.schedule_file_validated = true;
        }
    } else if (c.sources.schedules.empty()) {
        return step_error::no_schedules;
    }

    step_link l(c);
    if (const int failed = l.open()) return failed;
    l.x().flush();
    if (from_file) l.pause(100);

    record_sender sender(l, "SA", l.profile().schedule_ms, l.protocol(),
                         step_error::schedule_silent, step_error::schedule_refused);
    if (from_file) return send_file_records(path, sender, step_error::schedule_file_reopen);
    for (const data::schedule_row& row : c.sources.schedules) {
        const QString* days[] = {&row.monday, &row.tuesday,  &row.wednesday, &row.thursday,
                                 &row.friday, &row.saturday, &row.sunday};
        for (int d = 1; d <= 7; ++d) {
            const QByteArray record = QByteArray::number(row.schedulenum).rightJustified(3, '0') +
                                      QByteArray::number(d) + days[d - 1]->toLatin1();
            if (const int failed = sender.send(record)) return failed;
        }
    }
    return step_error::none;
}

int upload_log(step_context& c) {
    const autorun_settings& s = c.sources.settings;
    const bool to_file = is_file_source(s.autologup);
    const bool single = s.autologup == QLatin1String("1");
    const QString own_path = reader_file_path(s.dirlogup, "log", c.row.readernum);
    if (single ? c.sources.single_log == nullptr || !c.sources.single_log->can_write()
               : to_file && !writable_path(own_path))
        return step_error::log_file;

    step_link l(c);
    if (const int failed = l.open()) return failed;
    if (l.protocol() && !l.tcp()) l.x().send_ack();
    l.x().wake_up();
    l.pause(20);
    l.x().flush();
    l.x().flush();
    l.x().send_frame("lr");
    if (!l.acknowledged(l.profile().log_start_ack_ms)) return step_error::log_start_silent;

    // The file is replaced only now that the reader is there: a reader out of reach leaves
    // the last run's records for whoever collects them.
    QFile own_file(own_path);
    if (single ? !c.sources.single_log->open_for_upload()
               : to_file && !own_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return step_error::log_file;

    // Records are held until "END" and stored before the log is cleared; whatever ends the
    // upload, what came is stored, and the reader keeps its log unless all of it was. A reply
    // that is no transaction ends it, whatever the destination: a reader that never says
    // "END" must not keep the run (and its lock) for ever.
    std::vector<QByteArray> lines;
    std::vector<data::log_row> rows;
    int failed = step_error::none;
    for (;;) {
        l.x().flush();
        l.x().send_frame("l");
        const auto answer = l.reply(l.profile().log_record_ms);
        if (!answer) {
            failed = step_error::log_record_silent;
            break;
        }
        if (answer->startsWith(commands::end_of_upload)) break;
        auto row = log_row_of(*answer, c.row, c.sources);
        if (!row || lines.size() + rows.size() >= longest_log) {
            failed = step_error::log_record_invalid;
            break;
        }
        if (to_file) {
            lines.push_back(*answer);
        } else {
            rows.push_back(std::move(*row));
        }
        if (const std::size_t count = lines.size() + rows.size(); count % 100 == 0)
            c.sources.progress(upload_progress_text(c.reader.number_text, count));
    }
    bool stored = true;
    if (single) {
        stored = c.sources.single_log->append(c.row.readernum, lines);
    } else if (to_file) {
        stored = write_synced(own_file, lines);
        own_file.close();
    } else if (!rows.empty()) {
        // An upload cut short before left the reader's whole log in it: what is stored
        // already is not stored twice.
        stored = c.db != nullptr && data::log_table(*c.db).insert_new(rows).ok();
    }
    if (failed) return failed;
    if (!stored) return step_error::log_store;
    if (l.stopping()) return step_error::log_clear_silent;

    l.x().wake_up();
    l.x().flush();
    l.x().flush();
    l.x().send_frame("cl");
    if (!l.acknowledged(l.profile().log_clear_ack_ms)) return step_error::log_clear_silent;
    return step_error::none;
}

int autouploadlog_serial(step_context& c) {
    return upload_log(c);
}
int autouploadlog_tcp(step_context& c) {
    return upload_log(c);
}
int autodownloadaccess_serial(step_context& c) {
    return download_access(c);
}
int autodownloadaccess_tcp(step_context& c) {
    return download_access(c);
}
int autodownloadschedule_serial(step_context& c) {
    return download_schedule(c);
}
int autodownloadschedule_tcp(step_context& c) {
    return download_schedule(c);
}
int autodateset_serial(step_context& c) {
    return set_date(c);
}
int autodateset_tcp(step_context& c) {
    return set_date(c);
}

int scan_record_length(const autorun_settings& settings, const std::vector<int>& readers) {
    if (!is_file_source(settings.autoacclistdown)) return 0;
    qsizetype longest = 0;
    const auto scan = [&](const QString& path) {
        longest = std::max(longest, scan_file(path, longest_access_record).longest);
    };
    if (settings.autoacclistdown == QLatin1String("1")) {
        scan(settings.singacclistdown);
    } else {
        for (const int readernum : readers)
            scan(reader_file_path(settings.diracclistdown, "rdr", readernum));
    }
    return std::max(0, static_cast<int>(longest) - 3);
}

}  // namespace zep::autorun
