// The shell: main window, menus, the communications screen, login and password, and the
// job runner that runs the operations off the GUI thread.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stdexcept>

#include "core/data/database_file.h"
#include "core/data/readers_table.h"
#include "core/program/login.h"
#include "gui/shell/comm_edits.h"
#include "gui/shell/desktop_program.h"
#include "gui/shell/dialog_operator.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/rows.h"

namespace zep::test {
namespace {

QStringList captions(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions) texts << action->text();
    return texts;
}

QStringList entry_captions(gui::side_menu* menu) {
    QStringList texts;
    for (const QString& screen : menu->screens()) texts << menu_entry(menu, screen)->text();
    return texts;
}

void trigger(gui::main_window& window, const char* action) {
    window.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

class main_window : public ::testing::Test {
  protected:
    running_program program;
    gui::main_window& window = *program.window;
};

// Each menu remembers its own screen; a busy program moves to none.
TEST_F(main_window, shows_its_menus_and_their_entries_open_their_screens) {
    EXPECT_TRUE(window.windowTitle().contains(program.folder.db_path()));
    EXPECT_EQ(captions(window.menuBar()->actions()),
              (QStringList{"&Commands", "&Database", "&Override Active Readers", "&Password",
                           "&Help", "&About", "&Beta Version Information"}));
    EXPECT_EQ(entry_captions(window.command_menu()),
              (QStringList{"Terminal Mode", "Network Manager", "Communications",
                           "Upload/Download\nText Files", "KO/ZEP Setup", "Utilities", "Autorun",
                           "Bar/Mag/Prox Setup"}));
    EXPECT_EQ(entry_captions(window.database_menu()),
              (QStringList{"Schedules", "Readers", "Users", "Log Archive", "Utilities"}));
    EXPECT_EQ(captions(window.menus().user_menu->actions()),
              (QStringList{"Modify User", "Add New User", "Delete User"}));
    EXPECT_EQ(captions(window.menus().schedule_menu->actions()), QStringList{"Delete Schedule"});
    // Start-up shows the Commands side menu with the communications screen.
    EXPECT_EQ(current_screen(window)->objectName(), "commform");

    QSignalSpy links_closed(&window.jobs(), &gui::job_runner::links_closed);
    QTest::mouseClick(menu_entry(window.command_menu(), "utilities"), Qt::LeftButton);
    QWidget* utilities = current_screen(window);
    EXPECT_EQ(utilities->objectName(), "utilities");
    EXPECT_TRUE(menu_entry(window.command_menu(), "utilities")->styleSheet().contains("yellow"));
    EXPECT_TRUE(menu_entry(window.command_menu(), "commform")->styleSheet().isEmpty());
    trigger(window, "menu_database");
    QTest::mouseClick(menu_entry(window.database_menu(), "readersform"), Qt::LeftButton);
    trigger(window, "menu_commands");
    EXPECT_EQ(current_screen(window), utilities);  // made once and kept
    trigger(window, "menu_database");
    EXPECT_EQ(current_screen(window)->objectName(), "readersform");
    EXPECT_EQ(links_closed.count(), 2);  // every entry closes the links first
    // The status bar speaks of the screen shown; F10 reaches the menu bar.
    window.statusBar()->showMessage("about the readers");
    trigger(window, "menu_commands");
    EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());
    window.show();
    QTest::keyClick(&window, Qt::Key_F10);
    ASSERT_NE(window.menuBar()->activeAction(), nullptr);
    EXPECT_EQ(window.menuBar()->activeAction()->objectName(), "menu_commands");
    // The window fits the screen it opened on.
    const QRect room = window.screen()->availableGeometry();
    EXPECT_TRUE(window.width() <= room.width() && window.height() <= room.height());
    trigger(window, "menu_database");

    program.state().busy = true;
    trigger(window, "menu_commands");
    for (gui::side_menu* menu : {window.command_menu(), window.database_menu()}) {
        for (const QString& screen : menu->screens()) menu_entry(menu, screen)->click();
    }
    EXPECT_EQ(current_screen(window)->objectName(), "readersform");
    EXPECT_EQ(links_closed.count(), 2);
}

// Closing writes back what the screens changed.
TEST_F(main_window, override_password_about_and_closing) {
    trigger(window, "menu_override");
    EXPECT_EQ(program.answers.messages, QStringList{"There are no readers in the system"});
    ASSERT_TRUE(data::readers_table(*program.state().db).insert(reader_row(3, "T")));
    trigger(window, "menu_override");
    auto* override_screen = window.findChild<QDialog*>("override");
    ASSERT_NE(override_screen, nullptr);
    EXPECT_TRUE(override_screen->isVisible() && override_screen->isModal());
    override_screen->close();
    trigger(window, "menu_about");
    EXPECT_TRUE(window.findChild<QTextBrowser*>("about_text")
                    ->toPlainText()
                    .contains(program.folder.db_path()));

    window.findChild<QLineEdit*>("ip_address")->clear();
    QTest::keyClicks(window.findChild<QLineEdit*>("ip_address"), "127.0.0.1");
    window.findChild<QAbstractButton*>("mode_tcp")->click();
    trigger(window, "menu_password");
    QWidget* form = current_screen(window);
    EXPECT_EQ(form->objectName(), "password");
    EXPECT_EQ(child<QLabel>(form, "not_functional_notice")->text(),
              "This screen  is not functional at this time");
    child<QLineEdit>(form, "login_new")->setText("Gate9");
    child<QLineEdit>(form, "login_confirm")->setText("Gate8");
    child<QAbstractButton>(form, "login_set_password")->click();
    EXPECT_EQ(program.answers.messages.last(),
              "The new password and its confirmation are not the same");
    child<QLineEdit>(form, "login_confirm")->setText("Gate9");
    child<QAbstractButton>(form, "login_set_password")->click();
    EXPECT_EQ(child<QLabel>(form, "login_result")->text(), "Login password changed");
    window.close();
    EXPECT_FALSE(window.open());
    EXPECT_EQ(program.answers.messages.size(), 2);
    std::unique_ptr<program::session> again = program.folder.start();
    EXPECT_EQ(again->settings.ipaddress, "127.0.0.1");
    EXPECT_EQ(again->settings.settings, "1211000");
    EXPECT_TRUE(program::check_login(*again, "Gate9"));
}

class comm_form_test : public main_window {
  protected:
    QWidget* form = window.show_screen("commform");

    void click(const char* name) { child<QAbstractButton>(form, name)->click(); }
    QLineEdit* box(const char* name) { return child<QLineEdit>(form, name); }
    void type(const char* name, const QString& text) {
        box(name)->selectAll();
        if (text.isEmpty()) QTest::keyClick(box(name), Qt::Key_Backspace);
        QTest::keyClicks(box(name), text);
    }
    const QString& comm_string() { return program.state().settings.settings; }
};

TEST_F(comm_form_test, choices_write_their_position_and_the_speed_waits_for_a_restart) {
    EXPECT_EQ(box("device_3")->text(), "/dev/ttyS2");
    click("port_4");
    click("baud_19200");
    EXPECT_EQ(comm_string(), "2242000");
    click("baud_9600");
    EXPECT_EQ(comm_string(), "2241000");
    click("baud_19200");
    EXPECT_EQ(program.state().comm.baud(), 9600);  // in use until the next start
    EXPECT_TRUE(child<QWidget>(form, "comm_port_box")->isEnabled());
    click("mode_tcp");
    click("protocol_yes");
    EXPECT_EQ(comm_string(), "1142000");
    // Port and speed mean nothing to TCP/IP: greyed until serial is chosen again.
    EXPECT_FALSE(child<QWidget>(form, "comm_port_box")->isEnabled() ||
                 child<QWidget>(form, "baud_rate_box")->isEnabled());
    const link::comm_settings& in_use = program.state().comm;
    EXPECT_TRUE(in_use.tcp() && in_use.protocol_on() && in_use.port == 4);
}

TEST_F(comm_form_test, address_is_three_digits_empty_changes_nothing_and_above_127_is_refused) {
    type("protocol_address", "5");
    EXPECT_EQ(comm_string(), "2211005");
    EXPECT_EQ(program.state().comm.protocol_address, 5);
    type("protocol_address", "");
    EXPECT_EQ(comm_string(), "2211005");
    type("protocol_address", "20");
    QTest::keyClicks(box("protocol_address"), "0");  // "200" is refused
    EXPECT_EQ(box("protocol_address")->text(), "20");
    EXPECT_EQ(comm_string(), "2211020");
    EXPECT_FALSE(child<QLabel>(form, "address_notice")->text().isEmpty());
    type("protocol_address", "127");
    EXPECT_EQ(comm_string(), "2211127");
    EXPECT_TRUE(child<QLabel>(form, "address_notice")->text().isEmpty());

    type("tcp_port", "40a0x1");
    EXPECT_EQ(program.state().settings.remoteportaddress, "4001");
    type("device_5", "/dev/pts/9");
    EXPECT_EQ(program.state().settings.comdevice[4], "/dev/pts/9");
}

TEST(comm_edits, a_short_string_is_padded_before_a_choice_is_written) {
    QString text = "1";
    link::comm_settings comm = link::decode_comm_settings(text);
    gui::apply_comm_choice(text, comm, gui::comm_choice::port, 3);
    EXPECT_EQ(text, "103");
    EXPECT_EQ(comm.port, 3);
}

TEST(login_prompt, a_wrong_answer_ends_the_program_with_nothing_written) {
    program_folder folder;
    folder.save([](program::session& state) { state.settings.loginpass = "Secret"; });
    std::unique_ptr<program::session> state = folder.start();
    state->settings.ipaddress = "127.0.0.9";
    scripted_operator login;
    login.text_answers = {QString("secret"), QString("Secret")};
    // The prompt's texts are the start-up's test.
    EXPECT_EQ(gui::open_main_window(std::move(state), login), nullptr);
    EXPECT_NE(folder.start()->settings.ipaddress, "127.0.0.9");
    EXPECT_NE(gui::open_main_window(folder.start(), login), nullptr);

    program_folder open_folder;
    scripted_operator nobody;
    EXPECT_NE(gui::open_main_window(open_folder.start(), nobody), nullptr);
    EXPECT_TRUE(nobody.prompts.isEmpty()) << "no password, no prompt";
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

// A job that throws is told, and the runner goes on.
TEST_F(job_runner_test, one_job_at_a_time_with_its_screen_locked_until_it_is_cancelled) {
    QWidget screen;
    auto* go = new QPushButton("Go", &screen);
    auto* greyed = new QPushButton("Greyed", &screen);
    greyed->setEnabled(false);
    QStringList seen;
    bool finished = false;
    gui::job_request first;
    first.work = [](gui::job_context& job) {  // as an operation checks between records
        job.person.status_line("waiting");
        QDeadlineTimer deadline(10000);
        while (!job.person.cancelled() && !deadline.hasExpired()) QThread::yieldCurrentThread();
        job.person.status_line(job.person.cancelled() ? "cancelled" : "never cancelled");
    };
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
    run([](gui::job_context&) { throw std::runtime_error("disk on fire"); });
    run([](gui::job_context&) { throw 42; });
    EXPECT_EQ(answers.messages,
              QStringList({"disk on fire", "The operation stopped on an unexpected error"}));
    next_cancelled = true;
    run([&](gui::job_context& job) { next_cancelled = job.person.cancelled(); });
    EXPECT_FALSE(next_cancelled);
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
