// The reader link against simulated readers over loopback TCP and a pty line.
#include <gtest/gtest.h>

#include "core/link/reader_exchange.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::pty_link;
using test::sim_fixture;
using test::tcp_link;

class link_over_sim : public testing::Test, protected test::sim_session {};

TEST_F(link_over_sim, answers_without_data_and_bodies_that_come_late) {
    sim::reader_config late = sim_fixture::zep_reader(3, true);
    late.faults.late_body_ms = 250;
    const quint16 line = sim.start_tcp({late});
    const QString plain_pty = sim.start_pty({sim_fixture::zep_reader()});
    link::reader_exchange exchange(link, tcp_link(line, 3));
    ASSERT_TRUE(exchange.open());
    EXPECT_TRUE(exchange.command_ack("cd", 2000));
    // A command whose answer is not known: the lone ACK is the answer once the time is up.
    const link::link_read bare = exchange.command_or_ack("cl", 300);
    EXPECT_FALSE(bare.error);
    EXPECT_TRUE(bare.text.isEmpty());
    EXPECT_EQ(exchange.command_or_ack("V", 2000).text, "ZEP Reader V4.12 (simulated)");
    EXPECT_EQ(exchange.command("z", 2000).text.size(), 20);
    // The wake-up ACK, the frames, and an ACK for each reply with data.
    const auto frame = [](const QByteArray& text) { return "\x83\x02" + text + "\x03"; };
    const QByteArray sent =
        "\x06" + frame("cd") + frame("cl") + frame("V") + "\x06" + frame("z") + "\x06";
    EXPECT_EQ(sim.received_settled(0, sent), sent);

    // Plain mode: no answer comes and none is awaited.
    link::reader_exchange plain(link, pty_link(plain_pty));
    ASSERT_TRUE(plain.open());
    EXPECT_LT(test::elapsed_ms([&] { EXPECT_TRUE(plain.command_ack("cd", 5000)); }), 2500);
    EXPECT_EQ(sim.received_settled(1, "cd\r"), "cd\r");
}

// NAKs, garbage and silence fail each command: the fault matrix holds them.
TEST_F(link_over_sim, split_replies_arrive_whole) {
    for (const bool protocol : {true, false}) {
        sim::reader_config split = sim_fixture::zep_reader(0, protocol);
        split.faults.split = true;
        link::reader_exchange exchange(link, tcp_link(sim.start_tcp({split}), protocol ? 0 : -1));
        ASSERT_TRUE(exchange.open());
        EXPECT_EQ(exchange.command("V", 2000).text, "ZEP Reader V4.12 (simulated)");
    }
}

TEST_F(link_over_sim, links_that_cannot_be_made_fail_at_once) {
    const quint16 closed = test::closed_tcp_port();
    EXPECT_LT(test::elapsed_ms([&] {
                  EXPECT_FALSE(link.connect_tcp_for_reader("127.0.0.1", QString::number(closed)));
                  // Nothing is dialled for a port text that is no port.
                  for (const char* port : {"", "40x1", "70000"})
                      EXPECT_FALSE(link.connect_tcp_for_reader("127.0.0.1", port)) << port;
              }),
              2500);
    EXPECT_FALSE(link.tcp_connected());
    link::reader_exchange framed(link, tcp_link(closed, 128));
    EXPECT_EQ(framed.open().error(), "Invalid protocol address");
}

// That the next connection works is the fault matrix's.
TEST_F(link_over_sim, a_connection_dropped_mid_reply_fails_the_read_at_once) {
    sim::reader_config r = sim_fixture::zep_reader(0, true);
    r.faults.drop_mid_reply = 5;
    link::reader_exchange exchange(link, tcp_link(sim.start_tcp({r}), 0));
    ASSERT_TRUE(exchange.open());
    EXPECT_TRUE(link.tcp_connected());
    link::link_read cut;
    // Well under the armed time: the read does not wait for a peer that has gone.
    EXPECT_LT(test::elapsed_ms([&] { cut = exchange.command("V", 5000); }), 2500);
    EXPECT_TRUE(cut.error);
    EXPECT_EQ(cut.text, "\x06\x02ZEP");
    EXPECT_FALSE(link.tcp_connected());
}

TEST_F(link_over_sim, every_wait_ends_soon_after_a_cancel) {
    test::silent_tcp_host silent_host;
    sim::reader_config mute = sim_fixture::zep_reader();
    mute.faults.silent = true;
    const quint16 mute_port = sim.start_tcp({mute});
    int polls = 0;
    link.set_cancel_check([&polls] { return ++polls > 4; });

    // The single reader's 50 s connect and a 5 s read end a few polls after the cancel.
    EXPECT_LT(test::elapsed_ms([&] {
                  EXPECT_FALSE(
                      link.connect_tcp("127.0.0.1", QString::number(silent_host.port()), 50'000));
              }),
              2500);
    EXPECT_EQ(polls, 5);
    polls = 0;
    link::reader_exchange exchange(link, tcp_link(mute_port));
    ASSERT_TRUE(exchange.open());
    EXPECT_LT(test::elapsed_ms([&] { EXPECT_TRUE(exchange.command("V", 5000).error); }), 2500);
}

}  // namespace
}  // namespace zep
