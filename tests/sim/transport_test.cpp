#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <functional>

#include "tests/sim/wire_bytes.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep::sim {
namespace {

using namespace testing;
using test::sim_fixture;

bool data_done(const QByteArray& b) {
    return b.size() >= 3 && b.startsWith("\x06\x02") && b.endsWith('\x03');
}
bool whole_reply(const QByteArray& b) {
    return b == ack || b == nak || data_done(b);
}
bool plain_done(const QByteArray& b) {
    return b.endsWith('\r');
}

QByteArray exchange(QIODevice& device, const QByteArray& bytes,
                    const std::function<bool(const QByteArray&)>& done = whole_reply) {
    device.write(bytes);
    device.waitForBytesWritten(3000);
    QByteArray got;
    const QDeadlineTimer deadline(3000);
    while (!done(got)) {
        if (device.bytesAvailable() == 0 &&
            !device.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        got += device.readAll();
    }
    return got;
}

std::unique_ptr<QTcpSocket> connect_to(quint16 port) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(socket->waitForConnected(3000)) << socket->errorString().toStdString();
    return socket;
}

TEST(sim_tcp, connections_share_the_readers_and_each_keeps_its_own_transcript) {
    sim_fixture sim;
    const quint16 port =
        sim.start_tcp({sim_fixture::zep_reader(1, true), sim_fixture::ko_reader(2, true)});
    auto first = connect_to(port);
    auto second = connect_to(port);
    EXPECT_EQ(exchange(*first, "\x06" + framed(1, "AN0001234")), data_reply("A"));
    EXPECT_EQ(exchange(*second, framed(1, "z")), data_reply("00486000010500000000"));
    EXPECT_EQ(exchange(*second, framed(2, "V")), data_reply("KO Reader V4.12 (simulated)"));
    first->write("\x06");  // an ACK alone is no command
    const std::vector<QByteArray> transcripts{"\x06" + framed(1, "AN0001234") + "\x06",
                                              framed(1, "z") + framed(2, "V")};
    EXPECT_TRUE(first->waitForBytesWritten(3000));
    EXPECT_TRUE(sim_fixture::wait_until([&] { return sim.network(0).received(0) == transcripts; }));
    EXPECT_EQ(sim.history(0, 1), (std::vector<QByteArray>{"V"}));
}

// A cut in the middle of a reply is held by the link's tests and the fault matrix.
TEST(sim_tcp, dropped_connections_and_a_new_one_that_works) {
    sim_fixture sim;
    reader_config c = sim_fixture::zep_reader(0, false);
    c.faults.drop_after = 2;
    const quint16 port = sim.start_tcp({c});
    auto socket = connect_to(port);
    EXPECT_EQ(exchange(*socket, plain("V"), plain_done), zep_ident + '\r');
    EXPECT_EQ(exchange(*socket, plain("V"), plain_done), zep_ident + '\r')
        << "the last reply still gets out";
    EXPECT_TRUE(socket->state() == QAbstractSocket::UnconnectedState ||
                socket->waitForDisconnected(3000));

    sim.with_reader(0, 0, [](reader& r) { r.faults = {}; });
    auto again = connect_to(port);
    EXPECT_EQ(exchange(*again, plain("V"), plain_done), zep_ident + '\r');
}

TEST(sim_tcp, a_port_in_use_is_reported_not_served) {
    sim_fixture sim;
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    scenario s;
    s.lines.push_back({line_config::tcp, port, {reader_config{}}});
    QString error;
    EXPECT_EQ(sim_network::start(s, &error), nullptr);
    EXPECT_TRUE(error.startsWith(QLatin1String("tcp line 0"))) << error.toStdString();
}

}  // namespace
}  // namespace zep::sim
