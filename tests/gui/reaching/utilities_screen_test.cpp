// The utilities screen against simulated readers, driven as the operator drives it:
// buttons clicked, answers read from the boxes, labels and the result list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "core/data/readers_table.h"
#include "gui/maintenance/utilities_form.h"
#include "gui/shell/screen_banner.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

class utilities_screen : public testing::Test {
  protected:
    test::running_program program;
    sim_fixture sim;
    test::fixed_clock clock{QDateTime(QDate(2019, 3, 3), QTime(10, 20, 30))};  // a Sunday
    autorun::override_selection selection;
    gui::utilities_form* form = nullptr;

    void open() { form = new gui::utilities_form(program.screen, clock, selection); }
    template <class W>
    W* find(const char* name) {
        return test::child<W>(form, QString::fromLatin1(name));
    }
    QString text_of(const char* label) { return find<QLabel>(label)->text(); }
    QStringList results() {
        QStringList lines;
        for (int i = 0; i < find<QListWidget>("result_list")->count(); ++i)
            lines << find<QListWidget>("result_list")->item(i)->text();
        return lines;
    }
    bool idle() const { return !program.window->jobs().running(); }
    void click(const char* button) {
        find<QPushButton>(button)->click();
        ASSERT_TRUE(test::wait_until([this] { return idle(); }));
    }
};

TEST_F(utilities_screen, shows_its_captions_the_pc_clock_and_the_settings_it_keeps) {
    program.state().settings.addhocaddall = "Y";
    open();
    EXPECT_EQ(text_of("tcp_note"),
              "Functions with an * are not currently operational for tco/ip readers");
    EXPECT_EQ(find<QCheckBox>("old_firmware")->text(),
              "Check if you reader firmware is before 1/10/01");
    EXPECT_EQ(find<QCheckBox>("addhocaddall")->text(), "Apply to all active readers");
    EXPECT_TRUE(find<QCheckBox>("addhocaddall")->isChecked());
    find<QCheckBox>("setdateall")->click();
    find<QCheckBox>("addhocaddall")->click();
    EXPECT_EQ(program.state().settings.setdateall, "Y");
    EXPECT_EQ(program.state().settings.addhocaddall, "N");
    EXPECT_EQ(text_of("current_date_time"), "03/03/2019  10:20:30");
    // Which reader the buttons reach, and whether the override stands in for the marks.
    EXPECT_EQ(text_of("reader_banner"), "Reader: Com1 (/dev/ttyS0) 9600, plain");
    EXPECT_TRUE(find<QLabel>("override_banner")->isHidden());
    selection.loadup({test::reader_row(2, "T"), test::reader_row(5, "T")});
    form->findChild<gui::screen_banner*>()->refresh();
    EXPECT_EQ(text_of("override_banner"), "Override in force: 2 readers selected");
    clock.set(QDateTime(QDate(2019, 12, 31), QTime(23, 59, 5)));
    EXPECT_TRUE(test::wait_until(
        [this] { return text_of("current_date_time") == "12/31/2019  23:59:05"; }, 3000));
}

TEST_F(utilities_screen, answers_fill_the_boxes_while_the_window_stays_live) {
    sim::reader_config slow = sim_fixture::zep_reader(3, true);
    slow.ident = "ZEP SCREEN 3.0";
    slow.ids = {{"111", 0}, {"222", 0}};
    slow.faults.delay_ms = 300;
    const quint16 port = sim.start_tcp({slow});
    test::single_tcp_reader(program.state(), port, 3);
    open();
    EXPECT_EQ(text_of("reader_banner"),
              QString("Reader: TCP 127.0.0.1:%1, protocol address 003").arg(port));
    find<QPushButton>("identify_reader")->click();
    // Back in the event loop at once; the screen's controls wait for the reader.
    EXPECT_TRUE(program.state().busy);
    EXPECT_FALSE(find<QPushButton>("adhoc_add")->isEnabled());
    ASSERT_TRUE(test::wait_until([this] { return idle(); }));
    EXPECT_EQ(find<QLineEdit>("identification")->text(), "ZEP SCREEN 3.0");
    EXPECT_TRUE(find<QPushButton>("adhoc_add")->isEnabled());

    find<QCheckBox>("old_firmware")->setChecked(true);  // swaps each pair read
    click("read_memory");
    EXPECT_EQ(text_of("download_slots_used"), "00485");
    EXPECT_EQ(text_of("logging_slots_avail"), "00000");
    click("set_date_time");
    click("read_date_time");
    EXPECT_TRUE(text_of("reader_date_time").startsWith("03/03/2019  10:2"));
    EXPECT_EQ(program.answers.messages, QStringList{"Time set in reader"});

    // A failed answer leaves no earlier answer standing as if it were its own.
    sim.with_reader(0, 0, [](sim::reader& r) { r.faults.nak = true; });
    for (const char* button : {"identify_reader", "read_memory", "read_date_time"}) click(button);
    EXPECT_EQ(find<QLineEdit>("identification")->text() + text_of("download_slots_used") +
                  text_of("reader_date_time"),
              "");
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
    test::single_tcp_reader(window.state(), sim.start_tcp({sim_fixture::ko_reader()}));
    QWidget* form = window.show_screen("utilities");
    dialog_answerer answers("4711");
    for (const char* button : {"adhoc_add", "adhoc_delete"}) {
        test::child<QPushButton>(form, QString::fromLatin1(button))->click();
        ASSERT_TRUE(test::wait_until([&] { return !window.jobs().running(); }));
    }
    EXPECT_EQ(answers.titles,
              QStringList({"Ad Hoc Employee ID ADD  (schedule 0)", "Ad Hoc Employee ID DELETE"}));
    EXPECT_EQ(answers.messages, QStringList({"ID Added", "ID deleted"}));
    EXPECT_EQ(sim.history(0, 0), (std::vector<QByteArray>{"AN0004711", "R4711"}));
}

TEST_F(utilities_screen, a_long_walk_holds_the_busy_flag_until_it_is_cancelled) {
    test::silent_tcp_host silent;
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    ASSERT_TRUE(
        data::readers_table(*program.state().db)
            .insert_all({test::tcp_reader_row(0, port), test::tcp_reader_row(1, silent.port()),
                         test::tcp_reader_row(2, port)}));
    program.state().settings.setdateall = "Y";
    open();
    EXPECT_FALSE(find<QPushButton>("cancel_walk")->isVisible());
    find<QPushButton>("set_date_time")->click();
    ASSERT_TRUE(test::wait_until([this] { return results().size() == 3; }));
    // Reader 001 does not answer the connect: the walk holds the busy flag meanwhile.
    EXPECT_TRUE(program.state().busy);
    test::menu_entry(program.window->command_menu(), "netman")->click();
    EXPECT_EQ(test::current_screen(*program.window)->objectName(), "commform") << "unmoved";
    EXPECT_TRUE(find<QPushButton>("cancel_walk")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cancel_walk")->isHidden());
    EXPECT_TRUE(find<QListWidget>("result_list")->isEnabled()) << "it can still be scrolled";
    EXPECT_FALSE(find<QPushButton>("identify_reader")->isEnabled());

    find<QPushButton>("cancel_walk")->click();
    // Well under the 5 s the connect could take.
    EXPECT_TRUE(test::wait_until([this] { return idle(); }, 2500));
    EXPECT_FALSE(program.state().busy);
    EXPECT_EQ(results(),
              QStringList({"Setting time in all active readers", " ", "Reader 000 - Time set"}));
    EXPECT_TRUE(find<QPushButton>("cancel_walk")->isHidden());
}

}  // namespace
}  // namespace zep
