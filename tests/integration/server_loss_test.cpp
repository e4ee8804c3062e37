// The database server lost in the middle of a log upload: what the reader holds is cleared
// only once it is stored, so nothing is lost, and the next run stores each record once.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include "core/autorun/autorun_run.h"
#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/rows.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

// A PostgreSQL server of this test's own, which it may kill and start again.
class own_server {
  public:
    own_server()
        : dir_(QDir::tempPath() +
               QStringLiteral("/zep-pg-loss-%1").arg(QCoreApplication::applicationPid())) {
        if (cluster(QStringLiteral("start")))
            uri_ = QString::fromUtf8(test::file_bytes(dir_ + QStringLiteral("/uri"))).trimmed();
    }
    ~own_server() { cluster(QStringLiteral("stop")); }
    QString uri() const { return uri_; }
    bool cluster(const QString& command) const {
        return QProcess::execute(QStringLiteral(ZEP_PG_CLUSTER), {command, dir_}) == 0;
    }

  private:
    QString dir_, uri_;
};

TEST(server_loss, a_server_killed_during_a_log_upload_loses_no_record_and_clears_nothing) {
    own_server server;
    if (server.uri().isEmpty()) GTEST_SKIP() << "PostgreSQL is not installed";
    ASSERT_EQ(test::run_sql(server.uri() + "postgres", {"CREATE DATABASE site"}), "");
    const QString site = server.uri() + "site";

    test::sim_fixture sim;
    sim::reader_config reader = test::sim_fixture::zep_reader();
    for (int i = 0; i < 1500; ++i) reader.log.cards.push_back(QByteArray::number(1000 + i % 40));
    reader.log.count = 1500;
    const quint16 port = sim.start_tcp({reader});
    const auto log_left = [&] {
        return sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); });
    };
    test::fixed_clock clock{QDateTime(QDate(2006, 6, 5), QTime(10, 0), Qt::UTC)};
    autorun::autorun_request request;
    request.clock = &clock;
    request.settings.autosettings = QStringLiteral("00010");  // the log upload alone
    test::scripted_operator person;
    const auto run = [&] {
        auto db = data::database_file::open(site, test::unique_connection_name());
        EXPECT_TRUE(db) << db.error().toStdString();
        if (!db) return autorun::autorun_result{};
        if (!*data::readers_table(**db).find(1))
            EXPECT_TRUE(data::readers_table(**db).insert(test::tcp_reader_row(1, port)));
        return autorun::run_autorun(**db, request, person);
    };

    // Killed once a good part of the records are read (and some of them stored).
    bool killed = false;
    person.cancel_when = [&] {
        if (!killed && sim.history(0, 0).size() >= 700) killed = server.cluster("kill");
        return false;
    };
    const autorun::autorun_result lost = run();
    ASSERT_TRUE(killed);
    EXPECT_EQ(lost.lines.value(2),
              "Reader 001 - error  22 - Unable to store log records - access download will be "
              "skipped");
    EXPECT_EQ(log_left(), 1500);
    for (const QByteArray& exchange : sim.history(0, 0)) EXPECT_NE(exchange, "cl");

    ASSERT_TRUE(server.cluster("restart"));
    person.cancel_when = {};
    EXPECT_EQ(run().reader_errors, 0);
    // A plain reader does not answer "cl": the run may end before the simulator read it.
    EXPECT_TRUE(test::sim_fixture::wait_until([&] { return log_left() == 0; }));
    EXPECT_EQ(test::query_column(site, "SELECT count(*) FROM log"), QStringList{"1500"});
}

}  // namespace
}  // namespace zep
