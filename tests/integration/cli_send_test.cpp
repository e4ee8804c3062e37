// `zep send` and `zep background` run in-process against simulated readers.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/program/startup.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::cli_run;
using test::sim_fixture;

class cli_test : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString db() const { return dir.filePath("zep.db"); }
    std::optional<QString> typed_password;

    cli_run run(const QStringList& args) {
        return test::run_zep(db(), args, [this] { return typed_password; });
    }

    // Writes a login password the way the desktop program would at closing.
    void set_login_password(const QString& password) {
        program::startup_options options;
        options.db_arg = db();
        options.connection_name = "set_password";
        auto started = program::start_up(options);
        ASSERT_TRUE(started) << started.error().toStdString();
        started.value()->settings.loginpass = password;
        ASSERT_TRUE(program::close_down(*started.value()));
    }
};

TEST_F(cli_test, send_prints_the_reply) {
    sim_fixture sim;
    sim::reader_config r = sim_fixture::zep_reader(0, false);
    r.ident = "ZEP TEST READER 1.0";
    const quint16 port = sim.start_tcp({r});
    const cli_run got = run({"send", "V", "--tcp", QString("127.0.0.1:%1").arg(port)});
    EXPECT_EQ(got.status, 0) << got.err.toStdString();
    EXPECT_EQ(got.out, "ZEP TEST READER 1.0\n");
    EXPECT_TRUE(got.err.isEmpty());
}

TEST_F(cli_test, protocol_send_with_bare_ack_prints_nothing) {
    sim_fixture sim;
    const QString line = sim.start_pty({sim_fixture::zep_reader(7, true)});
    const cli_run acked = run({"send", "cd", "--serial", line, "--protocol", "7"});
    EXPECT_EQ(acked.status, 0) << acked.err.toStdString();
    EXPECT_TRUE(acked.out.isEmpty());
    // Escapes reach the reader as bytes: NUL "IA" 009 readdresses it.
    EXPECT_EQ(run({"send", "\\x00IA009", "--serial", line, "--protocol", "7"}).status, 0);
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& x) { return x.address; }), 9);
    const cli_run memory = run({"send", "z", "--serial", line, "--protocol", "9"});
    EXPECT_EQ(memory.status, 0);
    EXPECT_EQ(memory.out.trimmed().size(), 20);
}

TEST_F(cli_test, no_reply_sends_without_waiting) {
    sim_fixture sim;
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader(0, false)});
    EXPECT_EQ(run({"send", "s1", "--no-reply", "--tcp", QString("127.0.0.1:%1").arg(port)}).status,
              0);
    EXPECT_TRUE(sim_fixture::wait_until(
        [&] { return sim.with_reader(0, 0, [](sim::reader& x) { return x.rs232_logging; }); }));
}

TEST_F(cli_test, failures_print_the_operators_message) {
    sim_fixture sim;
    sim::reader_config silent = sim_fixture::zep_reader(0, false);
    silent.faults.silent = true;
    const quint16 port = sim.start_tcp({silent});
    const cli_run quiet =
        run({"send", "V", "--timeout", "200", "--tcp", QString("127.0.0.1:%1").arg(port)});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, "No response from reader\n");
    const cli_run no_port = run({"send", "V", "--serial", "/dev/zep-none"});
    EXPECT_EQ(no_port.status, 1);
    EXPECT_EQ(no_port.err, "Unable to open comm port\n");
    const cli_run too_high = run({"send", "V", "--serial", "/dev/zep-none", "--protocol", "128"});
    EXPECT_EQ(too_high.status, 1);
    EXPECT_EQ(too_high.err, "Invalid protocol address\n");
}

TEST_F(cli_test, bad_usage_exits_2) {
    EXPECT_EQ(run({"send"}).status, 2);
    EXPECT_EQ(run({"send", "V", "--tcp", "nohost"}).status, 2);
    EXPECT_EQ(run({"send", "\\xZ1"}).status, 2);
    EXPECT_EQ(run({"send", "V", "--baud", "4800"}).status, 2);
    EXPECT_EQ(run({"send", "V", "--bogus"}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(run({}).status, 2);
}

TEST_F(cli_test, login_password_guards_every_command_but_background) {
    set_login_password("Secret");
    sim_fixture sim;
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader(0, false)});
    const QStringList send{"send", "V", "--tcp", QString("127.0.0.1:%1").arg(port)};
    for (const auto& wrong :
         {std::optional<QString>("secret"), std::optional<QString>(""), std::optional<QString>()}) {
        typed_password = wrong;
        const cli_run refused = run(send);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "Invalid Password\n");
        EXPECT_TRUE(refused.out.isEmpty());
    }
    typed_password = "Secret";
    EXPECT_EQ(run(send).status, 0);
    typed_password.reset();
    EXPECT_EQ(run({"background"}).status, 0);
}

TEST_F(cli_test, background_creates_and_keeps_the_settings) {
    EXPECT_EQ(run({"background", "now"}).status, 2);
    EXPECT_FALSE(QFile::exists(db()));
    EXPECT_EQ(run({"background"}).status, 0);
    EXPECT_TRUE(QFile::exists(db()));
    EXPECT_EQ(QFile::permissions(db()) & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_EQ(run({"background"}).status, 0);
    program::startup_options options;
    options.db_arg = db();
    options.connection_name = "check";
    auto started = program::start_up(options);
    ASSERT_TRUE(started);
    EXPECT_EQ(started.value()->settings.settings, "2211000");
}

TEST_F(cli_test, broken_database_is_refused_with_one_line) {
    QFile junk(db());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a database at all, just some text that is long enough");
    junk.close();
    const cli_run got = run({"background"});
    EXPECT_EQ(got.status, 1);
    EXPECT_TRUE(got.err.contains(db()));
    EXPECT_EQ(got.err.count('\n'), 1);
}

}  // namespace
}  // namespace zep
