#include "gui/shell/job_runner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QShortcut>
#include <algorithm>
#include <exception>
#include <memory>
#include <type_traits>

#include "core/data/database_file.h"

namespace zep::gui {

// The operator a job talks to. Answers are fetched from the GUI thread while the worker
// waits; reports are queued to the GUI thread, which keeps them in order. Once the job is
// cancelled nothing more is shown: questions are answered No or cancelled, messages dropped.
class job_runner::worker_operator final : public operator_port {
  public:
    worker_operator(job_runner& runner) : runner_(runner) {}

    void message(const QString& text) override {
        on_gui([&] {
            runner_.answers_.message(text);
            return true;
        });
    }
    bool confirm(const QString& question) override {
        return on_gui([&] { return runner_.answers_.confirm(question); });
    }
    bool confirm_erase(const QString& question) override {
        return on_gui([&] { return runner_.answers_.confirm_erase(question); });
    }
    std::optional<QString> ask_text(const QString& title, const QString& prompt) override {
        return on_gui([&] { return runner_.answers_.ask_text(title, prompt); });
    }
    std::optional<QString> choose_open_file(const QString& default_name,
                                            const QString& filter) override {
        return on_gui([&] { return runner_.answers_.choose_open_file(default_name, filter); });
    }
    std::optional<QString> choose_save_file(const QString& default_name,
                                            const QString& filter) override {
        return on_gui([&] { return runner_.answers_.choose_save_file(default_name, filter); });
    }
    void status_line(const QString& text) override {
        job_runner* runner = &runner_;
        QMetaObject::invokeMethod(
            runner, [runner, text] { runner->deliver_status(text); }, Qt::QueuedConnection);
    }
    void progress(const QString& text) override {
        job_runner* runner = &runner_;
        QMetaObject::invokeMethod(
            runner, [runner, text] { runner->deliver_progress(text); }, Qt::QueuedConnection);
    }
    bool cancelled() override { return runner_.cancel_requested_.load(); }

  private:
    template <typename F>
    std::invoke_result_t<F> on_gui(F ask) {
        decltype(ask()) answer{};
        QMetaObject::invokeMethod(
            &runner_,
            [&] {
                if (runner_.cancel_requested_) return;
                runner_.asking_ = true;
                answer = ask();
                runner_.asking_ = false;
            },
            Qt::BlockingQueuedConnection);
        return answer;
    }

    job_runner& runner_;
};

namespace {

// The link the worker currently holds, so that close_all_links can reach it between jobs.
thread_local link::reader_link* worker_link = nullptr;

}  // namespace

job_runner::job_runner(QString db_path, operator_port& answers, QObject* parent)
    : QObject(parent), db_path_(std::move(db_path)), answers_(answers) {
    thread_.setObjectName(QStringLiteral("zep_jobs"));
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

job_runner::~job_runner() {
    if (running_) {
        cancel();
        wait_idle();
    }
    thread_.quit();
    thread_.wait();
}

void job_runner::set_link_settings(std::function<link::single_reader_settings()> provider) {
    link_settings_ = std::move(provider);
}

bool job_runner::start(job_request request) {
    if (running_ || !request.work) return false;
    current_ = std::move(request);
    running_ = true;
    cancel_requested_ = false;
    if (current_.screen) {
        lock_controls(current_.screen, {current_.cancel_control, current_.output});
    }
    if (current_.holds_busy) Q_EMIT busy_changed(true);
    // Esc presses the running job's cancel control, wherever the focus is in its window.
    if (auto* control = qobject_cast<QAbstractButton*>(current_.cancel_control)) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), control->window());
        escape_ = escape;
        connect(escape, &QShortcut::activated, control, [control] {
            if (control->isVisible() && control->isEnabled()) control->click();
        });
    }
    link::single_reader_settings link_settings =
        link_settings_ ? link_settings_() : link::single_reader_settings{};
    QMetaObject::invokeMethod(
        worker_, [this, link_settings] { run_on_worker(link_settings); }, Qt::QueuedConnection);
    return true;
}

void job_runner::cancel() {
    if (!running_) return;
    cancel_requested_ = true;
    // A job waiting for an answer waits for this thread: the question is closed unanswered.
    if (asking_) {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        }
    }
}

void job_runner::close_all_links() {
    if (running_ && !current_.holds_busy) {
        cancel();
        wait_idle();
    }
    if (running_) return;
    QMetaObject::invokeMethod(
        worker_,
        [] {
            if (worker_link) worker_link->close_all_links();
        },
        Qt::BlockingQueuedConnection);
    Q_EMIT links_closed();
}

void job_runner::wait_idle() {
    if (!running_) return;
    QEventLoop loop;
    connect(this, &job_runner::busy_changed, &loop, [&loop](bool busy) {
        if (!busy) loop.quit();
    });
    loop.exec();
}

void job_runner::run_on_worker(link::single_reader_settings link_settings) {
    worker_operator person(*this);
    const QString connection = QStringLiteral("zep_job_%1").arg(++job_number_);
    {
        auto opened = data::database_file::open(db_path_, connection);
        if (!opened) {
            person.message(opened.error());
        } else {
            link::reader_link link;
            link.set_single_reader(link_settings);
            // Every wait of the job's link ends within a poll of the operator's cancel.
            link.set_cancel_check([this] { return cancel_requested_.load(); });
            worker_link = &link;
            job_context context{*opened.value(), link, person};
            try {
                current_.work(context);
            } catch (const std::exception& error) {
                person.message(QString::fromLocal8Bit(error.what()));
            } catch (...) {
                person.message(QStringLiteral("The operation stopped on an unexpected error"));
            }
            link.close_all_links();
            worker_link = nullptr;
            opened.value()->close();
        }
    }
    QMetaObject::invokeMethod(
        this, [this] { finish(); }, Qt::QueuedConnection);
}

void job_runner::deliver_status(const QString& text) {
    if (current_.on_status) current_.on_status(text);
    Q_EMIT status_line(text);
}

void job_runner::deliver_progress(const QString& text) {
    if (current_.on_progress) current_.on_progress(text);
    Q_EMIT progress(text);
}

void job_runner::finish() {
    delete escape_;
    for (const QPointer<QWidget>& widget : locked_) {
        if (widget) widget->setEnabled(true);
    }
    locked_.clear();
    job_request done = std::move(current_);
    current_ = {};
    running_ = false;
    Q_EMIT busy_changed(false);
    if (done.on_finished) done.on_finished();
}

// Disables every control of `widget` except those in `keep`; parents of a kept control
// stay enabled and their other children are disabled one by one.
void job_runner::lock_controls(QWidget* widget, const std::vector<QWidget*>& keep) {
    const auto kept = [&keep](QWidget* control) {
        return std::find(keep.begin(), keep.end(), control) != keep.end();
    };
    const auto holds_kept = [&keep](QWidget* control) {
        return std::any_of(keep.begin(), keep.end(),
                           [control](QWidget* k) { return k && control->isAncestorOf(k); });
    };
    for (QObject* child : widget->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || kept(control) || control->isWindow()) continue;
        if (holds_kept(control)) {
            lock_controls(control, keep);
        } else if (control->isEnabled()) {
            control->setEnabled(false);
            locked_.emplace_back(control);
        }
    }
}

}  // namespace zep::gui
