#include "core/autorun/autorun_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "core/autorun/autorun_steps.h"
#include "core/clock.h"
#include "core/data/database_file.h"
#include "core/data/run_lock.h"
#include "core/data/settings_record.h"
#include "core/link/reader_link.h"
#include "core/operator.h"

namespace zep::autorun {

namespace {

constexpr auto no_port_text = " - no Com port or ip address specified";
constexpr auto invalid_address_text = " - Invalid protocol address";
constexpr auto skipped_text = " - access download will be skipped";
constexpr auto background_skipped_text = " access download will be skipped";

QString reader_line(const QString& number, const char* text) {
    return QStringLiteral("Reader ") + number + QLatin1String(text);
}

// The code follows "error" with the blank every non-negative number is printed with.
QString error_line(const QString& number, int code, const QString& detail) {
    QString line = QStringLiteral("Reader ") + number + QStringLiteral(" - error  ") +
                   QString::number(code) + QStringLiteral(" - ") + step_error_text(code);
    if (!detail.isEmpty()) line += QStringLiteral(": ") + detail;
    return line;
}

bool switched_on(const QString& steps, int position) {
    return steps.mid(position - 1, 1) == QLatin1String("1");
}

// Where the status lines go: the operator, and in background mode the log file too.
class status_output {
  public:
    status_output(operator_port& person, autorun_result& result)
        : person_(person), result_(result) {}
    void set_log(std::unique_ptr<QFile> log) { log_ = std::move(log); }
    void add(const QString& line) {
        result_.lines << line;
        person_.status_line(line);
        if (log_) {
            log_->write(line.toLatin1() + "\r\n");
            log_->flush();
        }
    }
    void close_log() {
        if (!log_) return;
        ::fsync(log_->handle());
        log_.reset();
    }

  private:
    operator_port& person_;
    autorun_result& result_;
    std::unique_ptr<QFile> log_;
};

// background.log, replaced at each run and readable by its owner only.
std::unique_ptr<QFile> create_background_log(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

struct reader_report {
    QStringList lines;
    int errors = 0;
    bool stopped = false;  // the run was stopped while this reader was served
};

using step_entry = int (*)(step_context&);

// One reader's steps in their order: log upload, access list, schedules, clock. A failing
// step never stops the next; a failed log upload skips the access list.
reader_report service_reader(step_context& c, autorun_mode mode) {
    reader_report report;
    const QString& number = c.reader.number_text;
    if (c.reader.reach == records::reader_reach::none) {
        report.lines << reader_line(number, no_port_text);
        report.errors = 1;
        return report;
    }
    if (!c.reader.address_ok) {
        report.lines << reader_line(number, invalid_address_text);
        report.errors = 1;
        return report;
    }
    // Runs one step; nullopt when the run was stopped during it (the step gets no line).
    const auto step = [&](step_entry serial, step_entry tcp, const char* name, const char* done,
                          const char* after_error = "") -> std::optional<int> {
        if (c.link.cancelled()) {
            report.stopped = true;
            return std::nullopt;
        }
        c.sources.progress(QStringLiteral("Reader %1 - %2").arg(number, QLatin1String(name)));
        c.detail.clear();
        const int code = c.reader.tcp() ? tcp(c) : serial(c);
        if (code != step_error::none && c.link.cancelled()) {
            report.stopped = true;
            return std::nullopt;
        }
        if (code == step_error::none) {
            report.lines << reader_line(number, done);
        } else {
            report.lines << error_line(number, code, c.detail) + QLatin1String(after_error);
            ++report.errors;
        }
        return code;
    };
    const QString& steps = c.sources.settings.autosettings;
    bool log_failed = false;
    if (switched_on(steps, 4)) {
        const auto code =
            step(autouploadlog_serial, autouploadlog_tcp, "log upload", " - log uploaded",
                 mode == autorun_mode::screen ? skipped_text : background_skipped_text);
        if (!code) return report;
        log_failed = *code != step_error::none;
    }
    if (switched_on(steps, 1) && !log_failed &&
        !step(autodownloadaccess_serial, autodownloadaccess_tcp, "access list download",
              " - access list downloaded"))
        return report;
    if (switched_on(steps, 3) && !step(autodownloadschedule_serial, autodownloadschedule_tcp,
                                       "schedule download", " - schedule downloaded"))
        return report;
    if (switched_on(steps, 5))
        step(autodateset_serial, autodateset_tcp, "time update", " - date set");
    return report;
}

// The latest progress text of a parallel run's workers, handed on by the thread that
// talks to the operator.
class progress_slot {
  public:
    void set(const QString& text) {
        const std::lock_guard lock(mutex_);
        text_ = text;
        fresh_ = true;
    }
    std::optional<QString> take() {
        const std::lock_guard lock(mutex_);
        if (!std::exchange(fresh_, false)) return std::nullopt;
        return text_;
    }

  private:
    std::mutex mutex_;
    QString text_;
    bool fresh_ = false;
};

struct run_plan {
    const autorun_request& request;
    const run_sources& sources;
    std::vector<data::reader_row> readers;  // the selected rows, in reader order
    data::database_file& db;
    bool needs_own_database = false;    // parallel workers store log rows themselves
    progress_slot* progress = nullptr;  // what the workers are doing, in a parallel run
};

// One link, one reader after another, in reader order; the serial port stays open while
// consecutive readers share it.
bool run_in_order(const run_plan& plan, status_output& out, autorun_result& result,
                  operator_port& person) {
    link::reader_link link;
    const link::cancel_scope stop(link, [&person] { return person.cancelled(); });
    run_state state;
    bool stopped = false;
    for (const data::reader_row& row : plan.readers) {
        if (person.cancelled()) {
            stopped = true;
            break;
        }
        const records::reader_endpoint reader =
            records::make_reader_endpoint(row, plan.request.devices);
        step_context c{link, row, reader, state, plan.sources, &plan.db};
        const reader_report report = service_reader(c, plan.request.mode);
        for (const QString& line : report.lines) out.add(line);
        result.reader_errors += report.errors;
        if (report.stopped) {
            stopped = true;
            break;
        }
    }
    link.close_all_links();
    return !stopped;
}

// Readers behind one serial port, or one TCP endpoint, are served one after another.
QString link_key(const records::reader_endpoint& reader) {
    switch (reader.reach) {
        case records::reader_reach::tcp:
            return QStringLiteral("tcp ") + reader.link.host + QLatin1Char(':') +
                   reader.link.port_text;
        case records::reader_reach::serial:
            return QStringLiteral("serial ") + reader.link.device;
        case records::reader_reach::none:
            break;
    }
    return QStringLiteral("reader ") + reader.number_text;
}

// Up to `parallel` independent links at once, each in a thread of its own with its own
// link and database connection. Lines come out per reader, in reader order.
bool run_in_parallel(const run_plan& plan, status_output& out, autorun_result& result,
                     operator_port& person) {
    const std::size_t count = plan.readers.size();
    // Groups in the order of their first readers.
    std::map<QString, std::size_t> group_of;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < count; ++i) {
        const QString key =
            link_key(records::make_reader_endpoint(plan.readers[i], plan.request.devices));
        const auto [it, added] = group_of.try_emplace(key, groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(i);
    }

    std::vector<int> numbers;
    for (const data::reader_row& row : plan.readers) numbers.push_back(row.readernum);
    const int record_length = scan_record_length(plan.sources.settings, numbers);

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<reader_report>> reports(count);
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> next_group{0};
    const auto worker = [&](int index) {
        link::reader_link link;
        link.set_cancel_check([&stop] { return stop.load(); });
        std::unique_ptr<data::database_file> own_db;
        if (plan.needs_own_database) {
            auto opened = data::database_file::open(plan.db.path(),
                                                    QStringLiteral("zep_autorun_%1").arg(index));
            if (opened) own_db = std::move(*opened);
        }
        run_state state;
        state.record_length = record_length;
        for (std::size_t g = next_group++; g < groups.size(); g = next_group++) {
            for (const std::size_t i : groups[g]) {
                reader_report report;
                if (stop.load()) {
                    report.stopped = true;
                } else {
                    const records::reader_endpoint reader =
                        records::make_reader_endpoint(plan.readers[i], plan.request.devices);
                    step_context c{link,  plan.readers[i], reader,
                                   state, plan.sources,    own_db.get()};
                    report = service_reader(c, plan.request.mode);
                }
                const std::lock_guard lock(mutex);
                reports[i] = std::move(report);
                changed.notify_all();
            }
        }
        link.close_all_links();
        own_db.reset();
    };
    // Qt threads: each has an event dispatcher, which the serial port's notifier and the
    // connect wait (that sees the stop) need.
    std::vector<std::unique_ptr<QThread>> threads;
    const int workers = std::min<int>(plan.request.parallel, static_cast<int>(groups.size()));
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back(QThread::create(worker, w));
        threads.back()->start();
    }

    bool stopped = false;
    for (std::size_t i = 0; i < count; ++i) {
        reader_report report;
        {
            std::unique_lock lock(mutex);
            while (!reports[i]) {
                changed.wait_for(lock, std::chrono::milliseconds(50));
                if (!stop.load() && person.cancelled()) stop = true;
                if (const auto doing = plan.progress->take()) person.progress(*doing);
            }
            report = std::move(*reports[i]);
        }
        for (const QString& line : report.lines) out.add(line);
        result.reader_errors += report.errors;
        stopped = stopped || report.stopped;
    }
    for (const auto& t : threads) t->wait();
    if (plan.sources.single_log != nullptr) plan.sources.single_log->restore_reader_order();
    return !stopped && !stop.load();
}

}  // namespace

autorun_settings autorun_settings_of(const data::settings_record& record) {
    autorun_settings s;
    s.autosettings = record.autosettings;
    s.autoacclistdown = record.autoacclistdown;
    s.autoschdown = record.autoschdown;
    s.autologup = record.autologup;
    s.diracclistdown = record.diracclistdown;
    s.dirschdown = record.dirschdown;
    s.dirlogup = record.dirlogup;
    s.singacclistdown = record.singacclistdown;
    s.singschdown = record.singschdown;
    s.singlogup = record.singlogup;
    return s;
}

QString background_log_path(const data::database_file& db) {
    // A server database has no folder of its own: the log stays with the PC that ran.
    if (db.location().server()) {
        QString state = qEnvironmentVariable("XDG_STATE_HOME").trimmed();
        if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
        const QString folder = state + QStringLiteral("/zep");
        QDir().mkpath(folder);
        return folder + QLatin1Char('/') + QLatin1String(background_log_name);
    }
    return QFileInfo(db.path()).absolutePath() + QLatin1Char('/') +
           QLatin1String(background_log_name);
}

autorun_result run_autorun(data::database_file& db, const autorun_request& request,
                           operator_port& person) {
    autorun_result result;
    const auto fail = [&](const QString& text) {
        result.end = autorun_end::failed;
        result.failure = text;
        person.message(text);
        return result;
    };

    // One run at a time, also across processes and PCs.
    data::run_lock lock(db);
    switch (lock.try_lock()) {
        case data::run_lock::outcome::taken:
            break;
        case data::run_lock::outcome::failed:
            return fail(lock.error());
        case data::run_lock::outcome::held_elsewhere:
            person.message(QLatin1String(already_running_text));
            result.end = autorun_end::already_running;
            return result;
    }

    const auto rows = data::readers_table(db).all();
    if (!rows) return fail(rows.error());
    const records::target_flags targets = request.selection.targets(*rows);

    status_output out(person, result);
    if (request.mode == autorun_mode::background) {
        const QString path = background_log_path(db);
        auto log = create_background_log(path);
        if (!log) return fail(QStringLiteral("Unable to create ") + path);
        const clock_source& clock = request.clock ? *request.clock : default_clock();
        log->write(QByteArray(background_header_text) +
                   clock.now().date().toString(u"yyyy-MM-dd").toLatin1() + "\r\n");
        log->flush();
        out.set_log(std::move(log));
    }

    std::vector<data::reader_row> selected;
    for (const data::reader_row& row : *rows) {
        if (row.readernum >= 0 && row.readernum < records::reader_slots &&
            targets.test(static_cast<std::size_t>(row.readernum)))
            selected.push_back(row);
    }
    if (selected.empty()) {
        person.message(QLatin1String(records::no_active_readers_text));
        out.close_log();
        result.end = autorun_end::no_active_readers;
        return result;
    }

    run_sources sources;
    sources.settings = request.settings;
    sources.clock = request.clock;
    progress_slot progress;
    if (request.parallel > 1) {
        sources.progress = [&progress](const QString& text) { progress.set(text); };
    } else {
        sources.progress = [&person](const QString& text) { person.progress(text); };
    }
    const QString& steps = request.settings.autosettings;
    const bool log_on = switched_on(steps, 4);
    const bool log_to_db = log_on && request.settings.autologup == QLatin1String("3");
    if ((switched_on(steps, 1) && request.settings.autoacclistdown == QLatin1String("3")) ||
        log_to_db) {
        auto users = data::users_table(db).all();
        if (!users) return fail(users.error());
        sources.users = std::move(*users);
        for (std::size_t i = 0; i < sources.users.size(); ++i)
            sources.user_by_id.insert(sources.users[i].userid.trimmed(), static_cast<qsizetype>(i));
    }
    if (switched_on(steps, 3) && request.settings.autoschdown == QLatin1String("3")) {
        auto schedules = data::schedules_table(db).all();
        if (!schedules) return fail(schedules.error());
        sources.schedules = std::move(*schedules);
    }
    std::optional<single_log_file> single_log;
    if (log_on && request.settings.autologup == QLatin1String("1")) {
        single_log.emplace(request.settings.singlogup);
        sources.single_log = &*single_log;
    }

    const bool background = request.mode == autorun_mode::background;
    if (background) {
        out.add(QStringLiteral(" "));
        out.add(QLatin1String(background_start_text));
    } else {
        out.add(QLatin1String(run_start_text));
    }
    out.add(QStringLiteral(" "));

    const run_plan plan{request, sources, std::move(selected), db, log_to_db, &progress};
    const bool finished = request.parallel > 1 ? run_in_parallel(plan, out, result, person)
                                               : run_in_order(plan, out, result, person);
    person.progress(QString());
    out.add(QStringLiteral(" "));
    if (!finished) {
        out.add(QLatin1String(run_stopped_text));
        result.end = autorun_end::stopped;
    } else {
        out.add(QLatin1String(background ? background_finished_text : run_finished_text));
        result.end = autorun_end::finished;
    }
    out.close_log();
    return result;
}

}  // namespace zep::autorun
