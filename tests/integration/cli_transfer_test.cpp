// The text-file transfers on the command line, in-process against simulated readers.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <thread>

#include "tests/integration/cli_harness.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::cli_run;
using test::sim_fixture;

class cli_transfer : public ::testing::Test {
  protected:
    // Questions are refused, not waited for, whoever runs the tests.
    static void SetUpTestSuite() { ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr); }

    QTemporaryDir dir;
    sim_fixture sim;

    cli_run run(const QStringList& args) { return test::run_zep(dir.filePath("zep.db"), args); }
    // The path of `name` in the test's folder, written with `bytes` when they are given.
    QString file(const char* name, const QByteArray& bytes = {}) {
        return bytes.isNull() ? dir.filePath(name) : test::write_file(dir.filePath(name), bytes);
    }
    static QString tcp(quint16 port) { return QString("127.0.0.1:%1").arg(port); }
};

TEST_F(cli_transfer, every_command_moves_its_file_on_a_protocol_line) {
    sim::reader_config r = sim_fixture::zep_reader(3, true);
    r.log.count = 2;
    r.log.start = QDateTime(QDate(2019, 3, 3), QTime(10, 20, 30), Qt::UTC);
    r.log.cards = {"4711"};
    const QStringList line{"--serial", sim.start_pty({r}), "--protocol", "3"};
    const auto out = [&](const QStringList& args) { return run(args + line).out; };

    EXPECT_EQ(out({"access", "download", file("ids.txt", "0051001\r\n0001002\r\n"), "--format",
                   "schedule", "--yes"}),
              "Download Complete\nVerify complete - 2 IDs match\n");
    EXPECT_EQ(out({"access", "upload", file("up.txt"), "--cr-only"}), "Upload Complete\n");
    EXPECT_EQ(test::file_bytes(file("up.txt")), "1001\r1002\r");
    EXPECT_EQ(out({"schedule", "download", file("s.txt", "005108001700\r\n"), "--yes"}),
              "Schedule Download Complete\n");
    EXPECT_EQ(out({"schedule", "upload", file("back.txt"), "--yes"}), "Upload Complete\n");
    EXPECT_EQ(test::file_bytes(file("back.txt")).mid(28 * 14, 14), "005108001700\r\n");
    EXPECT_EQ(out({"log", "upload", file("log.txt")}), "Upload Complete\n");
    EXPECT_EQ(test::file_bytes(file("log.txt")).left(19), "01903031020304711\r\n");
    EXPECT_EQ(out({"log", "clear", "--yes"}),
              "Log Data Cleared - Verify by checking Memory Status\n");
    EXPECT_EQ(out({"access", "clear"}), "Access List Cleared - Verify by checking Memory Usage\n");
    EXPECT_TRUE(sim.access_list(0, 0).empty());
}

TEST_F(cli_transfer, questions_without_a_terminal_are_refused_before_anything_is_sent) {
    const QString reader = tcp(sim.start_tcp({sim_fixture::zep_reader()}));
    const cli_run asked = run({"access", "download", file("ids.txt", "1001\r\n"), "--tcp", reader});
    EXPECT_EQ(asked.status, 1);
    // The question names the reader it was about on a line of its own.
    const QString which = "(reader: TCP " + reader + ", plain)\n";
    EXPECT_EQ(asked.err,
              "This will replace the current Access List in the reader\nDo you wish to continue?\n"
              "zep: not confirmed (--yes answers the question)\n" +
                  which);
    const QStringList erase{"log", "clear", "--tcp", reader};
    EXPECT_EQ(run(erase).err,
              "Clear the reader's log without uploading it? Its transactions will be lost.\n"
              "zep: not confirmed (--yes answers the question)\n" +
                  which);
    const QString kept = file("kept.txt", "old\r\n");
    const cli_run replace = run({"log", "upload", kept, "--tcp", reader});
    EXPECT_EQ(replace.status, 1);
    EXPECT_TRUE(replace.err.startsWith(kept + " already exists.\nDo you want to replace it?\n"));
    EXPECT_EQ(test::file_bytes(kept), "old\r\n");
    EXPECT_EQ(sim.received(0), "");
}

TEST_F(cli_transfer, usage_errors_and_a_failed_verify) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.faults.forget_id = "1002";
    const QString reader = tcp(sim.start_tcp({r}));
    const QString ids = file("ids.txt", "1001\r\n1002\r\n");
    EXPECT_TRUE(
        run({"access", "download", ids, "--yes", "--timeout", "500", "--tcp", reader})
            .err.startsWith("zep access download: --timeout does not apply: transfers "
                            "keep their own waits\nusage: zep [--db PATH] access download"));
    for (const QStringList& wrong :
         {QStringList{"access", "upload", ids, "--format", "both"},
          QStringList{"access", "download", ids, "--verify", "--no-verify"},
          QStringList{"log", "clear", "extra"}}) {
        EXPECT_EQ(run(wrong + QStringList{"--tcp", reader}).status, 2)
            << wrong.join(' ').toStdString();
    }
    EXPECT_EQ(sim.received(0), "");

    // The download completed, but the reader lost an ID: the verify fails the call.
    const cli_run lost = run({"access", "download", ids, "--yes", "--tcp", reader});
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.out, "Download Complete\n");
    EXPECT_EQ(lost.err,
              "Verify failed - 1 missing, 0 unexpected, 0 with another schedule\n"
              "1002 missing\n(reader: TCP " +
                  reader + ", plain)\n");
    EXPECT_EQ(run({"access", "download", ids, "--yes", "--no-verify", "--tcp", reader}).out,
              "Download Complete\n");
}

TEST_F(cli_transfer, ctrl_c_stops_an_upload_and_keeps_its_lines) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.log.count = 2000;
    r.faults.delay_ms = 5;
    const QString reader = tcp(sim.start_tcp({r}));
    // A stray signal after the command has ended must not end the tests.
    const auto before = std::signal(SIGINT, SIG_IGN);
    std::thread interrupt([&] {
        if (sim_fixture::wait_until([&] { return sim.history(0, 0).size() >= 10; })) {
            std::raise(SIGINT);
        }
    });
    const cli_run stopped = run({"log", "upload", file("log.txt"), "--tcp", reader});
    interrupt.join();
    std::signal(SIGINT, before);
    EXPECT_EQ(stopped.status, 130);
    const qsizetype kept = test::file_bytes(file("log.txt")).count("\r\n");
    EXPECT_GT(kept, 5);
    EXPECT_LT(kept, 2000);
}

}  // namespace
}  // namespace zep
