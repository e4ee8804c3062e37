// The setup and card-format commands of the command line, wired to simulated readers.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/data/readers_table.h"
#include "core/program/startup.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

TEST(cli_setup, one_reader_all_readers_and_usage) {
    QTemporaryDir dir;
    const QString db = dir.filePath("zep.db");
    sim_fixture sim;
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    const QString tcp = QString("127.0.0.1:%1").arg(port);

    const test::cli_run mode = test::run_zep(db, {"setup", "mode", "accum", "--tcp", tcp});
    EXPECT_EQ(mode.status, 0) << mode.err.toStdString();
    EXPECT_EQ(mode.out, "Reader mode set\n");
    EXPECT_TRUE(sim_fixture::wait_until([&] { return sim.history(0, 0).size() == 1; }));
    EXPECT_EQ(sim.history(0, 0), (std::vector<QByteArray>{"|5"}));

    // Without --yes and without a terminal the question is refused.
    const test::cli_run unasked =
        test::run_zep(db, {"setup", "params", "--reclen", "8", "--tcp", tcp});
    EXPECT_EQ(unasked.status, 1);
    EXPECT_TRUE(unasked.err.contains("This will delete all data in the reader"));
    EXPECT_EQ(test::run_zep(db, {"format", "barcode", "--all", "--tcp", tcp}).status, 2);
    EXPECT_EQ(test::run_zep(db, {"format", "barcode", "--mask", "3"}).status, 2);

    {
        program::startup_options options;
        options.db_arg = db;
        options.connection_name = "cli_setup_rows";
        auto started = program::start_up(options);
        ASSERT_TRUE(started) << started.error().toStdString();
        ASSERT_TRUE(data::readers_table(*started.value()->db)
                        .insert_all({test::tcp_reader_row(1, port), test::reader_row(2, "")}));
        ASSERT_TRUE(program::close_down(*started.value()));
    }
    const test::cli_run all =
        test::run_zep(db, {"format", "barcode", "--codes", "1000000000", "--mask", "3,6", "--all"});
    EXPECT_EQ(all.status, 1);  // reader 002 has no link
    const QStringList lines = all.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.mid(0, 3), QStringList({"Sending barcode settings to all active readers", " ",
                                            "Reader 001 - Code 39 On - command sent"}));
    EXPECT_EQ(lines.mid(13), QStringList({"Reader 001 - Activate barcode masking - command sent",
                                          "Reader 002 - no Com port or ip address specified"}));
    sim.with_reader(0, 0, [](sim::reader& x) { EXPECT_EQ(x.mode, '5'); });
}

}  // namespace
}  // namespace zep
