#include "gui/shell/job_runner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>

#include "core/data/database_file.h"
#include "core/data/readers_table.h"
#include "gui/shell/dialog_operator.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"

namespace zep::test {
namespace {

// Runs until the operator cancels, as an operation checks between records.
void run_until_cancelled(gui::job_context& job) {
    job.person.status_line(QStringLiteral("waiting"));
    QDeadlineTimer deadline(10000);
    while (!job.person.cancelled() && !deadline.hasExpired()) QThread::yieldCurrentThread();
    job.person.status_line(job.person.cancelled() ? QStringLiteral("cancelled")
                                                  : QStringLiteral("never cancelled"));
}

class job_runner_test : public ::testing::Test {
  protected:
    program_folder folder;
    scripted_operator answers;
    gui::job_runner runner{folder.db_path(), answers};
    std::unique_ptr<program::session> state = folder.start();  // creates the database file
};

TEST_F(job_runner_test, reports_arrive_in_order_and_questions_are_answered_on_the_gui_thread) {
    answers.confirm_answers = {true};
    answers.text_answers = {QStringLiteral("42")};
    QStringList seen;
    QStringList progress;
    bool finished = false;
    std::atomic<bool> on_worker{false};
    QString connection;
    qint64 readers = -1;

    gui::job_request request;
    request.work = [&](gui::job_context& job) {
        on_worker = QThread::currentThread() != QCoreApplication::instance()->thread();
        connection = job.db.connection_name();
        readers = data::readers_table(job.db).count().value();
        for (int i = 1; i <= 200; ++i) job.person.status_line(QString::number(i));
        job.person.progress(QStringLiteral("half"));
        const bool yes = job.person.confirm(QStringLiteral("Go on?"));
        const QString text = job.person.ask_text("Title", "Prompt").value_or(QString());
        job.person.status_line(QStringLiteral("%1 %2").arg(yes).arg(text));
    };
    request.on_status = [&](const QString& text) {
        EXPECT_FALSE(finished);
        seen << text;
    };
    request.on_progress = [&](const QString& text) { progress << text; };
    request.on_finished = [&] { finished = true; };
    ASSERT_TRUE(runner.start(std::move(request)));
    EXPECT_TRUE(runner.running());
    ASSERT_TRUE(wait_until([&] { return finished; }));

    QStringList expected;
    for (int i = 1; i <= 200; ++i) expected << QString::number(i);
    expected << QStringLiteral("1 42");
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(progress, QStringList{"half"});
    EXPECT_EQ(answers.questions, QStringList{"Go on?"});
    EXPECT_EQ(answers.prompts, QStringList{"Title|Prompt"});
    EXPECT_TRUE(on_worker);
    EXPECT_NE(connection, state->db->connection_name());
    EXPECT_EQ(readers, 0);
    EXPECT_FALSE(runner.running());
}

TEST_F(job_runner_test, refuses_a_second_job_and_cancels_the_running_one) {
    QStringList seen;
    bool finished = false;
    gui::job_request first;
    first.work = run_until_cancelled;
    first.on_status = [&](const QString& text) { seen << text; };
    first.on_finished = [&] { finished = true; };
    QSignalSpy busy(&runner, &gui::job_runner::busy_changed);
    ASSERT_TRUE(runner.start(std::move(first)));
    ASSERT_TRUE(wait_until([&] { return !seen.isEmpty(); }));

    bool second_ran = false;
    gui::job_request second;
    second.work = [&](gui::job_context&) { second_ran = true; };
    EXPECT_FALSE(runner.start(std::move(second)));

    runner.cancel();
    ASSERT_TRUE(wait_until([&] { return finished; }));
    EXPECT_EQ(seen, (QStringList{"waiting", "cancelled"}));
    EXPECT_FALSE(second_ran);
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());

    // The cancel does not carry over to the next job.
    bool next_cancelled = true;
    finished = false;
    gui::job_request next;
    next.work = [&](gui::job_context& job) { next_cancelled = job.person.cancelled(); };
    next.on_finished = [&] { finished = true; };
    ASSERT_TRUE(runner.start(std::move(next)));
    ASSERT_TRUE(wait_until([&] { return finished; }));
    EXPECT_FALSE(next_cancelled);
}

TEST_F(job_runner_test, the_screen_is_locked_but_its_cancel_control_while_the_job_runs) {
    QWidget screen;
    auto* layout = new QVBoxLayout(&screen);
    auto* go = new QPushButton("Go", &screen);
    auto* edit = new QLineEdit(&screen);
    auto* greyed = new QPushButton("Greyed", &screen);
    greyed->setEnabled(false);
    auto* box = new QGroupBox(&screen);
    auto* box_layout = new QVBoxLayout(box);
    auto* cancel = new QPushButton("Cancel", box);
    auto* beside_cancel = new QPushButton("Other", box);
    box_layout->addWidget(cancel);
    box_layout->addWidget(beside_cancel);
    for (QWidget* w : {static_cast<QWidget*>(go), static_cast<QWidget*>(edit),
                       static_cast<QWidget*>(greyed), static_cast<QWidget*>(box)}) {
        layout->addWidget(w);
    }
    QObject::connect(cancel, &QPushButton::clicked, &runner, &gui::job_runner::cancel);

    bool finished = false;
    gui::job_request request;
    request.work = run_until_cancelled;
    request.screen = &screen;
    request.cancel_control = cancel;
    request.on_finished = [&] { finished = true; };
    ASSERT_TRUE(runner.start(std::move(request)));
    EXPECT_FALSE(go->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(beside_cancel->isEnabled());
    EXPECT_TRUE(cancel->isEnabled());

    cancel->click();
    ASSERT_TRUE(wait_until([&] { return finished; }));
    EXPECT_TRUE(go->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(beside_cancel->isEnabled());
    EXPECT_FALSE(greyed->isEnabled());
}

TEST(job_runner_in_window, a_running_job_sets_the_busy_flag_that_blocks_navigation) {
    running_program program;
    gui::main_window& window = *program.window;
    link::single_reader_settings seen_settings;
    gui::job_request request;
    request.work = [&](gui::job_context& job) {
        seen_settings = job.link.single_reader();
        run_until_cancelled(job);
    };
    program.state().settings.ipaddress = QStringLiteral("127.0.0.1");
    ASSERT_TRUE(window.jobs().start(std::move(request)));
    EXPECT_TRUE(program.state().busy);
    menu_entry(window.command_menu(), "utilities")->click();
    EXPECT_EQ(current_screen(window)->objectName(), QStringLiteral("commform"));

    window.jobs().cancel();
    ASSERT_TRUE(wait_until([&] { return !program.state().busy; }));
    EXPECT_EQ(seen_settings.ipaddress, QStringLiteral("127.0.0.1"));
    menu_entry(window.command_menu(), "utilities")->click();
    EXPECT_EQ(current_screen(window)->objectName(), QStringLiteral("utilities"));
}

TEST(dialog_operator, picker_filters_become_qt_name_filters) {
    EXPECT_EQ(gui::qt_name_filters("Text (*.txt)|*.txt|All Files (*.*)|*.*"),
              (QStringList{"Text (*.txt)", "All Files (*.*)"}));
    EXPECT_EQ(gui::qt_name_filters("Text|*.txt"), QStringList{"Text (*.txt)"});
}

}  // namespace
}  // namespace zep::test
