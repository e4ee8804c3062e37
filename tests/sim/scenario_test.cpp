#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include "sim/sim_cli.h"
#include "sim/sim_network.h"
#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

const QByteArray full_scenario = R"({"lines": [
  {"transport": "tcp", "port": 0, "readers": [
    {"model": "KO", "address": 7, "protocol": true, "reclen": 12, "capacity_bytes": 1300,
     "old_firmware": true, "ident": "Door 7", "clock_offset_s": -3600, "mode": 5,
     "ids": [{"id": "1234", "schedule": 2}, {"id": 998877, "schedule": 0}],
     "schedules": [{"num": 2, "days": ["08001700", "08001700", "08001700", "08001700",
                                       "08001200", "00000000", "00000000"]}],
     "faults": {"delay_ms": 30, "late_body_ms": 40, "split": true, "refuse_long_ids": true}}]},
  {"transport": "pty", "readers": [
    {"log": {"count": 6, "denied_every": 3, "cards": ["1001"], "seed": 9,
             "start": "240102073000"}},
    {"address": 1}]}]})";

TEST(sim_scenario, every_field_reaches_the_reader) {
    QString error;
    const auto s = load_scenario(full_scenario, &error);
    ASSERT_TRUE(s) << error.toStdString();
    ASSERT_EQ(s->lines.size(), 2u);
    EXPECT_EQ(s->lines[1].kind, line_config::pty);

    const reader r(s->lines[0].readers[0]);
    EXPECT_EQ(std::tuple(r.family, r.address, r.protocol, r.capacity(), r.old_firmware, r.ident,
                         r.clock_offset_s, r.mode),
              std::tuple(reader_family::ko, 7, true, 100, true, QByteArray("Door 7"), -3600, '5'));
    EXPECT_EQ(r.ids.entries(), (std::vector<access_entry>{{"1234", 2}, {"998877", 0}}));
    EXPECT_EQ(r.schedules.window(2, 5), "08001200");
    EXPECT_EQ(std::pair(r.faults.delay_ms, r.faults.late_body_ms), std::pair(30, 40));
    EXPECT_TRUE(r.faults.split && r.faults.refuse_long_ids && !r.faults.nak);

    const reader logged(s->lines[1].readers[0]);
    ASSERT_EQ(logged.log.size(), 6);
    EXPECT_TRUE(logged.log.records()[2].denied);
    EXPECT_EQ(logged.log.records()[0].when, QDateTime(QDate(2024, 1, 2), QTime(7, 30), Qt::UTC));
    EXPECT_EQ(logged.family, reader_family::zep) << "ZEP unless told";
    EXPECT_EQ(logged.record_length, 40);

    // One entry, many TCP readers alike.
    const auto many =
        load_scenario(R"({"lines": [{"copies": 127, "readers": [{"reclen": 9}]}]})", &error);
    ASSERT_TRUE(many && many->lines.size() == 127u) << error.toStdString();
    EXPECT_EQ(many->lines[126].readers[0].record_length, 9);
}

TEST(sim_scenario, mistakes_are_reported_with_their_place) {
    const std::pair<QByteArray, QString> cases[] = {
        {"not json", "scenario"},
        {R"({"lines": []})", "no lines"},
        {R"({"lines": [{"transport": "usb", "readers": [{}]}]})", "transport"},
        {R"({"lines": [{"readers": []}]})", "at least one reader"},
        {R"({"lines": [{"readers": [{"reclen": 41}]}]})", "lines[0].readers[0]"},
        {R"({"lines": [{"readers": [{"adress": 1}]}]})", "adress"},
        {R"({"lines": [{"readers": [{"faults": {"slient": true}}]}]})", "slient"},
        {R"({"lines": [{"readers": [{"model": "XY"}]}]})", "model"},
        {R"({"lines": [{"readers": [{"schedules": [{"num": 1, "days": ["0800"]}]}]}]})", "days"},
        {R"({"lines": [{"transport": "pty", "copies": 2, "readers": [{}]}]})", "TCP lines"},
        {R"({"lines": [{"copies": 1001, "readers": [{}]}]})", "copies"},
    };
    for (const auto& [json, where] : cases) {
        QString error;
        EXPECT_FALSE(load_scenario(json, &error)) << json.constData();
        EXPECT_TRUE(error.contains(where)) << error.toStdString();
    }
}

TEST(sim_cli, quick_form_builds_lines_in_order) {
    QString error;
    const auto request = parse_cli({"--pty-line", "3", "--tcp-reader", "--protocol", "--ko",
                                    "--port", "0", "--log", "4", "--exit-after", "9"},
                                   &error);
    ASSERT_TRUE(request) << error.toStdString();
    const auto& lines = request->lines.lines;
    ASSERT_TRUE(lines.size() == 2u && lines[0].readers.size() == 3u);
    const reader_config& third = lines[0].readers[2];
    EXPECT_TRUE(third.address == 2 && third.protocol && third.family == reader_family::ko);
    EXPECT_EQ(request->exit_after_s, 9);

    for (const QStringList& bad :
         {QStringList{}, QStringList{"--pty-line"}, QStringList{"--tcp-line", "0"},
          QStringList{"--bogus"}, QStringList{"/no/such/scenario.json"}}) {
        EXPECT_FALSE(parse_cli(bad, &error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(parse_cli({"--help"}, &error)->help);
}

TEST(sim_program, prints_its_lines_serves_them_and_stops_on_sigterm) {
    QProcess sim;
    sim.start(QStringLiteral(ZEP_SIM_PROGRAM),
              {"--tcp-reader", "--pty-line", "2", "--protocol", "--exit-after", "60"});
    QByteArray printed;
    const QDeadlineTimer deadline(10000);
    while (!printed.contains("ready") &&
           sim.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        printed += sim.readAllStandardOutput();
    }
    const auto tcp = QRegularExpression(
                         "^tcp line 0 127\\.0\\.0\\.1:(\\d+)\\npty line 1 "
                         "/dev/pts/\\d+\\nready\\n$")
                         .match(QString::fromLocal8Bit(printed));
    ASSERT_TRUE(tcp.hasMatch()) << printed.toStdString();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, tcp.captured(1).toUShort());
    ASSERT_TRUE(socket.waitForConnected(3000));
    socket.write(testing::framed(0, "V"));
    QByteArray reply;
    while (!reply.endsWith('\x03') && socket.waitForReadyRead(3000)) reply += socket.readAll();
    EXPECT_EQ(reply, testing::data_reply("ZEP Reader V4.12 (simulated)"));
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_TRUE(sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0);
}

}  // namespace
}  // namespace zep::sim
