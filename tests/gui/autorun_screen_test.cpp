// The autorun screen: its controls write the settings in memory, its pickers fill the
// boxes, and Run and Stop drive a run against a simulated reader.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/data/readers_table.h"
#include "gui/autorun/autorun_form.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

class autorun_screen : public testing::Test {
  protected:
    test::running_program program;
    autorun::override_selection selection;
    gui::autorun_form* form = nullptr;
    QStringList picks;                     // "heading|start" or "name|filter|must exist"
    std::optional<QString> picker_answer;  // nullopt: the picker is cancelled

    void open() {
        gui::screen_context context{program.state(), program.window->jobs(), program.answers,
                                    program.window->menus(), program.window.get()};
        gui::autorun_pickers pickers;
        pickers.directory = [this](const QString& heading, const QString& start) {
            picks << heading + "|" + start;
            return picker_answer;
        };
        pickers.file = [this](const QString& name, const QString& filter, bool must_exist) {
            picks << name + "|" + filter + "|" + (must_exist ? "Y" : "N");
            return picker_answer;
        };
        form = new gui::autorun_form(context, pickers, selection);
    }
    template <class W>
    W* find(const char* name) {
        return test::child<W>(form, QString::fromLatin1(name));
    }
    QStringList lines() {
        auto* list = find<QListWidget>("status_list");
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
    bool idle() const { return !program.window->jobs().running(); }
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
    EXPECT_EQ(find<QLabel>("log_upload_note")->text(), "Log upload is always enabled");
    EXPECT_TRUE(find<QCheckBox>("auto_time_update")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("schedule_single_file")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("log_database")->isChecked());
    EXPECT_EQ(find<QLineEdit>("singlogup")->text(), "/data/log.txt");
    EXPECT_FALSE(find<QPushButton>("stop")->isEnabled());
    find<QLabel>("status_label")->setText("old");
    test::menu_entry(program.window->command_menu(), "commform")->click();
    test::menu_entry(program.window->command_menu(), "autorun")->click();
    EXPECT_EQ(find<QLabel>("status_label")->text(), "");
}

TEST_F(autorun_screen, each_control_rewrites_only_its_own_setting) {
    data::settings_record& s = program.state().settings;
    s.autosettings = "10111";
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
}

TEST_F(autorun_screen, double_clicks_open_the_pickers_and_a_cancel_changes_nothing) {
    program.state().settings.singlogup = "/old/log.txt";
    open();
    QTest::mouseDClick(find<QLineEdit>("singlogup"), Qt::LeftButton);
    EXPECT_EQ(program.state().settings.singlogup, "/old/log.txt");
    EXPECT_EQ(find<QLineEdit>("singlogup")->text(), "/old/log.txt");

    picker_answer = "/data/acc.txt";
    QTest::mouseDClick(find<QLineEdit>("singacclistdown"), Qt::LeftButton);
    EXPECT_EQ(program.state().settings.singacclistdown, "/data/acc.txt");
    picker_answer = "/data/rdr";
    QTest::mouseDClick(find<QLineEdit>("diracclistdown"), Qt::LeftButton);
    EXPECT_EQ(find<QLineEdit>("diracclistdown")->text(), "/data/rdr");
    EXPECT_EQ(program.state().settings.diracclistdown, "/data/rdr");
    QTest::mouseDClick(find<QLineEdit>("dirschdown"), Qt::LeftButton);

    EXPECT_EQ(picks, QStringList({
                         "logupload.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*|N",
                         "accesslist.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*|Y",
                         "Select Directory for Access List downloads|",
                         "Select Directory for Schedule downloads|",
                     }));
}

TEST_F(autorun_screen, a_run_reports_in_the_list_and_one_without_readers_leaves_it) {
    sim_fixture sim;
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
}

TEST_F(autorun_screen, stop_ends_a_run_while_the_settings_stay_editable) {
    test::silent_tcp_host reader;  // every connect waits until the run gives up
    add_reader(reader.port());
    open();
    find<QPushButton>("run")->click();
    ASSERT_TRUE(test::wait_until([this] { return lines().contains("Start Autorun"); }));
    EXPECT_FALSE(find<QPushButton>("run")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("stop")->isEnabled());
    EXPECT_TRUE(program.state().busy);
    find<QCheckBox>("auto_time_update")->click();
    EXPECT_EQ(program.state().settings.autosettings, "10110");

    find<QPushButton>("stop")->click();
    ASSERT_TRUE(test::wait_until([this] { return idle(); }, 3000));
    EXPECT_EQ(lines().mid(lines().size() - 2), QStringList({" ", "Autorun stopped"}));
    EXPECT_TRUE(find<QPushButton>("run")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("stop")->isEnabled());
}

}  // namespace
}  // namespace zep
