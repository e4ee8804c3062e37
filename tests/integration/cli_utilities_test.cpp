// The reader utilities on the command line, in-process against simulated readers.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include "core/data/readers_table.h"
#include "core/program/startup.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::cli_run;
using test::sim_fixture;

class cli_utilities : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    sim_fixture sim;

    cli_run run(const QStringList& args) { return test::run_zep(dir.filePath("zep.db"), args); }

    void register_readers(const std::vector<data::reader_row>& rows) {
        program::startup_options options;
        options.db_arg = dir.filePath("zep.db");
        options.connection_name = "register_readers";
        auto started = program::start_up(options);
        ASSERT_TRUE(started) << started.error().toStdString();
        ASSERT_TRUE(data::readers_table(*started.value()->db).insert_all(rows));
        ASSERT_TRUE(program::close_down(*started.value()));
    }

    static QString tcp_option(quint16 port) { return QString("127.0.0.1:%1").arg(port); }
};

TEST_F(cli_utilities, single_reader_actions_print_the_screens_texts) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.ident = "ZEP CLI 1.0";
    const QString tcp = tcp_option(sim.start_tcp({r}));
    EXPECT_EQ(run({"identify", "--tcp", tcp}).out, "ZEP CLI 1.0\n");

    const cli_run set = run({"clock", "set", "--tcp", tcp});
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(set.out, "Time set in reader\n");
    const cli_run get = run({"clock", "get", "--tcp", tcp});
    EXPECT_EQ(get.status, 0);
    static const QRegularExpression shown("^\\d\\d/\\d\\d/\\d{4}  \\d\\d:\\d\\d:\\d\\d\\n$");
    EXPECT_TRUE(shown.match(get.out).hasMatch()) << get.out.toStdString();

    EXPECT_EQ(run({"id", "add", "4711", "--tcp", tcp}).out, "ID Added\n");
    EXPECT_EQ(sim.access_list(0, 0), (std::vector<sim::access_entry>{{"4711", 0}}));
    EXPECT_EQ(run({"id", "delete", "4711", "--tcp", tcp}).out, "ID deleted\n");
    const cli_run absent = run({"id", "delete", "4711", "--tcp", tcp});
    EXPECT_EQ(absent.status, 1);
    EXPECT_TRUE(absent.out.isEmpty());
    EXPECT_EQ(absent.err, "ID was not deleted, or not found\n");
}

TEST_F(cli_utilities, memory_lines_on_a_protocol_line) {
    sim::reader_config old = sim_fixture::ko_reader(4, true);
    old.old_firmware = true;
    old.capacity_bytes = 500 * 41;
    old.ids = {{"1", 0}, {"2", 0}};
    const QString line = sim.start_pty({sim_fixture::zep_reader(0, true), old});
    const cli_run got = run({"memory", "--old-firmware", "--serial", line, "--protocol", "4"});
    EXPECT_EQ(got.status, 0) << got.err.toStdString();
    const QStringList lines = got.out.split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("Download Slots Avail: ")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], "Download Slots Used: 00002");
    EXPECT_TRUE(lines[2].startsWith("Logging Slots Avail: "));
    EXPECT_TRUE(lines[3].startsWith("Logging Slots Used: "));
    EXPECT_EQ(run({"id", "delete", "9", "--serial", line, "--protocol", "4"}).err,
              "ID was not deleted\n");
}

TEST_F(cli_utilities, failures_go_to_stderr) {
    sim::reader_config silent = sim_fixture::zep_reader();
    silent.faults.silent = true;
    const QString tcp = tcp_option(sim.start_tcp({silent}));
    const cli_run quiet = run({"identify", "--timeout", "200", "--tcp", tcp});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, "No response from reader\n");
    const cli_run no_port = run({"id", "add", "1", "--serial", "/dev/zep-none"});
    EXPECT_EQ(no_port.status, 1);
    EXPECT_EQ(no_port.err, "Unable to open comm port\n");
    EXPECT_EQ(run({"id", "add"}).status, 2);
    EXPECT_EQ(run({"identify", "extra"}).status, 2);
    EXPECT_EQ(run({"clock", "get", "--all"}).status, 2);
}

TEST_F(cli_utilities, all_walks_the_active_readers) {
    const cli_run none = run({"id", "add", "55", "--all"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "There are no active readers\n");
    EXPECT_TRUE(none.out.isEmpty());

    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    quint16 closed = 0;
    {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        closed = server.serverPort();
    }
    std::vector<data::reader_row> rows(3);
    for (int k = 0; k < 3; ++k) {
        rows[k].readernum = static_cast<qint16>(k);
        rows[k].active = "Y";
        rows[k].commmode = "tcp/ip";
        rows[k].ipaddress = "127.0.0.1";
        rows[k].Port = QString::number(k == 1 ? closed : port);
        rows[k].protocol = "N";
    }
    rows[2].active = "";
    register_readers(rows);

    const cli_run added = run({"id", "add", "55", "--all"});
    EXPECT_EQ(added.status, 0);
    EXPECT_EQ(added.out,
              "Adding 55 to all active readers\n \nReader 000 - ID added\n"
              "Reader 001 - Cannot establish tcp/ip connection\n");
    EXPECT_EQ(run({"id", "delete", "55", "--all"}).out,
              "Deleting 55 from all active readers\n \nReader 000 - ID deleted\n"
              "Reader 001 - Cannot establish tcp/ip connection\n");
    EXPECT_EQ(run({"clock", "set", "--all"}).out,
              "Setting time in all active readers\n \nReader 000 - Time set\n"
              "Reader 001 - Cannot establish tcp/ip connection\n");
}

}  // namespace
}  // namespace zep
