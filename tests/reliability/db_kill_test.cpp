#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <random>
#include <set>

#include "core/data/log_table.h"
#include "core/records/log_archive.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace zep {
namespace {

struct driver_run {
    bool killed = false;
    int code = -1;
    QString out;
};

// The driver on `db`, killed at its write point `kill_at` when that is given.
std::unique_ptr<QProcess> start_driver(const QString& db, const QStringList& args,
                                       long kill_at = 0) {
    auto driver = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (kill_at > 0) env.insert("ZEP_TEST_KILL_AT", QStringLiteral("write:%1").arg(kill_at));
    driver->setProcessEnvironment(env);
    driver->start(QStringLiteral(DB_KILL_DRIVER), QStringList{db} + args);
    return driver;
}

driver_run finish(QProcess& driver) {
    if (!driver.waitForFinished(30000)) return {};
    return {driver.exitStatus() == QProcess::CrashExit, driver.exitCode(),
            QString::fromLocal8Bit(driver.readAll() + driver.readAllStandardError()).trimmed()};
}

// The integrity check's verdict, then the rows of each of the five tables; "absent"
// without a file. Opened as the program opens it, so a file it refuses shows as refused.
QStringList state_of(const QString& path) {
    if (!QFile::exists(path)) return {"absent"};
    auto opened = data::database_file::open(path, test::unique_connection_name());
    if (!opened) return {"refused: " + opened.error()};
    QSqlQuery q((*opened)->connection());
    QStringList state{q.exec("PRAGMA integrity_check") && q.next() ? q.value(0).toString() : "?"};
    for (const char* table : {"users", "readers", "schedules", "log", "settings"}) {
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
        state << QString(table) + ':';
        while (q.next()) {
            for (int c = 0; c < q.record().count(); ++c)
                state.last() += '|' + q.value(c).toString();
        }
    }
    return state;
}

// A sound file whose every table is as it was or as the whole operation leaves it (an
// operation may be one transaction a table).
bool whole_or_absent(const QStringList& now, const QStringList& before, const QStringList& after) {
    if (now.size() != after.size()) return now == before;
    for (qsizetype i = 0; i < now.size(); ++i) {
        if (now[i] != after[i] && now[i] != before.value(i)) return false;
    }
    return true;
}

// Points to kill at: every one of a short operation; of a long one the first and last
// eight and eight drawn at random.
std::set<long> points_to_try(long count, std::mt19937& random) {
    std::set<long> points;
    for (long n = 1; n <= count; ++n) {
        if (count <= 24 || n <= 8 || n > count - 8) points.insert(n);
    }
    std::uniform_int_distribution<long> any(1, count);
    for (int i = 0; i < 8; ++i) points.insert(any(random));
    return points;
}

TEST(database_kill, a_kill_at_any_write_leaves_a_sound_file_with_the_change_whole_or_absent) {
    // Each operation on a file the driver prepared (or on none).
    const struct {
        QStringList seed, args;
    } cases[] = {{{"close"}, {"close"}},
                 {{"log", "L", "4"}, {"delete", "03-01-2005", "03-01-2005"}},
                 {{"users", "U", "2"}, {"rename", "U1", "U0"}},
                 {{"create"}, {"loadup"}},
                 {{}, {"create"}}};
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE(testing::Message() << "random seed " << seed);
    test::temp_database scratch;
    const QString seed_file = scratch.folder() + "/seed.db";
    const QString work = scratch.folder() + "/work.db";
    const auto reset_work = [&] {
        for (const char* part : {"", "-wal", "-shm"}) QFile::remove(work + part);
        return !QFile::exists(seed_file) || QFile::copy(seed_file, work);
    };
    for (const auto& op : cases) {
        SCOPED_TRACE(op.args.join(' ').toStdString());
        QFile::remove(seed_file);
        if (!op.seed.isEmpty()) {
            ASSERT_EQ(finish(*start_driver(seed_file, op.seed)).code, 0);
        }
        const QStringList before = state_of(seed_file);
        ASSERT_TRUE(reset_work());
        const driver_run whole = finish(*start_driver(work, op.args));
        ASSERT_EQ(whole.code, 0) << whole.out.toStdString();
        const QStringList after = state_of(work);
        ASSERT_NE(after, before);
        ASSERT_EQ(after.first(), "ok");
        const long points = whole.out.toLong();
        for (const long n : points_to_try(points, random)) {
            ASSERT_TRUE(reset_work());
            const driver_run run = finish(*start_driver(work, op.args, n));
            ASSERT_TRUE(run.killed) << "write point " << n << ": " << run.out.toStdString();
            const QStringList now = state_of(work);
            EXPECT_TRUE(whole_or_absent(now, before, after))
                << "write point " << n << " of " << points << ":\n"
                << now.join('\n').left(300).toStdString();
        }
    }
}

TEST(database_contention, two_programs_writing_at_once_both_store_every_row) {
    test::temp_database temp;
    temp.close();
    // Log rows are written blind; a user is looked up before it is added, and that must
    // not fail the insert when the other program wrote in between.
    for (const char* table : {"log", "users"}) {
        SCOPED_TRACE(table);
        const auto first = start_driver(temp.path(), {table, "A", "150"});
        const auto second = start_driver(temp.path(), {table, "B", "150"});
        for (const driver_run& run : {finish(*first), finish(*second)})
            EXPECT_EQ(run.code, 0) << run.out.toStdString();
        const char* key = QByteArray(table) == "log" ? "idnum" : "userid";
        EXPECT_EQ(test::query_column(temp.path(), QStringLiteral("SELECT count(*) FROM %1 GROUP "
                                                                 "BY substr(%2, 1, 1)")
                                                      .arg(table, key)),
                  (QStringList{"150", "150"}));
    }
}

TEST(database_contention, the_log_archive_reads_while_another_program_holds_a_write) {
    test::temp_database temp;
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(
        {test::log_row("2005-03-01 08:00:00", "1"), test::log_row("2005-03-02 08:00:00", "2")}));
    const QString name = test::unique_connection_name();
    {
        QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", name);
        writer.setDatabaseName(temp.path());
        ASSERT_TRUE(writer.open());
        QSqlQuery q(writer);
        ASSERT_TRUE(q.exec("BEGIN IMMEDIATE"));
        ASSERT_TRUE(
            q.exec("INSERT INTO log (DateTime, idnum) VALUES ('2005-03-03 08:00:00', '3')"));
        // A blocked read would wait out the busy time-out and then show an empty log.
        records::log_archive archive(temp.db());
        EXPECT_EQ(archive.refresh(), 2);
        EXPECT_EQ(archive.fetch(0, 10).size(), 2u);
        EXPECT_TRUE(q.exec("COMMIT"));
        EXPECT_EQ(archive.refresh(), 3);
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace
}  // namespace zep
