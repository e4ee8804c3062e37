// The utilities screen's single-reader actions against simulated readers, driven as the
// operator drives them: buttons clicked, answers read from the boxes and labels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "gui/maintenance/utilities_form.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

// Sunday 3 March 2019.
const QDateTime sunday(QDate(2019, 3, 3), QTime(10, 20, 30));

class utilities_screen : public testing::Test {
  protected:
    test::running_program program;
    sim_fixture sim;
    test::fixed_clock clock{sunday};
    autorun::override_selection selection;
    gui::utilities_form* form = nullptr;

    void open() {
        gui::screen_context context{program.state(), program.window->jobs(), program.answers,
                                    program.window->menus(), program.window.get()};
        form = new gui::utilities_form(context, clock, selection);
    }

    void single_tcp(std::vector<sim::reader_config> line, bool protocol = false, int address = 0) {
        program::session& s = program.state();
        s.comm.link_mode = 1;
        s.comm.protocol = protocol ? 1 : 2;
        s.comm.protocol_address = address;
        s.settings.ipaddress = QStringLiteral("127.0.0.1");
        s.settings.remoteportaddress = QString::number(sim.start_tcp(std::move(line)));
    }

    void single_pty(std::vector<sim::reader_config> line, bool protocol = false, int address = 0) {
        program::session& s = program.state();
        s.comm.link_mode = 2;
        s.comm.port = 1;
        s.comm.protocol = protocol ? 1 : 2;
        s.comm.protocol_address = address;
        s.settings.comdevice[0] = sim.start_pty(std::move(line));
    }

    template <class W>
    W* find(const char* name) {
        auto* widget = form->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString text_of(const char* label) { return find<QLabel>(label)->text(); }

    // Clicks and waits until the job it started has ended.
    void click(const char* button) {
        find<QPushButton>(button)->click();
        ASSERT_TRUE(test::wait_until([this] { return !program.window->jobs().running(); }));
    }
};

TEST_F(utilities_screen, shows_its_captions_and_the_settings_it_keeps) {
    program.state().settings.addhocaddall = QStringLiteral("Y");
    open();
    EXPECT_EQ(text_of("tcp_note"),
              "Functions with an * are not currently operational for tco/ip readers");
    for (const char* name : {"identify_reader", "read_memory", "read_date_time", "set_date_time",
                             "adhoc_add", "adhoc_delete"}) {
        find<QPushButton>(name);
    }
    EXPECT_EQ(find<QPushButton>("identify_reader")->text(), "Identify Reader");
    EXPECT_EQ(find<QPushButton>("read_memory")->text(), "Read");
    EXPECT_EQ(find<QCheckBox>("old_firmware")->text(),
              "Check if you reader firmware is before 1/10/01");

    auto* adhoc_all = find<QCheckBox>("addhocaddall");
    auto* date_all = find<QCheckBox>("setdateall");
    EXPECT_EQ(adhoc_all->text(), "Apply to all active readers");
    EXPECT_TRUE(adhoc_all->isChecked());
    EXPECT_FALSE(date_all->isChecked());
    date_all->click();
    adhoc_all->click();
    EXPECT_EQ(program.state().settings.setdateall, "Y");
    EXPECT_EQ(program.state().settings.addhocaddall, "N");
}

TEST_F(utilities_screen, current_date_time_follows_the_pc_clock) {
    open();
    EXPECT_EQ(text_of("current_date_time"), "03/03/2019  10:20:30");
    clock.set(QDateTime(QDate(2019, 12, 31), QTime(23, 59, 5)));
    EXPECT_TRUE(test::wait_until(
        [this] { return text_of("current_date_time") == "12/31/2019  23:59:05"; }, 3000));
}

TEST_F(utilities_screen, identify_fills_the_box_while_the_window_stays_live) {
    sim::reader_config slow = sim_fixture::zep_reader();
    slow.ident = "ZEP SCREEN 3.0";
    slow.faults.delay_ms = 300;
    single_tcp({slow});
    open();

    find<QPushButton>("identify_reader")->click();
    // Back in the event loop at once; the screen's controls wait for the reader.
    EXPECT_TRUE(program.window->jobs().running());
    EXPECT_TRUE(program.state().busy);
    EXPECT_FALSE(find<QPushButton>("adhoc_add")->isEnabled());
    EXPECT_FALSE(find<QCheckBox>("setdateall")->isEnabled());
    ASSERT_TRUE(test::wait_until([this] { return !program.window->jobs().running(); }));

    EXPECT_EQ(find<QLineEdit>("identification")->text(), "ZEP SCREEN 3.0");
    EXPECT_TRUE(find<QPushButton>("adhoc_add")->isEnabled());
    EXPECT_FALSE(program.state().busy);
    EXPECT_TRUE(program.answers.messages.isEmpty());
}

TEST_F(utilities_screen, a_silent_reader_leaves_the_box_empty) {
    sim::reader_config silent = sim_fixture::zep_reader();
    silent.faults.silent = true;
    single_pty({silent});
    open();
    click("identify_reader");
    EXPECT_EQ(find<QLineEdit>("identification")->text(), QString());
    EXPECT_EQ(program.answers.messages, QStringList{"No response from reader"});
}

TEST_F(utilities_screen, memory_fills_the_four_labels_in_either_layout) {
    sim::reader_config current = sim_fixture::zep_reader(5, true);
    current.ids = {{"111", 0}, {"222", 0}};
    sim::reader_config old = current;
    old.address = 6;
    old.old_firmware = true;
    single_pty({current, old}, true, 5);
    open();
    const char* labels[] = {"download_slots_avail", "download_slots_used", "logging_slots_avail",
                            "logging_slots_used"};

    click("read_memory");
    QStringList seen;
    for (const char* label : labels) seen << text_of(label);
    EXPECT_EQ(seen[1], "00002");
    for (const QString& value : seen) EXPECT_EQ(value.size(), 5) << value.toStdString();

    // The old reader, read with the box checked, shows the same values in the same labels.
    for (const char* label : labels) find<QLabel>(label)->clear();
    program.state().comm.protocol_address = 6;
    find<QCheckBox>("old_firmware")->setChecked(true);
    click("read_memory");
    QStringList swapped;
    for (const char* label : labels) swapped << text_of(label);
    EXPECT_EQ(swapped, seen);
    EXPECT_TRUE(program.answers.messages.isEmpty());
}

TEST_F(utilities_screen, set_then_read_the_reader_clock) {
    single_tcp({sim_fixture::zep_reader(3, true)}, true, 3);
    open();
    click("set_date_time");
    EXPECT_EQ(program.answers.messages, QStringList{"Time set in reader"});
    EXPECT_EQ(sim.history(0, 0).back(), "+1903031020307");

    click("read_date_time");
    const QString shown = text_of("reader_date_time");
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^03/03/2019  10:2\\d:\\d\\d$")).match(shown).hasMatch())
        << shown.toStdString();
}

TEST_F(utilities_screen, add_and_delete_ask_for_the_id_first) {
    single_pty({sim_fixture::zep_reader()});
    open();
    program.answers.text_answers = {QStringLiteral("4711"), QStringLiteral("4711"),
                                    QStringLiteral("")};
    click("adhoc_add");
    EXPECT_EQ(sim.access_list(0, 0), (std::vector<sim::access_entry>{{"4711", 0}}));
    click("adhoc_delete");
    EXPECT_TRUE(sim.access_list(0, 0).empty());
    // An empty answer sends nothing.
    const std::size_t sent = sim.history(0, 0).size();
    click("adhoc_add");
    EXPECT_EQ(sim.history(0, 0).size(), sent);

    EXPECT_EQ(program.answers.messages, QStringList({"ID Added", "ID Deleted"}));
    ASSERT_EQ(program.answers.prompts.size(), 3);
    EXPECT_TRUE(
        program.answers.prompts[0].startsWith("Ad Hoc Employee ID ADD  (schedule 0)|Enter "
                                              "Employee ID"));
    EXPECT_TRUE(program.answers.prompts[1].startsWith("Ad Hoc Employee ID DELETE|"));
}

// Answers the real dialogs as they come up: input boxes get `id`, message boxes are
// read and closed.
class dialog_answerer {
  public:
    explicit dialog_answerer(QString id) : id_(std::move(id)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(10);
    }
    QStringList titles;
    QStringList messages;

  private:
    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            titles << input->windowTitle();
            input->setTextValue(id_);
            input->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages << box->text();
            box->accept();
        }
    }
    QString id_;
    QTimer timer_;
};

TEST(utilities_screen_dialogs, add_and_delete_through_the_input_and_message_boxes) {
    sim_fixture sim;
    test::program_folder folder;
    gui::main_window window(folder.start(), nullptr);
    program::session& s = window.state();
    s.comm.link_mode = 1;
    s.comm.protocol = 2;
    s.settings.ipaddress = QStringLiteral("127.0.0.1");
    s.settings.remoteportaddress = QString::number(sim.start_tcp({sim_fixture::ko_reader()}));
    QWidget* form = window.show_screen(QStringLiteral("utilities"));
    ASSERT_EQ(form->objectName(), "utilities");

    dialog_answerer answers(QStringLiteral("4711"));
    for (const char* button : {"adhoc_add", "adhoc_delete"}) {
        form->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        ASSERT_TRUE(test::wait_until([&] { return !window.jobs().running(); }));
    }
    EXPECT_EQ(answers.titles,
              QStringList({"Ad Hoc Employee ID ADD  (schedule 0)", "Ad Hoc Employee ID DELETE"}));
    EXPECT_EQ(answers.messages, QStringList({"ID Added", "ID deleted"}));
    EXPECT_TRUE(sim.access_list(0, 0).empty());
    EXPECT_EQ(sim.history(0, 0).back(), "R4711");
}

}  // namespace
}  // namespace zep
