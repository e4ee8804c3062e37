// The network manager and terminal mode screens, driven through the main window against a
// simulated TCP reader.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "gui/nettools/termmode_form.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

class nettools_screens : public testing::Test {
  protected:
    test::running_program program;
    test::sim_fixture sim;

    QWidget* open(const char* screen) {
        program.window->open_entry(program.window->command_menu(), QString::fromLatin1(screen));
        return test::current_screen(*program.window);
    }
};

TEST_F(nettools_screens, single_poll_leaves_the_menus_live_and_another_entry_stops_it) {
    test::single_tcp_reader(program.state(),
                            sim.start_tcp({test::sim_fixture::zep_reader(3, true)}), 3);
    QWidget* netman = open("netman");
    const auto enabled = [netman](const char* button) {
        return test::child<QPushButton>(netman, button)->isEnabled();
    };
    EXPECT_FALSE(enabled("stop_test") || enabled("stop_test_poll"));  // nothing to stop
    test::child<QPushButton>(netman, "test_poll")->click();
    EXPECT_TRUE(enabled("stop_test_poll") && !enabled("stop_test") && !enabled("test"));
    // The reader has nothing to say (ACK STX NUL ETX): the list stays empty.
    ASSERT_TRUE(test::wait_until([&] { return sim.received(0).count("\x83\x02?\x03") >= 2; }));
    EXPECT_TRUE(program.window->jobs().running());
    EXPECT_FALSE(program.state().busy);

    open("commform");
    EXPECT_FALSE(program.window->jobs().running());
    EXPECT_TRUE(program.answers.messages.isEmpty());
    EXPECT_FALSE(enabled("stop_test_poll"));
}

TEST_F(nettools_screens, polls_that_cannot_connect_keep_their_lists) {
    test::single_tcp_reader(program.state(), test::closed_tcp_port(), 3);
    QWidget* netman = open("netman");
    for (const auto& [button, list] :
         {std::pair{"test", "online_list"}, {"test_poll", "poll_list"}}) {
        test::child<QListWidget>(netman, list)->addItem("found before");
        test::child<QPushButton>(netman, button)->click();
        ASSERT_TRUE(test::wait_until([&] { return !program.window->jobs().running(); }));
        EXPECT_EQ(test::child<QListWidget>(netman, list)->count(), 1) << list;
    }
    EXPECT_EQ(program.answers.messages, QStringList({"Unable to establish tcp/ip connection",
                                                     "Unable to establish TCP/IP connection"}));
}

TEST_F(nettools_screens, terminal_sends_typed_keys_and_draws_the_answer) {
    sim::reader_config reader = test::sim_fixture::zep_reader();
    reader.ident = "ZEP T";
    test::single_tcp_reader(program.state(), sim.start_tcp({reader}));
    program.window->show();  // the terminal's link is open while its screen shows
    auto* form = qobject_cast<gui::termmode_form*>(open("termmode"));
    ASSERT_NE(form, nullptr);
    auto* status = test::child<QLabel>(form, "terminal_status");
    ASSERT_TRUE(test::wait_until([&] { return status->text() == "Status: tcp/ip port connected"; }))
        << status->text().toStdString();

    QTest::keyClick(form->display(), 'V');
    QTest::keyClick(form->display(), '\r');
    ASSERT_TRUE(test::wait_until([&] { return form->grid().cell(1, 8).has_value(); }));
    EXPECT_EQ(sim.received(0), "V\r");
    const auto cell = [&](int column) { return *form->grid().cell(1, column); };
    EXPECT_EQ(cell(1).byte, 'V');
    EXPECT_EQ(cell(1).direction, nettools::byte_direction::sent);
    EXPECT_EQ(cell(2).byte, 13);
    EXPECT_EQ(cell(8).byte, 13);  // "ZEP T" CR after V CR
    EXPECT_EQ(cell(8).direction, nettools::byte_direction::received);
}

}  // namespace
}  // namespace zep
