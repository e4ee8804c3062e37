// The network manager and terminal mode against simulated readers on a multi-drop pty
// line and over loopback TCP, and `zep net poll` and the refused --timeout on the command line.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include "core/link/reader_link.h"
#include "core/nettools/network_manager.h"
#include "core/nettools/terminal_link.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep::nettools {
namespace {

using test::sim_fixture;

// Protocol readers at `addresses`; the one at `silent` says nothing.
std::vector<sim::reader_config> protocol_readers(std::vector<int> addresses, int silent = -1) {
    std::vector<sim::reader_config> readers;
    for (int address : addresses) readers.push_back(sim_fixture::zep_reader(address, true));
    for (auto& r : readers) r.faults.silent = r.address == silent;
    return readers;
}

class network_manager : public testing::Test, protected test::sim_session {};

// The endpoints are plain: a poll sends protocol frames whatever the setting.
TEST_F(network_manager, poll_lists_the_readers_online_and_counts_them) {
    struct row {
        std::vector<sim::reader_config> readers;
        address_range range;
        QStringList online;
        const char* summary;
        bool tcp = false;
    };
    const std::vector<row> rows{
        {protocol_readers({0}), {0, 1}, {"Address 000 online"}, "There is 1 reader online"},
        {protocol_readers({0, 1, 2, 3, 4}),
         {0, 4},
         {"Address 000 online", "Address 001 online", "Address 002 online", "Address 003 online",
          "Address 004 online"},
         "There are 5 readers online",
         true},
        // A reader with its protocol off does not answer a poll.
        {{sim_fixture::zep_reader(0, false)}, {0, 0}, {}, "There are no readers online"},
    };
    for (const row& r : rows) {
        sim_fixture line;
        test::scripted_operator told;
        const auto endpoint = r.tcp ? test::tcp_link(line.start_tcp(r.readers))
                                    : test::pty_link(line.start_pty(r.readers));
        const poll_all_result result = poll_all_addresses(link, endpoint, told, r.range);
        EXPECT_EQ(result.end, poll_end::done);
        EXPECT_EQ(result.online, r.online);
        EXPECT_EQ(told.status_lines, r.online);
        EXPECT_EQ(result.summary, r.summary);
        EXPECT_EQ(told.progress_texts.first(), "Checking Address 000");
        EXPECT_EQ(told.progress_texts.last(), r.summary);
        EXPECT_TRUE(line.received(0).startsWith("\x06\x80\x02z\x03"));
    }
}

TEST_F(network_manager, stop_while_address_40_is_polled_sends_no_frame_to_41) {
    const auto endpoint = test::pty_link(sim.start_pty(protocol_readers({0})));
    person.cancel_when = [&] { return sim.received(0).contains("\xa8\x02z\x03"); };
    const poll_all_result result = poll_all_addresses(link, endpoint, person, {38, 50});
    EXPECT_EQ(result.end, poll_end::stopped);
    EXPECT_TRUE(result.summary.isEmpty());
    EXPECT_EQ(person.progress_texts.last(), "");
    EXPECT_FALSE(sim.received(0).contains("\xa9\x02"));
}

TEST_F(network_manager, address_change_sends_its_frame_and_the_reader_moves_or_sends_nothing) {
    const auto endpoint = test::pty_link(sim.start_pty(protocol_readers({5, 0})), 0);
    for (const auto& [from, to] : {std::pair{"0", "127"}, {"127", "0"}, {"", "3"}, {"3", ""}})
        EXPECT_FALSE(change_address(link, endpoint, from, to, person).ok()) << from << to;
    EXPECT_TRUE(sim.received(0).isEmpty());
    // Nobody answers the poll of the new address, so the change is sent.
    EXPECT_TRUE(change_address(link, endpoint, "5", "12", person).ok());
    EXPECT_EQ(sim.received(0), QByteArray("\x06\x8c\x02?\x03\x06\x85\x02\x00IA012\x03", 15));
    sim.network(0).clear_received(0);
    EXPECT_FALSE(change_address(link, endpoint, "12", "0", person).ok());
    EXPECT_EQ(sim.received(0), QByteArray("\x06\x80\x02?\x03"));
    EXPECT_EQ(person.messages,
              QStringList({"Invalid TO address", "Invalid FROM address", "Invalid FROM address",
                           "Invalid TO address",
                           "Address change command sent - verify by rechecking the reader address",
                           "Address 000 is already in use"}));
    EXPECT_EQ(poll_all_addresses(link, endpoint, person, {11, 12}).online,
              QStringList{"Address 012 online"});
}

// "ITP" in protocol mode (its ACK awaited on TCP, let go by on serial) is the fault matrix's.
TEST_F(network_manager, protocol_switch_warns_and_switches_the_reader) {
    const auto plain = test::pty_link(sim.start_pty({sim_fixture::zep_reader(0, false)}));
    // Turning off what the settings already have off: the warning's No sends nothing.
    EXPECT_FALSE(set_protocol(link, plain, false, person).ok());
    EXPECT_EQ(person.questions,
              QStringList{"Warning - Your are turning the protocol off, and in the main\r"
                          "communications screen you have the protocol turned off - continue?"});
    EXPECT_TRUE(sim.received(0).isEmpty());

    EXPECT_TRUE(set_protocol(link, plain, true, person).ok());
    const QByteArray sent("\x00ITP\r", 5);
    EXPECT_EQ(sim.received_settled(0, sent), sent);
    EXPECT_TRUE(sim_fixture::wait_until(
        [&] { return sim.with_reader(0, 0, [](sim::reader& r) { return r.protocol; }); }));
    EXPECT_EQ(person.messages, QStringList());
}

TEST_F(network_manager, single_poll_streams_answers_until_stopped_or_a_time_out) {
    const QString pty = sim.start_pty(protocol_readers({3, 4}, 4));
    person.cancel_after_reports = 3;
    EXPECT_EQ(poll_single_reader(link, test::pty_link(pty, 3), person), poll_end::stopped);
    EXPECT_EQ(person.status_lines, QStringList({"no data", "no data", "no data"}));
    EXPECT_TRUE(sim.received(0).startsWith("\x06\x83\x02?\x03\x06\x83\x02?\x03"));

    test::scripted_operator told;
    EXPECT_EQ(poll_single_reader(link, test::pty_link(pty, 4), told, 1), poll_end::done);
    EXPECT_EQ(told.status_lines, QStringList{"timeout"});

    // Over TCP: three wake-ups, and a time-out fails the poll.
    const quint16 port = sim.start_tcp(protocol_readers({3, 4}, 4));
    test::scripted_operator tcp;
    EXPECT_EQ(poll_single_reader(link, test::tcp_link(port, 3), tcp, 2), poll_end::done);
    const QByteArray sent("\x06\x06\x06\x83\x02?\x03\x06\x83\x02?\x03\x06");
    EXPECT_EQ(sim.received_settled(1, sent), sent);
    EXPECT_TRUE(tcp.status_lines.isEmpty());  // ACK STX NUL ETX says nothing
    EXPECT_EQ(poll_single_reader(link, test::tcp_link(port, 4), tcp), poll_end::failed);
    EXPECT_EQ(tcp.messages, QStringList{"Error 06 - Timeout while communicating with reader"});
}

// Waits with the event loop turning, as the terminal's link needs it.
bool settles(const std::function<bool()>& condition) {
    return sim_fixture::wait_until([&] {
        QCoreApplication::processEvents();
        return condition();
    });
}

TEST(terminal_link, sends_keys_and_hands_on_what_arrives) {
    sim_fixture sim;
    sim::reader_config scanner = sim_fixture::zep_reader();
    scanner.ident = "ZEP TERM";
    const quint16 port = sim.start_tcp({scanner});
    terminal_link link;
    QByteArray arrived;
    QObject::connect(&link, &terminal_link::received, [&](const QByteArray& b) { arrived += b; });
    link.open(test::tcp_link(port));
    EXPECT_EQ(link.status_text(), "Attempting Connection to IP device");
    ASSERT_TRUE(settles([&] { return link.takes_keys(); }));
    EXPECT_EQ(link.status_text(), "Status: tcp/ip port connected");
    EXPECT_TRUE(link.send('V'));
    EXPECT_TRUE(link.send('\r'));
    EXPECT_TRUE(settles([&] { return arrived == "ZEP TERM\r"; })) << arrived.toStdString();
    EXPECT_EQ(sim.received(0), "V\r");

    // An X-mode reader prints its scans unasked.
    link.close();
    scanner.mode = '1';
    scanner.scans = {"1001", "1002"};
    scanner.scan_interval_ms = 20;
    link.open(test::tcp_link(sim.start_tcp({scanner})));
    arrived.clear();
    EXPECT_TRUE(settles([&] { return arrived.startsWith("1001\r1002\r"); }));

    link.open(test::pty_link("/nonexistent/tty"));
    EXPECT_EQ(link.status_text(), "Status: unable to open comm port");
    EXPECT_FALSE(link.send('V'));
}

TEST(net_cli, poll_prints_each_reader_then_the_summary_and_no_command_takes_a_timeout) {
    sim_fixture sim;
    const QString pty = sim.start_pty(protocol_readers({1}));
    QTemporaryDir dir;
    const test::cli_run run =
        test::run_zep(dir.filePath("zep.db"), {"net", "poll", "--range", "0-2", "--serial", pty});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Address 001 online\nThere is 1 reader online\n");

    // `echo V | zep terminal`: the piped line's LF goes out as the reader's Enter, CR.
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    QProcess piped;
    piped.start(ZEP_BINARY, {"--db", dir.filePath("zep.db"), "terminal", "--quiet-ms", "200",
                             "--tcp", QString("127.0.0.1:%1").arg(port)});
    piped.write("V\n");
    piped.closeWriteChannel();
    ASSERT_TRUE(piped.waitForFinished(10000));
    EXPECT_EQ(sim.received(1), "V\r");

    for (const char* words : {"net poll --range 0-0", "net watch --count 1", "net address 1 2",
                              "net protocol off --yes", "terminal"}) {
        const test::cli_run timed = test::run_zep(
            dir.filePath("zep.db"), QString(words).split(' ') + QStringList{"--timeout", "100"});
        EXPECT_EQ(timed.status, 2) << words;
        EXPECT_TRUE(timed.err.contains(": --timeout does not apply: ")) << timed.err.toStdString();
    }
}

}  // namespace
}  // namespace zep::nettools
