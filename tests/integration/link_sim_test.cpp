// The reader link against simulated readers over loopback TCP and a pty line.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>

#include "core/link/reader_exchange.h"
#include "core/link/wire.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

link::link_endpoint tcp_endpoint(quint16 port, bool protocol = false, int address = 0) {
    link::link_endpoint e;
    e.link = link::link_endpoint::kind::tcp;
    e.host = QStringLiteral("127.0.0.1");
    e.port_text = QString::number(port);
    e.connect_ms = link::reader_link::reader_connect_ms;
    e.protocol = protocol;
    e.address = address;
    return e;
}

link::link_endpoint serial_endpoint(const QString& device, bool protocol = false, int address = 0) {
    link::link_endpoint e;
    e.device = device;
    e.baud = 9600;
    e.protocol = protocol;
    e.address = address;
    return e;
}

sim::reader_config named(sim::reader_config r, const char* ident) {
    r.ident = ident;
    return r;
}

// One exchange from open to close, as `zep send` does it.
link::link_read ask(const link::link_endpoint& e, const QByteArray& text, int timeout_ms = 0,
                    bool double_terminator = false) {
    link::reader_link link;
    link::reader_exchange exchange(link, e);
    if (!exchange.open()) return {{}, true};
    return exchange.command(text, timeout_ms > 0 ? timeout_ms : link::standard_timeout_ms(e),
                            double_terminator);
}

TEST(link_over_tcp, plain_and_protocol_replies) {
    sim_fixture sim;
    const quint16 plain = sim.start_tcp({named(sim_fixture::zep_reader(0, false), "PLAIN ONE")});
    const quint16 line = sim.start_tcp({named(sim_fixture::zep_reader(0, true), "AT ZERO"),
                                        named(sim_fixture::zep_reader(5, true), "AT FIVE")});
    EXPECT_EQ(ask(tcp_endpoint(plain), "V").text, "PLAIN ONE");
    // Address bytes 128 and 133 reach only their own reader.
    EXPECT_EQ(ask(tcp_endpoint(line, true, 0), "V").text, "AT ZERO");
    EXPECT_EQ(ask(tcp_endpoint(line, true, 5), "V").text, "AT FIVE");
    EXPECT_TRUE(ask(tcp_endpoint(line, true, 6), "V", 300).error);
}

TEST(link_over_tcp, global_address_is_taken_by_all_and_awaited_by_none) {
    sim_fixture sim;
    const quint16 line =
        sim.start_tcp({sim_fixture::zep_reader(1, true), sim_fixture::zep_reader(2, true)});
    link::reader_link link;
    link::reader_exchange exchange(link, tcp_endpoint(line, true, link::wire::global_address));
    ASSERT_TRUE(exchange.open());
    const link::link_read reply = exchange.command("s1", 2000);
    EXPECT_FALSE(reply.error);
    EXPECT_TRUE(reply.text.isEmpty());
    for (int r : {0, 1}) {
        EXPECT_TRUE(sim_fixture::wait_until([&] {
            return sim.with_reader(0, r, [](sim::reader& x) { return x.rs232_logging; });
        })) << "reader "
            << r;
    }
}

TEST(link_over_tcp, protocol_ack_only_and_command_ack) {
    sim_fixture sim;
    const quint16 line = sim.start_tcp({sim_fixture::zep_reader(3, true)});
    link::reader_link link;
    link::reader_exchange exchange(link, tcp_endpoint(line, true, 3));
    ASSERT_TRUE(exchange.open());
    EXPECT_TRUE(exchange.command_ack("cd", 2000));
    const link::link_read bare = exchange.command_or_ack("cl", 2000);
    EXPECT_FALSE(bare.error);
    EXPECT_TRUE(bare.text.isEmpty());
    const link::link_read data = exchange.command_or_ack("t", 2000);
    EXPECT_FALSE(data.error);
    EXPECT_EQ(data.text.size(), 12);
}

TEST(link_over_tcp, nak_garbage_and_silence_are_failures) {
    sim_fixture sim;
    sim::reader_config nak = sim_fixture::zep_reader(0, true);
    nak.faults.nak = true;
    sim::reader_config silent = sim_fixture::zep_reader(0, false);
    silent.faults.silent = true;
    sim::reader_config garbage = sim_fixture::zep_reader(0, false);
    garbage.faults.garbage = true;
    const quint16 nak_port = sim.start_tcp({nak});
    const quint16 silent_port = sim.start_tcp({silent});
    const quint16 garbage_port = sim.start_tcp({garbage});

    EXPECT_TRUE(ask(tcp_endpoint(nak_port, true, 0), "V").error);
    EXPECT_TRUE(ask(tcp_endpoint(garbage_port), "V", 300).error);

    // A silent reader fails only once the armed time has passed.
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(ask(tcp_endpoint(silent_port), "V", 250).error);
    EXPECT_GE(clock.elapsed(), 240);
}

TEST(link_over_tcp, split_replies_are_joined) {
    sim_fixture sim;
    sim::reader_config split = named(sim_fixture::zep_reader(0, true), "IN TWO PIECES");
    split.faults.split = true;
    sim::reader_config split_plain = named(sim_fixture::zep_reader(0, false), "PLAIN PIECES");
    split_plain.faults.split = true;
    const quint16 port = sim.start_tcp({split});
    const quint16 plain_port = sim.start_tcp({split_plain});
    EXPECT_EQ(ask(tcp_endpoint(port, true, 0), "V").text, "IN TWO PIECES");
    EXPECT_EQ(ask(tcp_endpoint(plain_port), "V").text, "PLAIN PIECES");
}

TEST(link_over_tcp, upload_record_ending_in_the_terminator_arrives_whole) {
    sim_fixture sim;
    sim::reader_config r = sim_fixture::zep_reader(0, false);
    r.record_length = 6;
    r.ids = {{"1234", 13}};
    sim::reader_config p = sim_fixture::zep_reader(0, true);
    p.record_length = 6;
    p.ids = {{"77", 3}};
    const quint16 plain = sim.start_tcp({r});
    const quint16 framed = sim.start_tcp({p});
    {
        link::reader_link link;
        link::reader_exchange exchange(link, tcp_endpoint(plain));
        ASSERT_TRUE(exchange.open());
        exchange.send_command("ur");
        const link::link_read record = exchange.command("u", 2000, true);
        ASSERT_FALSE(record.error);
        EXPECT_EQ(record.text, QByteArray("  1234\r"));
        EXPECT_EQ(exchange.command("u", 2000, true).text, "END");
    }
    {
        link::reader_link link;
        link::reader_exchange exchange(link, tcp_endpoint(framed, true, 0));
        ASSERT_TRUE(exchange.open());
        ASSERT_TRUE(exchange.command_ack("ur", 2000));
        const link::link_read record = exchange.command("u", 2000, true);
        ASSERT_FALSE(record.error);
        EXPECT_EQ(record.text, QByteArray("    77\x03"));
    }
}

TEST(link_over_tcp, refused_and_unusable_endpoints_fail_at_once) {
    quint16 closed_port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closed_port = probe.serverPort();
    }
    QElapsedTimer clock;
    clock.start();
    link::reader_link link;
    EXPECT_FALSE(link.connect_tcp_for_reader("127.0.0.1", QString::number(closed_port)));
    EXPECT_FALSE(link.tcp_connected());
    // Nothing is dialled for a port text that is no port.
    EXPECT_FALSE(link.connect_tcp_for_reader("127.0.0.1", ""));
    EXPECT_FALSE(link.connect_tcp_for_reader("127.0.0.1", "40x1"));
    EXPECT_FALSE(link.connect_tcp_for_reader("127.0.0.1", "70000"));
    EXPECT_LT(clock.elapsed(), link::reader_link::reader_connect_ms);

    link::reader_exchange exchange(link, tcp_endpoint(closed_port));
    EXPECT_EQ(exchange.open().error(), QString("Unable to establish tcp/ip connection"));
    link::reader_exchange framed(link, tcp_endpoint(closed_port, true, 128));
    EXPECT_EQ(framed.open().error(), QString("Invalid protocol address"));
}

TEST(link_over_tcp, dropped_connection_fails_the_exchange_and_the_next_connect_works) {
    sim_fixture sim;
    sim::reader_config r = sim_fixture::zep_reader(0, false);
    r.faults.drop_after = 1;
    const quint16 port = sim.start_tcp({r});
    link::reader_link link;
    {
        link::reader_exchange exchange(link, tcp_endpoint(port));
        ASSERT_TRUE(exchange.open());
        EXPECT_FALSE(exchange.command("V", 2000).error);
        EXPECT_TRUE(exchange.command("V", 500).error);
    }
    EXPECT_FALSE(link.tcp_connected());
    link::reader_exchange again(link, tcp_endpoint(port));
    ASSERT_TRUE(again.open());
    EXPECT_TRUE(link.tcp_connected());
    EXPECT_FALSE(again.command("V", 2000).error);
}

TEST(link_over_pty, multi_drop_line_answers_by_address) {
    sim_fixture sim;
    const QString line = sim.start_pty({named(sim_fixture::zep_reader(1, true), "GATE A"),
                                        named(sim_fixture::ko_reader(2, true), "GATE B")});
    EXPECT_EQ(ask(serial_endpoint(line, true, 1), "V").text, "GATE A");
    EXPECT_EQ(ask(serial_endpoint(line, true, 2), "V").text, "GATE B");
    EXPECT_TRUE(ask(serial_endpoint(line, true, 3), "V").error);
    // Only the addressed reader took the command.
    EXPECT_EQ(sim.history(0, 0).size(), 1u);
    EXPECT_EQ(sim.history(0, 1).size(), 1u);
}

TEST(link_over_pty, plain_reader_and_link_state) {
    sim_fixture sim;
    const QString line = sim.start_pty({named(sim_fixture::zep_reader(0, false), "PLAIN PTY")});
    link::reader_link link;
    {
        link::reader_exchange exchange(link, serial_endpoint(line));
        ASSERT_TRUE(exchange.open());
        EXPECT_TRUE(link.serial_open());
        EXPECT_EQ(exchange.command("V", 200).text, "PLAIN PTY");
        // Commands without data get no answer in plain mode and are not waited for.
        EXPECT_TRUE(exchange.command_ack("cd", 200));
        EXPECT_EQ(exchange.command("z", 1000).text.size(), 20);
    }
    EXPECT_FALSE(link.serial_open());
    link.close_all_links();
    EXPECT_TRUE(link.terminal_stop());

    link::reader_exchange missing(link, serial_endpoint("/dev/zep-no-such-port"));
    EXPECT_EQ(missing.open().error(), QString("Unable to open comm port"));
}

TEST(link_over_pty, paced_line_still_completes_within_the_time_out) {
    sim_fixture sim;
    sim::reader_config slow = named(sim_fixture::zep_reader(4, true), "SLOW LINE READER");
    slow.faults.baud = 9600;
    const QString line = sim.start_pty({slow});
    EXPECT_EQ(ask(serial_endpoint(line, true, 4), "V", 400).text, "SLOW LINE READER");
}

}  // namespace
}  // namespace zep
