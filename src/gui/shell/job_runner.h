#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>
#include <vector>

#include "core/link/reader_link.h"
#include "core/operator.h"

namespace zep::data {
class database_file;
}

namespace zep::gui {

// What a job works with. All of it lives on the worker thread for the job's duration:
// its own database connection, its own link, and an operator whose dialogs are shown
// by the GUI thread while the worker waits for the answer.
struct job_context {
    data::database_file& db;
    link::reader_link& link;
    operator_port& person;
};

// One operation and where its reports go. The callbacks run on the GUI thread, in the
// order the job made them; `on_finished` comes after the last report.
struct job_request {
    std::function<void(job_context&)> work;
    std::function<void(const QString&)> on_status;
    std::function<void(const QString&)> on_progress;
    std::function<void()> on_finished;
    // The screen whose controls are disabled while the job runs, all but `cancel_control`
    // and `output` (a list the job writes to stays enabled, so it can be scrolled).
    QWidget* screen = nullptr;
    QWidget* cancel_control = nullptr;
    QWidget* output = nullptr;
    // False for a job that never ends by itself (a poll): the menus stay live, and closing
    // the links stops it first.
    bool holds_busy = true;
};

// Runs one operation at a time on one worker thread, so that the shared link is never
// used by two operations at once and the interface never freezes while a reader answers.
class job_runner final : public QObject {
    Q_OBJECT
  public:
    // `db_path` is opened afresh for every job; `answers` shows dialogs on the GUI thread.
    job_runner(QString db_path, operator_port& answers, QObject* parent = nullptr);
    ~job_runner() override;

    // The single-reader link settings handed to each job's link, read when it starts.
    void set_link_settings(std::function<link::single_reader_settings()> provider);

    // Starts `request`; false (and nothing started) while another job runs.
    bool start(job_request request);
    bool running() const { return running_; }
    // Asks the running job to stop at its next check (every link wait checks at least
    // every 100 ms); a question it waits on is closed unanswered.
    void cancel();
    // Closes every link the worker holds; a job that does not hold the busy flag is
    // stopped first, anything else is never waited on.
    void close_all_links();
    // Keeps the event loop turning until no job runs (dialogs of the job stay answerable).
    void wait_idle();

  Q_SIGNALS:
    void busy_changed(bool busy);
    void status_line(const QString& text);
    void progress(const QString& text);
    void links_closed();

  private:
    class worker_operator;
    void run_on_worker(link::single_reader_settings link_settings);
    void deliver_status(const QString& text);
    void deliver_progress(const QString& text);
    void finish();
    void lock_controls(QWidget* widget, const std::vector<QWidget*>& keep);

    QString db_path_;
    operator_port& answers_;
    std::function<link::single_reader_settings()> link_settings_;
    QThread thread_;
    QObject* worker_ = nullptr;  // lives on thread_
    job_request current_;
    bool running_ = false;
    std::atomic<bool> cancel_requested_{false};
    bool asking_ = false;  // the GUI thread shows a question of the running job
    std::vector<QPointer<QWidget>> locked_;
    QPointer<QObject> escape_;  // Esc as the running job's cancel control
    int job_number_ = 0;
};

}  // namespace zep::gui
