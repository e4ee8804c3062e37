// The screens of the Commands menu that reach readers (autorun, utilities with its
// override, text-file transfers), made on a started program and driven against simulated
// readers as the operator drives them: buttons clicked, answers read from boxes and lists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/data/readers_table.h"
#include "gui/autorun/autorun_form.h"
#include "gui/autorun/override_form.h"
#include "gui/maintenance/utilities_form.h"
#include "gui/shell/screen_banner.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

class reader_screen : public testing::Test {
  protected:
    test::running_program program;
    sim_fixture sim;
    autorun::override_selection selection;
    QWidget* form = nullptr;

    template <class W>
    W* find(const char* name) {
        return test::child<W>(form, QString::fromLatin1(name));
    }
    QString text_of(const char* label) { return find<QLabel>(label)->text(); }
    // The lines of the list widget `name`, top to bottom.
    QStringList lines(const char* name) {
        QStringList out;
        for (int i = 0; i < find<QListWidget>(name)->count(); ++i)
            out << find<QListWidget>(name)->item(i)->text();
        return out;
    }
    bool idle() const { return !program.window->jobs().running(); }
};

class autorun_screen : public reader_screen {
  protected:
    QStringList picks;                     // "heading|start" or "name|filter|must exist"
    std::optional<QString> picker_answer;  // nullopt: the picker is cancelled

    void open() {
        gui::autorun_pickers pickers;
        pickers.directory = [this](const QString& heading, const QString& start) {
            picks << heading + "|" + start;
            return picker_answer;
        };
        pickers.file = [this](const QString& name, const QString& filter, bool must_exist) {
            picks << name + "|" + filter + "|" + (must_exist ? "Y" : "N");
            return picker_answer;
        };
        form = new gui::autorun_form(program.screen, pickers, selection);
    }
    QStringList lines() { return reader_screen::lines("status_list"); }
    void add_reader(quint16 port) {
        ASSERT_TRUE(data::readers_table(*program.state().db).insert(test::tcp_reader_row(0, port)));
    }
};

TEST_F(autorun_screen, opens_from_its_menu_entry_with_the_settings_in_its_controls) {
    program.state().settings.autoschdown = "1";
    program.state().settings.singlogup = "/data/log.txt";
    program.window->show();
    test::menu_entry(program.window->command_menu(), "autorun")->click();
    form = qobject_cast<gui::autorun_form*>(test::current_screen(*program.window));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(find<QCheckBox>("enable_access_download")->text(), "Enable Access List Download");
    EXPECT_EQ(text_of("log_upload_note"), "Log upload is always enabled");
    EXPECT_TRUE(find<QCheckBox>("auto_time_update")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("schedule_single_file")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("log_database")->isChecked());
    EXPECT_EQ(find<QLineEdit>("singlogup")->text(), "/data/log.txt");
    EXPECT_FALSE(find<QPushButton>("stop")->isEnabled());
    find<QLabel>("status_label")->setText("old");
    test::menu_entry(program.window->command_menu(), "commform")->click();
    test::menu_entry(program.window->command_menu(), "autorun")->click();
    EXPECT_EQ(text_of("status_label"), "");
}

// Double clicks open the pickers; a cancelled picker changes nothing.
TEST_F(autorun_screen, each_control_and_picker_rewrites_only_its_own_setting) {
    data::settings_record& s = program.state().settings;
    s.autosettings = "10111";
    s.singlogup = "/old/log.txt";
    open();
    find<QCheckBox>("enable_schedule_download")->click();
    EXPECT_EQ(s.autosettings, "10011");
    find<QCheckBox>("enable_schedule_download")->click();
    EXPECT_EQ(s.autosettings, "10111");
    find<QCheckBox>("enable_access_download")->click();
    find<QCheckBox>("auto_time_update")->click();
    EXPECT_EQ(s.autosettings, "00110");

    find<QRadioButton>("access_rdr_files")->click();
    find<QRadioButton>("log_single_file")->click();
    EXPECT_EQ(s.autoacclistdown + s.autoschdown + s.autologup, "231");

    QTest::keyClicks(find<QLineEdit>("singschdown"), "/tmp/s.txt");
    QTest::keyClicks(find<QLineEdit>("dirlogup"), "/logs");
    QTest::keyClicks(find<QLineEdit>("diracclistdown"), "/typed");
    EXPECT_EQ(s.singschdown, "/tmp/s.txt");
    EXPECT_EQ(s.dirlogup, "/logs");
    EXPECT_EQ(find<QLineEdit>("diracclistdown")->text(), "");
    EXPECT_EQ(s.diracclistdown, "");

    QTest::mouseDClick(find<QLineEdit>("singlogup"), Qt::LeftButton);
    EXPECT_EQ(s.singlogup, "/old/log.txt");
    EXPECT_EQ(find<QLineEdit>("singlogup")->text(), "/old/log.txt");

    picker_answer = "/data/acc.txt";
    QTest::mouseDClick(find<QLineEdit>("singacclistdown"), Qt::LeftButton);
    EXPECT_EQ(s.singacclistdown, "/data/acc.txt");
    picker_answer = "/data/rdr";
    QTest::mouseDClick(find<QLineEdit>("diracclistdown"), Qt::LeftButton);
    EXPECT_EQ(find<QLineEdit>("diracclistdown")->text(), "/data/rdr");
    EXPECT_EQ(s.diracclistdown, "/data/rdr");
    QTest::mouseDClick(find<QLineEdit>("dirschdown"), Qt::LeftButton);

    EXPECT_EQ(picks, QStringList({
                         "logupload.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*|N",
                         "accesslist.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*|Y",
                         "Select Directory for Access List downloads|",
                         "Select Directory for Schedule downloads|",
                     }));
}

// Stop ends a run while the settings stay editable.
TEST_F(autorun_screen, a_run_reports_in_the_list_one_without_readers_leaves_it_stop_ends_one) {
    add_reader(sim.start_tcp({sim_fixture::zep_reader()}));
    program.state().settings.autosettings = "00011";  // log upload and clock only
    open();
    find<QPushButton>("run")->click();
    ASSERT_TRUE(test::wait_until([this] { return idle(); }, 15000));
    const QStringList report{"Start Autorun",         " ", "Reader 000 - log uploaded",
                             "Reader 000 - date set", " ", "Autorun Finished"};
    EXPECT_EQ(lines(), report);
    EXPECT_TRUE(program.answers.messages.isEmpty());

    ASSERT_TRUE(data::readers_table(*program.state().db).remove(0));
    find<QPushButton>("run")->click();
    ASSERT_TRUE(test::wait_until([this] { return idle(); }));
    EXPECT_EQ(program.answers.messages, QStringList{"There are no active readers"});
    EXPECT_EQ(lines(), report);
    EXPECT_TRUE(find<QPushButton>("run")->isEnabled());

    test::silent_tcp_host reader;  // every connect waits until the run gives up
    add_reader(reader.port());
    find<QPushButton>("run")->click();
    ASSERT_TRUE(
        test::wait_until([&] { return lines() != report && lines().contains("Start Autorun"); }));
    EXPECT_FALSE(find<QPushButton>("run")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("stop")->isEnabled());
    EXPECT_TRUE(program.state().busy);
    find<QCheckBox>("auto_time_update")->click();
    EXPECT_EQ(program.state().settings.autosettings, "00010");

    find<QPushButton>("stop")->click();
    ASSERT_TRUE(test::wait_until([this] { return idle(); }, 3000));
    EXPECT_EQ(lines().mid(lines().size() - 2), QStringList({" ", "Autorun stopped"}));
    EXPECT_TRUE(find<QPushButton>("run")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("stop")->isEnabled());
}

class utilities_screen : public reader_screen {
  protected:
    test::fixed_clock clock{QDateTime(QDate(2019, 3, 3), QTime(10, 20, 30))};  // a Sunday

    void open() { form = new gui::utilities_form(program.screen, clock, selection); }
    QStringList results() { return lines("result_list"); }
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

QCheckBox* box(const QWidget& form, int readernum) {
    return form.findChild<QCheckBox*>(QString("reader_%1").arg(readernum, 3, 10, QChar(u'0')));
}

TEST(override_screen, boxes_show_and_change_the_selection) {
    std::vector<data::reader_row> rows;
    for (int k = 0; k < 10; ++k) {
        rows.push_back(test::reader_row(k, "T"));
        rows.back().active = k == 1 || k == 7 ? "Y" : "";
        rows.back().location = k == 7 ? "Gate B" : "Yard";
    }
    autorun::override_selection selection;
    {
        gui::override_form form(rows, selection);
        EXPECT_TRUE(form.isModal());
        EXPECT_EQ(form.findChildren<QCheckBox*>().size(), records::reader_slots);
        EXPECT_EQ(box(form, 7)->text(), "007 Gate B");
        EXPECT_TRUE(box(form, 7)->isChecked());
        box(form, 7)->click();
        box(form, 3)->click();
    }
    EXPECT_EQ(selection.targets(rows), records::target_flags().set(1).set(3));
    gui::override_form again(rows, selection);
    EXPECT_TRUE(box(again, 3)->isChecked());
    auto* clear_all = again.findChild<QPushButton*>("clear_all");
    EXPECT_EQ(clear_all->text(), "Clear All");
    clear_all->click();
    EXPECT_FALSE(box(again, 1)->isChecked());
    EXPECT_TRUE(selection.targets(rows).none());
}

class updown_screen : public reader_screen {
  protected:
    QTemporaryDir dir;

    // The single reader: plain TCP, or protocol address 7 on a serial line.
    void open(sim::reader_config r, bool tcp = true) {
        program::session& s = program.state();
        s.comm.link_mode = tcp ? 1 : 2;
        s.comm.protocol = tcp ? 2 : 1;
        s.comm.protocol_address = r.address = tcp ? 0 : 7;
        r.protocol = !tcp;
        s.settings.ipaddress = "127.0.0.1";
        if (tcp) s.settings.remoteportaddress = QString::number(sim.start_tcp({r}));
        if (!tcp) s.settings.comdevice[0] = sim.start_pty({r});
        form = program.window->show_screen("updown");
    }
};

TEST_F(updown_screen, download_runs_under_the_busy_flag_and_verifies) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.faults.delay_ms = 20;
    program.answers.confirm_answers = {true};
    program.answers.file_answers = {
        test::write_file(dir.filePath("ids.txt"), "1001\r\n1002\r\n1003\r\n")};
    open(r);

    find<QPushButton>("download_access_list")->click();
    EXPECT_TRUE(program.state().busy);
    EXPECT_EQ(find<QPushButton>("cancel_transfer")->text(), "Cancel Download");
    EXPECT_FALSE(find<QPushButton>("upload_log")->isEnabled());
    EXPECT_TRUE(test::wait_until([&] { return text_of("status") == "Downloading"; }));
    ASSERT_TRUE(test::wait_until([&] { return idle(); }));

    EXPECT_EQ(program.answers.questions,
              QStringList{"This will replace the current Access List in the reader\rDo you wish "
                          "to continue?"});
    EXPECT_EQ(program.answers.file_requests,
              QStringList{"open|accesslist.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*"});
    EXPECT_EQ(program.answers.messages,
              QStringList({"        Download Complete         ", "Verify complete - 3 IDs match"}));
    EXPECT_EQ(find<QProgressBar>("progress_bar")->text(), "3 of 3");
    EXPECT_EQ(text_of("status") + text_of("progress"), "");
    EXPECT_FALSE(find<QPushButton>("cancel_transfer")->isVisibleTo(form));
    EXPECT_FALSE(program.state().busy);
}

TEST_F(updown_screen, log_upload_writes_the_chosen_line_end_until_cancelled) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.log.count = 500;
    r.log.start = QDateTime(QDate(2019, 3, 3), QTime(10, 20, 30), Qt::UTC);
    r.log.cards = {"4711"};
    r.faults.delay_ms = 10;
    const QString path = dir.filePath("log.txt");
    program.answers.file_answers = {path};
    open(r, false);
    find<QRadioButton>("cr_only")->click();

    find<QPushButton>("upload_log")->click();
    EXPECT_EQ(find<QPushButton>("cancel_transfer")->text(), "Cancel Upload");
    ASSERT_TRUE(
        test::wait_until([&] { return text_of("progress").startsWith("Records Uploaded: "); }));
    program.window->show();
    program.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(program.window.get()));
    QTest::keyClick(program.window.get(), Qt::Key_Escape);  // Esc is the Cancel button
    ASSERT_TRUE(test::wait_until([&] { return idle(); }));

    EXPECT_EQ(program.answers.file_requests, QStringList{"save|uploadlog.txt|Text (*.txt)|*.txt"});
    EXPECT_TRUE(program.answers.messages.isEmpty());
    const QByteArray kept = test::file_bytes(path);
    EXPECT_TRUE(kept.startsWith("01903031020304711\r")) << kept.left(40).toStdString();
    EXPECT_FALSE(kept.contains('\n'));
    // The busy bar stopped at the count of the lines the file kept.
    auto* bar = find<QProgressBar>("progress_bar");
    EXPECT_EQ(bar->value(), kept.count('\r'));
    EXPECT_EQ(bar->maximum(), bar->value());
    EXPECT_LT(bar->value(), 500);
    EXPECT_EQ(text_of("status"),
              QString("Upload cancelled: the file holds %1 records").arg(bar->value()));
}

// The options write their settings. A No or a cancelled picker sends nothing; so does a No
// to clearing the reader's log, or to emptying its list with a file of no IDs.
TEST_F(updown_screen, options_write_their_settings_and_a_no_or_a_cancelled_picker_sends_nothing) {
    program.answers.confirm_answers = {false, true, true, false};
    program.answers.file_answers = {std::nullopt, std::nullopt,
                                    test::write_file(dir.filePath("blank.txt"), "\r\n\r\n")};
    program.state().settings.prior011001 = "Y";
    open(sim_fixture::zep_reader());
    EXPECT_EQ(text_of("caption"),
              "This Menu Screen is for use with text files only for a single reader");
    EXPECT_TRUE(find<QRadioButton>("id_only")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("cr_lf")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("prior011001")->isChecked());
    EXPECT_EQ(find<QCheckBox>("txtdownloadverify")->text(), "Verify after download");

    for (const char* option : {"autoconfigreclen", "prior011001", "txtdownloadverify"})
        find<QCheckBox>(option)->click();
    find<QRadioButton>("schedule_and_id")->click();
    find<QRadioButton>("cr_only")->click();
    const data::settings_record& s = program.state().settings;
    EXPECT_EQ(s.txtformat + s.autoconfigreclen + s.prior011001 + s.txtdownloadverify, "1NNN");
    for (const char* action : {"download_schedule", "upload_schedule", "upload_access_list",
                               "download_access_list", "clear_log"}) {
        find<QPushButton>(action)->click();
        EXPECT_TRUE(idle()) << action;
    }
    EXPECT_EQ(program.answers.file_requests,
              QStringList({"save|schedule.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*",
                           "save|uploadacc.txt|Text (*.txt)|*.txt",
                           "open|accesslist.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*"}));
    EXPECT_EQ(program.answers.questions.mid(2),
              QStringList({"This will replace the current Access List in the reader\rDo you "
                           "wish to continue?",
                           "The file holds no IDs: the reader's access list will be emptied. "
                           "Continue?",
                           "Clear the reader's log without uploading it? Its transactions will "
                           "be lost."}));
    EXPECT_EQ(sim.received(0), "");
    EXPECT_TRUE(program.answers.messages.isEmpty());
}

}  // namespace
}  // namespace zep
