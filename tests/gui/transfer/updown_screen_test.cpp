// The text-file transfer screen against simulated readers: each action kind wired to its
// question, picker, transfer and progress widgets.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/gui/gui_test_support.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

class updown_screen : public testing::Test {
  protected:
    test::running_program program;
    sim_fixture sim;
    QTemporaryDir dir;
    QWidget* form = nullptr;

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
    template <class W>
    W* find(const char* name) {
        return test::child<W>(form, QString::fromLatin1(name));
    }
    bool idle() { return !program.window->jobs().running(); }
};

TEST_F(updown_screen, options_show_and_write_their_settings) {
    program.state().settings.prior011001 = "Y";
    open(sim_fixture::zep_reader());
    EXPECT_EQ(find<QLabel>("caption")->text(),
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
}

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
    EXPECT_TRUE(test::wait_until([&] { return find<QLabel>("status")->text() == "Downloading"; }));
    ASSERT_TRUE(test::wait_until([&] { return idle(); }));

    EXPECT_EQ(program.answers.questions,
              QStringList{"This will replace the current Access List in the reader\rDo you wish "
                          "to continue?"});
    EXPECT_EQ(program.answers.file_requests,
              QStringList{"open|accesslist.txt|Text (*.txt)|*.txt|All Files (*.*)|*.*"});
    EXPECT_EQ(program.answers.messages,
              QStringList({"        Download Complete         ", "Verify complete - 3 IDs match"}));
    EXPECT_EQ(find<QProgressBar>("progress_bar")->text(), "3 of 3");
    EXPECT_EQ(find<QLabel>("status")->text() + find<QLabel>("progress")->text(), "");
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
    ASSERT_TRUE(test::wait_until(
        [&] { return find<QLabel>("progress")->text().startsWith("Records Uploaded: "); }));
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
    EXPECT_EQ(find<QLabel>("status")->text(),
              QString("Upload cancelled: the file holds %1 records").arg(bar->value()));
}

// So does a No to clearing the reader's log, or to emptying its list with a file of no IDs.
TEST_F(updown_screen, a_no_or_a_cancelled_picker_sends_nothing) {
    program.answers.confirm_answers = {false, true, true, false};
    program.answers.file_answers = {std::nullopt, std::nullopt,
                                    test::write_file(dir.filePath("blank.txt"), "\r\n\r\n")};
    open(sim_fixture::zep_reader());
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
