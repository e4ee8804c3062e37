// The utilities screen's apply-to-all actions over a small mixed reader network: the
// result list gets the header and one line per selected reader.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>

#include "core/data/readers_table.h"
#include "gui/maintenance/utilities_form.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

const QDateTime sunday(QDate(2019, 3, 3), QTime(10, 20, 30));

data::reader_row reader(int number, const QString& commmode, const QString& protocol = "N",
                        const QString& address = "") {
    data::reader_row r;
    r.readernum = static_cast<qint16>(number);
    r.location = QStringLiteral("Gate %1").arg(number);
    r.active = "Y";
    r.timezone = "0";
    r.commmode = commmode;
    r.protocol = protocol;
    r.address422 = address;
    return r;
}

// 000 plain TCP, 001 protocol reader on Com1 (a pty), 002 without a link, 003 inactive,
// 004 with an address the line cannot carry.
class utilities_walk_screen : public testing::Test {
  protected:
    test::running_program program;
    sim_fixture sim;
    test::fixed_clock clock{sunday};
    autorun::override_selection selection;
    gui::utilities_form* form = nullptr;

    void SetUp() override {
        const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
        program.state().settings.comdevice[0] = sim.start_pty({sim_fixture::zep_reader(1, true)});
        data::reader_row tcp = reader(0, "tcp/ip");
        tcp.ipaddress = QStringLiteral("127.0.0.1");
        tcp.Port = QString::number(port);
        data::reader_row asleep = reader(3, "");
        asleep.active = "";
        ASSERT_TRUE(data::readers_table(*program.state().db)
                        .insert_all({tcp, reader(1, "Com1 9600", "Y", "1"), reader(2, ""), asleep,
                                     reader(4, "Com1 9600", "Y", "127")}));
    }

    void open() {
        gui::screen_context context{program.state(), program.window->jobs(), program.answers,
                                    program.window->menus(), program.window.get()};
        form = new gui::utilities_form(context, clock, selection);
    }

    void click(const char* name) {
        form->findChild<QPushButton*>(QString::fromLatin1(name))->click();
        ASSERT_TRUE(test::wait_until([this] { return !program.window->jobs().running(); }));
    }

    QStringList results() const {
        QStringList lines;
        auto* list = form->findChild<QListWidget*>(QStringLiteral("result_list"));
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }
};

TEST_F(utilities_walk_screen, set_time_in_all_writes_the_result_list) {
    program.state().settings.setdateall = QStringLiteral("Y");
    open();
    ASSERT_TRUE(form->findChild<QCheckBox*>(QStringLiteral("setdateall"))->isChecked());
    click("set_date_time");
    EXPECT_EQ(results(), QStringList({"Setting time in all active readers", " ",
                                      "Reader 000 - Time set", "Reader 001 - Time set",
                                      "Reader 002 - no Com port or ip address specified",
                                      "Reader 004 Invalid protocol address"}));
    EXPECT_EQ(sim.history(0, 0).back(), "+1903031020307");
    EXPECT_EQ(sim.history(1, 0).back(), "+1903031020307");
    EXPECT_TRUE(program.answers.messages.isEmpty());
}

TEST_F(utilities_walk_screen, add_and_delete_in_all_ask_once_and_follow_the_selection) {
    program.state().settings.addhocaddall = QStringLiteral("Y");
    open();
    program.answers.text_answers = {QStringLiteral("4711"), QStringLiteral("4711")};
    click("adhoc_add");
    EXPECT_EQ(sim.access_list(0, 0), (std::vector<sim::access_entry>{{"4711", 0}}));
    EXPECT_EQ(sim.access_list(1, 0), (std::vector<sim::access_entry>{{"4711", 0}}));

    // The operator leaves only reader 001 selected.
    selection.loadup(*data::readers_table(*program.state().db).all());
    selection.set(0, false);
    selection.set(2, false);
    selection.set(4, false);
    click("adhoc_delete");
    EXPECT_EQ(sim.access_list(0, 0).size(), 1U);
    EXPECT_TRUE(sim.access_list(1, 0).empty());

    EXPECT_EQ(
        results(),
        QStringList({"Adding 4711 to all active readers", " ", "Reader 000 - ID added",
                     "Reader 001 - ID added", "Reader 002 - no Com port or ip address specified",
                     "Reader 004 Invalid protocol address", "Deleting 4711 from all active readers",
                     " ", "Reader 001 - ID deleted"}));
    EXPECT_EQ(program.answers.prompts.size(), 2);
}

TEST_F(utilities_walk_screen, nothing_selected_is_one_message_and_no_lines) {
    program.state().settings.setdateall = QStringLiteral("Y");
    selection.loadup({});
    open();
    click("set_date_time");
    EXPECT_EQ(program.answers.messages, QStringList{"There are no active readers"});
    EXPECT_TRUE(results().isEmpty());
    EXPECT_TRUE(sim.history(0, 0).empty());
}

}  // namespace
}  // namespace zep
