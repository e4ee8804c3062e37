// The reader commands of the command line (send, the utilities, setup and card formats,
// background) run in-process against simulated readers.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/data/readers_table.h"
#include "core/program/startup.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::cli_run;
using test::sim_fixture;

class cli_test : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    sim_fixture sim;
    std::optional<QString> typed_password;

    QString db() const { return dir.filePath("zep.db"); }
    cli_run run(const QStringList& args) {
        return test::run_zep(db(), args, [this] { return typed_password; });
    }
    // Starts as the desktop program does, changes the database, and closes again.
    void edit_database(const std::function<void(program::session&)>& edit) {
        program::startup_options options;
        options.db_arg = db();
        options.connection_name = "edit_database";
        auto started = program::start_up(options);
        ASSERT_TRUE(started) << started.error().toStdString();
        edit(*started.value());
        ASSERT_TRUE(program::close_down(*started.value()));
    }
};

TEST_F(cli_test, send_prints_the_reply_and_nothing_for_an_ack) {
    sim::reader_config plain = sim_fixture::zep_reader();
    plain.ident = "ZEP TEST READER 1.0";
    const QString tcp = QString("127.0.0.1:%1").arg(sim.start_tcp({plain}));
    // A body that follows its ACK late still belongs to the answer.
    sim::reader_config late = sim_fixture::zep_reader(7, true);
    late.faults.late_body_ms = 300;
    const QString line = sim.start_pty({late});
    const QStringList at_7{"--serial", line, "--protocol", "7", "--timeout", "1500"};

    const cli_run ident = run({"send", "V", "--tcp", tcp});
    EXPECT_EQ(ident.status, 0) << ident.err.toStdString();
    EXPECT_EQ(ident.out, "ZEP TEST READER 1.0\n");
    EXPECT_TRUE(ident.err.isEmpty());
    const cli_run memory = run(QStringList{"send", "z"} + at_7);
    EXPECT_EQ(memory.status, 0) << memory.err.toStdString();
    EXPECT_EQ(memory.out, "00487000000500000000\n");
    const cli_run cleared = run(QStringList{"send", "cd"} + at_7);
    EXPECT_EQ(cleared.status, 0);
    EXPECT_TRUE(cleared.out.isEmpty());
    // Escapes reach the reader as bytes: NUL "IA" 009 readdresses it.
    EXPECT_EQ(run(QStringList{"send", "\\x00IA009"} + at_7).status, 0);
    EXPECT_EQ(sim.with_reader(1, 0, [](sim::reader& x) { return x.address; }), 9);
    EXPECT_EQ(run({"send", "s1", "--no-reply", "--tcp", tcp}).status, 0);
    EXPECT_TRUE(sim_fixture::wait_until(
        [&] { return sim.with_reader(0, 0, [](sim::reader& x) { return x.rs232_logging; }); }));
}

TEST_F(cli_test, the_login_password_guards_every_command_but_background) {
    edit_database([](program::session& state) { state.settings.loginpass = "Secret"; });
    const QStringList send{"send", "V", "--tcp",
                           QString("127.0.0.1:%1").arg(sim.start_tcp({sim_fixture::zep_reader()}))};
    typed_password = "secret";
    const cli_run refused = run(send);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Invalid Password\n");
    EXPECT_TRUE(refused.out.isEmpty());
    typed_password = "Secret";
    EXPECT_EQ(run(send).status, 0);
    EXPECT_EQ(test::run_zep(db(), send).err,
              "This database has a login password: set ZEP_PASSWORD or run from a terminal\n");
    typed_password.reset();  // never asked: no reader is active, which is all it says
    const cli_run unattended = run({"background"});
    EXPECT_EQ(unattended.status, 1);
    EXPECT_EQ(unattended.err, "There are no active readers\n");
}

TEST_F(cli_test, single_reader_results_go_to_stdout_and_failures_to_stderr) {
    // What identify prints is held by the fault matrix's next operation after each case.
    const QString tcp = QString("127.0.0.1:%1").arg(sim.start_tcp({sim_fixture::zep_reader()}));
    EXPECT_EQ(run({"clock", "set", "--tcp", tcp}).out, "Time set in reader\n");
    static const QRegularExpression shown("^\\d\\d/\\d\\d/\\d{4}  \\d\\d:\\d\\d:\\d\\d\\n$");
    EXPECT_TRUE(shown.match(run({"clock", "get", "--tcp", tcp}).out).hasMatch());
    EXPECT_EQ(run({"id", "add", "4711", "--tcp", tcp}).out, "ID Added\n");
    EXPECT_EQ(run({"id", "delete", "4711", "--tcp", tcp}).out, "ID deleted\n");
    const cli_run absent = run({"id", "delete", "4711", "--tcp", tcp});
    EXPECT_EQ(absent.status, 1);
    EXPECT_TRUE(absent.out.isEmpty());
    EXPECT_EQ(absent.err, "ID was not deleted, or not found\n(reader: TCP " + tcp + ", plain)\n");
    for (const QStringList& bad :
         {QStringList{"send", "V", "--tcp", "nohost"}, QStringList{"send", "\\xZ1"},
          QStringList{"send", "V", "--baud", "4800"}, QStringList{"id", "add"},
          QStringList{"clock", "get", "--all"},
          QStringList{"format", "barcode", "--all", "--tcp", tcp},
          QStringList{"format", "barcode", "--mask", "3"}}) {
        EXPECT_EQ(run(bad).status, 2) << bad.join(' ').toStdString();
    }
}

// The global address is the utilities' own test; the link options are the fault matrix's.
TEST_F(cli_test, memory_of_old_firmware_on_a_protocol_line) {
    sim::reader_config old = sim_fixture::ko_reader(4, true);
    old.old_firmware = true;
    old.ids = {{"1", 0}, {"2", 0}};
    const QString line = sim.start_pty({sim_fixture::zep_reader(0, true), old});
    const cli_run memory = run({"memory", "--old-firmware", "--serial", line, "--protocol", "4"});
    EXPECT_EQ(memory.status, 0) << memory.err.toStdString();
    EXPECT_EQ(memory.out,
              "Download Slots Avail: 00485\nDownload Slots Used: 00002\n"
              "Logging Slots Avail: 00000\nLogging Slots Used: 00000\n");
}

TEST_F(cli_test, all_prints_every_line_and_fails_when_any_reader_failed) {
    sim::reader_config short_records = sim_fixture::zep_reader();
    short_records.record_length = 4;
    short_records.faults.refuse_long_ids = true;
    const quint16 port = sim.start_tcp({short_records});
    data::reader_row asleep = test::tcp_reader_row(2, test::closed_tcp_port());
    asleep.active = "";
    edit_database([&](program::session& state) {
        ASSERT_TRUE(
            data::readers_table(*state.db).insert_all({test::tcp_reader_row(0, port), asleep}));
    });

    const cli_run added = run({"id", "add", "55", "--all"});
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, "Adding 55 to all active readers\n \nReader 000 - ID added\n");
    // A refusal is a failure too.
    const cli_run refused = run({"id", "add", "123456", "--all"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out,
              "Adding 123456 to all active readers\n \nReader 000 - Invalid response\n");
    EXPECT_EQ(run({"clock", "set", "--all"}).status, 0);
    EXPECT_EQ(run({"id", "delete", "55", "--all", "--tcp", "127.0.0.1:1"}).status, 2);
    EXPECT_TRUE(sim.access_list(0, 0).size() == 1);
}

TEST_F(cli_test, setup_and_card_formats_for_one_reader_and_for_all) {
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    const QString tcp = QString("127.0.0.1:%1").arg(port);
    const cli_run mode = run({"setup", "mode", "accum", "--tcp", tcp});
    EXPECT_EQ(mode.status, 0) << mode.err.toStdString();
    EXPECT_EQ(mode.out, "Reader mode set\n");
    // Without --yes and without a terminal the question is refused.
    const cli_run unasked = run({"setup", "params", "--reclen", "8", "--tcp", tcp});
    EXPECT_EQ(unasked.status, 1);
    EXPECT_TRUE(unasked.err.contains("This will delete all data in the reader"));

    edit_database([&](program::session& state) {
        ASSERT_TRUE(data::readers_table(*state.db).insert_all(
            {test::tcp_reader_row(1, port), test::reader_row(2, "")}));
    });
    const cli_run all =
        run({"format", "barcode", "--codes", "1000000000", "--mask", "3,6", "--all"});
    EXPECT_EQ(all.status, 1);  // reader 002 has no link
    const QStringList lines = all.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.mid(0, 3), QStringList({"Sending barcode settings to all active readers", " ",
                                            "Reader 001 - Code 39 On - command sent"}));
    EXPECT_EQ(lines.mid(13), QStringList({"Reader 001 - Activate barcode masking - command sent",
                                          "Reader 002 - no Com port or ip address specified"}));
    EXPECT_TRUE(sim_fixture::wait_until(
        [&] { return sim.with_reader(0, 0, [](sim::reader& x) { return x.mode == '5'; }); }));
}

}  // namespace
}  // namespace zep
