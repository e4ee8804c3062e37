// Apply-to-all actions over a mixed, partly failing network of simulated readers.
#include <gtest/gtest.h>

#include <QTcpServer>

#include "core/autorun/override_selection.h"
#include "core/data/readers_table.h"
#include "core/data/settings_record.h"
#include "core/link/reader_link.h"
#include "core/maintenance/utilities_walks.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

quint16 closed_tcp_port() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) return 0;
    return server.serverPort();
}

data::reader_row reader(int number, const QString& commmode, const QString& protocol = "N",
                        const QString& address = "") {
    data::reader_row r;
    r.readernum = static_cast<qint16>(number);
    r.readername = QString("Reader %1").arg(number);
    r.active = "Y";
    r.commmode = commmode;
    r.protocol = protocol;
    r.address422 = address;
    r.timezone = "0";
    return r;
}

data::reader_row tcp_reader(int number, const QString& commmode, quint16 port,
                            const QString& protocol = "N", const QString& address = "") {
    data::reader_row r = reader(number, commmode, protocol, address);
    r.ipaddress = "127.0.0.1";
    r.Port = QString::number(port);
    return r;
}

// Lines: 0 plain TCP, 1 protocol TCP (address 3), 2 a pty with protocol readers at 5
// and 6, 3 a silent TCP reader, 4 a TCP reader with four-character records that says
// "N" to longer IDs.
class mixed_network : public testing::Test {
  protected:
    sim_fixture sim;
    test::temp_database temp;
    data::settings_record settings;
    link::reader_link link;
    test::scripted_operator person;

    void SetUp() override {
        const quint16 plain = sim.start_tcp({sim_fixture::zep_reader()});
        const quint16 framed = sim.start_tcp({sim_fixture::zep_reader(3, true)});
        const QString pty =
            sim.start_pty({sim_fixture::zep_reader(5, true), sim_fixture::zep_reader(6, true)});
        sim::reader_config silent = sim_fixture::zep_reader();
        silent.faults.silent = true;
        const quint16 quiet = sim.start_tcp({silent});
        sim::reader_config short_records = sim_fixture::ko_reader();
        short_records.record_length = 4;
        short_records.faults.refuse_long_ids = true;
        const quint16 short_port = sim.start_tcp({short_records});
        qputenv("ZEP_COM2", pty.toLocal8Bit());

        data::reader_row inactive = tcp_reader(9, "tcp/ip", plain);
        inactive.active = "";
        data::reader_row behind = reader(4, "Com2 19200", "Y", "6");
        behind.timezone = "-2";
        const std::vector<data::reader_row> rows{
            tcp_reader(1, "tcp/ip", plain),
            tcp_reader(2, "T", framed, "Y", "3"),
            reader(3, "Com2 19200", "Y", "5"),
            behind,
            reader(7, ""),
            tcp_reader(8, "tcp/ip", closed_tcp_port()),
            inactive,
            tcp_reader(10, "T", quiet),
            reader(11, "Com2 19200", "Y", "9"),
            tcp_reader(12, "tcp/ip", plain, "Y", "127"),
            reader(13, "Com9 9600"),
            tcp_reader(14, "T", short_port),
        };
        ASSERT_TRUE(data::readers_table(temp.db()).insert_all(rows));
    }

    void TearDown() override { qunsetenv("ZEP_COM2"); }

    maintenance::walk_inputs inputs() {
        const autorun::override_selection never_opened;
        return maintenance::load_walk_inputs(temp.db(), settings, never_opened);
    }

    QStringList failing_lines(const QString& serial_failed) {
        return {"Reader 007 - no Com port or ip address specified",
                "Reader 008 - Cannot establish tcp/ip connection",
                "Reader 010 - No response from reader",
                "Reader 011 - Error communicating with reader",
                "Reader 012 Invalid protocol address",
                serial_failed};
    }

    std::vector<sim::access_entry> ids(int line, int index) { return sim.access_list(line, index); }
};

TEST_F(mixed_network, add_and_delete_everywhere) {
    person.text_answers = {QString("ABC123")};
    const records::walk_result added = maintenance::doall_addhocadd(link, inputs(), person);
    QStringList expected{"Adding ABC123 to all active readers",
                         " ",
                         "Reader 001 - ID added",
                         "Reader 002 - ID added",
                         "Reader 003 - ID added",
                         "Reader 004 - ID added"};
    expected += failing_lines("Reader 013 - unable to open Com port");
    expected << "Reader 014 - Invalid response";
    EXPECT_EQ(added.lines, expected);
    EXPECT_EQ(person.status_lines, expected);
    EXPECT_TRUE(person.messages.isEmpty());
    const std::vector<sim::access_entry> one{{"ABC123", 0}};
    EXPECT_EQ(ids(0, 0), one);
    EXPECT_EQ(ids(1, 0), one);
    EXPECT_EQ(ids(2, 0), one);
    EXPECT_EQ(ids(2, 1), one);
    EXPECT_TRUE(ids(4, 0).empty());
    EXPECT_FALSE(link.serial_open());
    EXPECT_FALSE(link.tcp_connected());

    // The ID given up front (as the command line does) is not asked for.
    person.status_lines.clear();
    const records::walk_result deleted =
        maintenance::doall_adhocdelete(link, inputs(), person, QString("ABC123"));
    expected = QStringList{"Deleting ABC123 from all active readers",
                           " ",
                           "Reader 001 - ID deleted",
                           "Reader 002 - ID deleted",
                           "Reader 003 - ID deleted",
                           "Reader 004 - ID deleted"};
    expected += failing_lines("Reader 013 - unable to open Com port");
    expected << "Reader 014 - ID not found";
    EXPECT_EQ(deleted.lines, expected);
    EXPECT_TRUE(ids(0, 0).empty());
    EXPECT_TRUE(ids(2, 1).empty());
    EXPECT_EQ(person.prompts.size(), 1);
}

TEST_F(mixed_network, set_time_everywhere_with_each_time_zone) {
    // Friday 1 March 2024, half past midnight: two hours back is Thursday 29 February.
    test::fixed_clock clock(QDateTime(QDate(2024, 3, 1), QTime(0, 30, 0)));
    const records::walk_result set = maintenance::doall_settime(link, inputs(), clock, person);
    QStringList expected{"Setting time in all active readers",
                         " ",
                         "Reader 001 - Time set",
                         "Reader 002 - Time set",
                         "Reader 003 - Time set",
                         "Reader 004 - Time set"};
    expected += failing_lines("Unable to open comm port for reader 013");
    expected << "Reader 014 - Time set";
    EXPECT_EQ(set.lines, expected);
    EXPECT_EQ(sim.history(0, 0).back(), "+2403010030005");
    EXPECT_EQ(sim.history(1, 0).back(), "+2403010030005");
    EXPECT_EQ(sim.history(2, 0).back(), "+2403010030005");
    EXPECT_EQ(sim.history(2, 1).back(), "+2402292230004");
    EXPECT_EQ(sim.history(4, 0).back(), "+2403010030005");
}

TEST_F(mixed_network, time_zone_shift_crosses_the_year_and_a_sunday_sends_7) {
    data::readers_table table(temp.db());
    data::reader_row ahead = **table.find(1);
    ahead.timezone = "5";
    ASSERT_TRUE(table.update(ahead));
    autorun::override_selection selection;
    selection.loadup(*table.all());
    selection.clear_all();
    selection.set(1, true);
    selection.set(4, true);
    // Saturday 31 December 2022, 21:00: five hours on is Sunday 1 January 2023, 02:00.
    test::fixed_clock clock(QDateTime(QDate(2022, 12, 31), QTime(21, 0, 0)));
    const records::walk_result set = maintenance::doall_settime(
        link, maintenance::load_walk_inputs(temp.db(), settings, selection), clock, person);
    EXPECT_EQ(set.lines, QStringList({"Setting time in all active readers", " ",
                                      "Reader 001 - Time set", "Reader 004 - Time set"}));
    EXPECT_EQ(sim.history(0, 0).back(), "+2301010200007");
    EXPECT_EQ(sim.history(2, 1).back(), "+2212311900006");
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& x) { return x.last_weekday; }), 7);
}

TEST_F(mixed_network, override_selection_replaces_the_active_marks) {
    data::readers_table table(temp.db());
    autorun::override_selection selection;
    // Opened and left: the marks of that moment, whatever the table says later.
    selection.loadup(*table.all());
    data::reader_row now_inactive = **table.find(1);
    now_inactive.active = "";
    ASSERT_TRUE(table.update(now_inactive));
    data::reader_row now_active = **table.find(9);
    now_active.active = "Y";
    ASSERT_TRUE(table.update(now_active));
    const maintenance::walk_inputs opened =
        maintenance::load_walk_inputs(temp.db(), settings, selection);
    EXPECT_TRUE(opened.targets.test(1));
    EXPECT_FALSE(opened.targets.test(9));

    // Only reader 009 picked: the inactive reader is reached through the selection.
    selection.clear_all();
    selection.set(9, true);
    const records::walk_result added = maintenance::doall_addhocadd(
        link, maintenance::load_walk_inputs(temp.db(), settings, selection), person, QString("77"));
    EXPECT_EQ(added.lines,
              QStringList({"Adding 77 to all active readers", " ", "Reader 009 - ID added"}));

    // Cleared: nothing is reached and the operator is told so.
    selection.clear_all();
    const records::walk_result none = maintenance::doall_addhocadd(
        link, maintenance::load_walk_inputs(temp.db(), settings, selection), person);
    EXPECT_EQ(none.end, records::walk_end::no_active_readers);
    EXPECT_EQ(person.messages, QStringList{"There are no active readers"});
    EXPECT_TRUE(person.prompts.isEmpty());
}

}  // namespace
}  // namespace zep
