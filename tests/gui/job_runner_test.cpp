#include "gui/shell/job_runner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stdexcept>

#include "core/data/database_file.h"
#include "gui/shell/dialog_operator.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/rows.h"

namespace zep::test {
namespace {

// Runs until the operator cancels, as an operation checks between records.
void run_until_cancelled(gui::job_context& job) {
    job.person.status_line("waiting");
    QDeadlineTimer deadline(10000);
    while (!job.person.cancelled() && !deadline.hasExpired()) QThread::yieldCurrentThread();
    job.person.status_line(job.person.cancelled() ? "cancelled" : "never cancelled");
}

class job_runner_test : public ::testing::Test {
  protected:
    program_folder folder;
    scripted_operator answers;
    gui::job_runner runner{folder.db_path(), answers};
    std::unique_ptr<program::session> state = folder.start();  // creates the database file

    // Runs `work` to its end; its status lines and progress texts, in order.
    QStringList run(std::function<void(gui::job_context&)> work) {
        QStringList reports;
        bool finished = false;
        gui::job_request request;
        request.work = std::move(work);
        request.on_status = [&](const QString& text) { reports << text; };
        request.on_progress = [&](const QString& text) { reports << "progress " + text; };
        request.on_finished = [&] { finished = true; };
        EXPECT_TRUE(runner.start(std::move(request)));
        EXPECT_TRUE(wait_until([&] { return finished; }));
        return reports;
    }
};

TEST_F(job_runner_test, reports_arrive_in_order_and_questions_are_answered_on_the_gui_thread) {
    answers.confirm_answers = {true};
    answers.text_answers = {QString("42")};
    std::atomic<bool> on_worker{false};
    QString connection;
    const QStringList seen = run([&](gui::job_context& job) {
        on_worker = QThread::currentThread() != QCoreApplication::instance()->thread();
        connection = job.db.connection_name();
        for (int i = 1; i <= 200; ++i) job.person.status_line(QString::number(i));
        job.person.progress("half");
        const bool yes = job.person.confirm("Go on?");
        const QString text = job.person.ask_text("Title", "Prompt").value_or(QString());
        job.person.status_line(QString("%1 %2").arg(yes).arg(text));
    });
    QStringList expected;
    for (int i = 1; i <= 200; ++i) expected << QString::number(i);
    EXPECT_EQ(seen, expected + QStringList({"progress half", "1 42"}));
    EXPECT_EQ(answers.questions, QStringList{"Go on?"});
    EXPECT_EQ(answers.prompts, QStringList{"Title|Prompt"});
    EXPECT_TRUE(on_worker);
    EXPECT_NE(connection, state->db->connection_name());
}

TEST_F(job_runner_test, one_job_at_a_time_with_its_screen_locked_until_it_is_cancelled) {
    QWidget screen;
    auto* go = new QPushButton("Go", &screen);
    auto* greyed = new QPushButton("Greyed", &screen);
    greyed->setEnabled(false);
    QStringList seen;
    bool finished = false;
    gui::job_request first;
    first.work = run_until_cancelled;
    first.screen = &screen;
    first.on_status = [&](const QString& text) { seen << text; };
    first.on_finished = [&] { finished = true; };
    QSignalSpy busy(&runner, &gui::job_runner::busy_changed);
    ASSERT_TRUE(runner.start(std::move(first)));
    ASSERT_TRUE(wait_until([&] { return !seen.isEmpty(); }));
    gui::job_request second;
    second.work = [](gui::job_context&) { ADD_FAILURE() << "a second job ran"; };
    EXPECT_FALSE(runner.start(std::move(second)));
    EXPECT_FALSE(go->isEnabled());
    runner.cancel();
    ASSERT_TRUE(wait_until([&] { return finished; }));
    EXPECT_EQ(seen, (QStringList{"waiting", "cancelled"}));
    EXPECT_TRUE(go->isEnabled());
    EXPECT_FALSE(greyed->isEnabled()) << "what was off before stays off";
    ASSERT_EQ(busy.count(), 2);
    EXPECT_FALSE(busy.at(1).at(0).toBool());

    bool next_cancelled = true;
    run([&](gui::job_context& job) { next_cancelled = job.person.cancelled(); });
    EXPECT_FALSE(next_cancelled);
}

TEST_F(job_runner_test, a_job_that_throws_is_told_and_the_runner_goes_on) {
    run([](gui::job_context&) { throw std::runtime_error("disk on fire"); });
    run([](gui::job_context&) { throw 42; });
    EXPECT_EQ(answers.messages,
              QStringList({"disk on fire", "The operation stopped on an unexpected error"}));
    bool ran = false;
    run([&](gui::job_context&) { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(job_runner_in_window, closing_stops_a_job_waiting_on_a_silent_host) {
    running_program program;
    gui::main_window& window = *program.window;
    silent_tcp_host silent;
    bool connected = true;
    gui::job_request request;
    request.work = [&](gui::job_context& job) {
        connected = job.link.connect_tcp("127.0.0.1", QString::number(silent.port()), 50'000);
    };
    ASSERT_TRUE(window.jobs().start(std::move(request)));
    window.close();
    EXPECT_TRUE(window.open()) << "the close waits for the job";
    EXPECT_TRUE(wait_until([&] { return !window.open(); }, 2500));
    EXPECT_FALSE(connected);
    EXPECT_FALSE(program.state().busy);
}

TEST(job_runner_in_window, closing_while_a_job_waits_on_a_question_closes_the_question) {
    program_folder folder;
    gui::main_window window(folder.start(), nullptr);  // real dialogs
    std::optional<bool> answer;
    bool asked_again = true;
    QSet<QWidget*> questions_shown;
    gui::job_request request;
    request.work = [&](gui::job_context& job) {
        answer = job.person.confirm("Go on?");
        asked_again = job.person.confirm("Really?");
    };
    // The question runs its own event loop; the window is closed from inside it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            questions_shown << box;
            window.close();
        }
    });
    closer.start(20);
    ASSERT_TRUE(window.jobs().start(std::move(request)));
    EXPECT_TRUE(wait_until([&] { return !window.open(); }, 2500));
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);
    EXPECT_FALSE(asked_again);
    EXPECT_EQ(questions_shown.size(), 1) << "no question is shown after the cancel";
}

TEST(dialog_operator, picker_filters_become_qt_name_filters) {
    EXPECT_EQ(gui::qt_name_filters("Text (*.txt)|*.txt|All Files (*.*)|*.*"),
              (QStringList{"Text (*.txt)", "All Files (*.*)"}));
    EXPECT_EQ(gui::qt_name_filters("Text|*.txt"), QStringList{"Text (*.txt)"});
}

}  // namespace
}  // namespace zep::test
