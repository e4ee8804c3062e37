// The setup and card-format screens wired to their settings and to a simulated reader.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/data/readers_table.h"
#include "gui/maintenance/barsetup_form.h"
#include "gui/maintenance/setup_form.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

class setup_screens : public testing::Test {
  protected:
    test::running_program program;
    sim_fixture sim;
    autorun::override_selection selection;
    quint16 port = 0;

    void SetUp() override {
        port = sim.start_tcp({sim_fixture::zep_reader()});
        test::single_tcp_reader(program.state(), port);
    }
    void click(QWidget* form, const char* name) {
        test::child<QPushButton>(form, name)->click();
        ASSERT_TRUE(test::wait_until([this] { return !program.window->jobs().running(); }, 10000));
    }
    static QStringList lines(QWidget* form) {
        auto* list = test::child<QListWidget>(form, "result_list");
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
};

TEST_F(setup_screens, setup_keeps_its_choices_and_sends_to_one_or_all_readers) {
    auto* form = new gui::setup_form(program.screen, selection);
    auto* reclen = test::child<QLineEdit>(form, "reclen");
    reclen->clear();
    QTest::keyClicks(reclen, "1x2");
    EXPECT_EQ(reclen->text(), "12");
    EXPECT_EQ(program.state().settings.reclen, 12);
    test::child<QRadioButton>(form, "accum_mode")->click();
    EXPECT_EQ(program.state().settings.defreadermode, "4");
    click(form, "set_mode");
    EXPECT_EQ(program.answers.messages, QStringList({"Reader mode set"}));
    EXPECT_TRUE(sim_fixture::wait_until([&] { return sim.history(0, 0).size() == 1; }));
    EXPECT_EQ(sim.history(0, 0), (std::vector<QByteArray>{"|5"}));

    ASSERT_TRUE(
        data::readers_table(*program.state().db).insert_all({test::tcp_reader_row(4, port)}));
    test::child<QCheckBox>(form, "applyallsetmode")->click();
    EXPECT_EQ(program.state().settings.applyallsetmode, "Y");
    click(form, "set_mode");
    EXPECT_EQ(lines(form), QStringList({"Setting mode in all active readers", " ",
                                        "Reader 004 - Reader mode set"}));
}

TEST_F(setup_screens, barsetup_keeps_its_choices_and_lists_what_it_sent) {
    auto* form = new gui::barsetup_form(program.screen, selection);
    test::child<QCheckBox>(form, "code128")->click();
    EXPECT_EQ(program.state().settings.barsettings, "1111110000");
    click(form, "clear_masking");
    EXPECT_EQ(lines(form), QStringList({"Table/Mask Reset - command sent"}));
    EXPECT_TRUE(sim_fixture::wait_until([&] { return !sim.history(0, 0).empty(); }));
    EXPECT_EQ(sim.history(0, 0), (std::vector<QByteArray>{QByteArray("\0TR", 3)}));
}

}  // namespace
}  // namespace zep
