#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <set>

#include "core/autorun/autorun_run.h"
#include "core/data/log_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/rows.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using autorun::autorun_end;

// A user with schedule slots at the given readers ("05" at reader 3, say).
data::user_row user(const QString& id, std::initializer_list<std::pair<int, const char*>> slots,
                    const QString& last = QStringLiteral("Smith")) {
    QString schedules(254, u' ');
    for (const auto& [reader, slot] : slots) schedules.replace(2 * reader, 2, QLatin1String(slot));
    return {id, last, QStringLiteral("Ann"), schedules};
}

sim::reader_config reader_with_log(int address, bool protocol, std::vector<QByteArray> cards) {
    sim::reader_config config = test::sim_fixture::zep_reader(address, protocol);
    config.log.count = static_cast<int>(cards.size());
    config.log.cards = std::move(cards);
    config.log.denied_every = 2;
    return config;
}

QByteArray text_of(const std::vector<QByteArray>& history) {
    QByteArray all("|");
    for (const QByteArray& c : history) all += c + '|';
    return all;
}

QStringList file_lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("(missing)")};
    return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

class autorun_run : public ::testing::Test {
  protected:
    test::temp_database db;
    test::sim_fixture sim;
    test::scripted_operator person;
    // Monday 5 June 2006, 10:00:00.
    test::fixed_clock clock{QDateTime(QDate(2006, 6, 5), QTime(10, 0), Qt::UTC)};
    autorun::autorun_request request;

    void SetUp() override { request.clock = &clock; }
    void add(const data::reader_row& row) { ASSERT_TRUE(data::readers_table(db.db()).insert(row)); }
    void add(const data::user_row& row) { ASSERT_TRUE(data::users_table(db.db()).insert(row)); }
    void add_schedule(qint16 num) {
        data::schedule_row s;
        s.schedulenum = num;
        s.monday = QStringLiteral("08001700");
        ASSERT_TRUE(data::schedules_table(db.db()).insert(s));
    }
    autorun::autorun_result run() { return autorun::run_autorun(db.db(), request, person); }
    std::vector<data::log_row> stored_log() {
        std::vector<data::log_row> rows;
        EXPECT_TRUE(data::log_table(db.db()).walk([&](const data::log_row& r) {
            rows.push_back(r);
            return true;
        }));
        return rows;
    }
    QString write_file(const QString& name, const QByteArray& content) {
        const QString path = db.folder() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
};

TEST_F(autorun_run, services_tcp_and_multidrop_serial_readers_from_the_database) {
    const quint16 plain = sim.start_tcp({reader_with_log(0, false, {"1234", "4321"})});
    const quint16 framed = sim.start_tcp({test::sim_fixture::zep_reader(4, true)});
    const QString pty = sim.start_pty(
        {test::sim_fixture::zep_reader(6, true), test::sim_fixture::zep_reader(126, true)});
    request.devices[0] = pty;
    add(test::tcp_reader_row(3, plain));
    data::reader_row far = test::tcp_reader_row(4, framed, 4);
    far.timezone = QStringLiteral("-2");
    add(far);
    add(test::tcp_reader_row(5, framed, 127));
    add(test::reader_row(6, QStringLiteral("Com1 9600"), 6));
    add(test::reader_row(7, QStringLiteral("Com1 9600"), 126));
    add(user(QStringLiteral("1234"), {{3, "05"}}, QStringLiteral("Jones")));
    add(user(QStringLiteral("77"), {{3, "01"}, {4, "01"}, {6, "02"}, {7, "02"}}));
    add_schedule(1);

    const autorun::autorun_result result = run();
    QStringList expected{QStringLiteral("Start Autorun"), QStringLiteral(" ")};
    for (const char* reader : {"003", "004", "006", "007"}) {
        if (QLatin1String(reader) == QLatin1String("006"))
            expected << QStringLiteral("Reader 005 - Invalid protocol address");
        for (const char* done : {" - log uploaded", " - access list downloaded",
                                 " - schedule downloaded", " - date set"})
            expected << QStringLiteral("Reader ") + QLatin1String(reader) + QLatin1String(done);
    }
    expected << QStringLiteral(" ") << QStringLiteral("Autorun Finished");
    EXPECT_EQ(result.lines, expected);
    EXPECT_EQ(person.status_lines, expected);
    EXPECT_EQ(result.end, autorun_end::finished);
    EXPECT_EQ(result.reader_errors, 1);  // reader 005

    // Reader 3 gets 1234 with schedule 05, reader 4 only 77; 127 is never spoken to.
    EXPECT_TRUE(text_of(sim.history(0, 0)).contains("|AN0051234|"));
    EXPECT_TRUE(text_of(sim.history(0, 0)).contains("|AN00177|"));
    EXPECT_FALSE(text_of(sim.history(1, 0)).contains("1234"));
    EXPECT_EQ(sim.access_list(2, 1).size(), 1u);
    EXPECT_TRUE(text_of(sim.history(1, 0)).contains("+0606050800001"));
    EXPECT_TRUE(text_of(sim.history(0, 0)).contains("+0606051000001"));
    EXPECT_TRUE(text_of(sim.history(0, 0)).contains("SA0011"));

    // The log came into the database, names found or "unknown", and the reader was cleared.
    const auto rows = stored_log();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].readernum, QStringLiteral("003"));
    EXPECT_EQ(rows[0].readername, QStringLiteral("Reader 3"));
    EXPECT_EQ(rows[0].location, QStringLiteral("Site 3"));
    EXPECT_EQ(rows[0].DateTime.size(), 19);
    const std::set<QString> names{rows[0].idnum + rows[0].lastname,
                                  rows[1].idnum + rows[1].lastname};
    EXPECT_EQ(names,
              (std::set<QString>{QStringLiteral("1234Jones"), QStringLiteral("4321unknown")}));
    EXPECT_NE(rows[0].granted, rows[1].granted);
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); }), 0);
}

TEST_F(autorun_run, failing_steps_report_their_codes_and_the_run_goes_on) {
    sim::reader_config silent = reader_with_log(0, false, {"1"});
    silent.faults.silent = true;
    const quint16 port = sim.start_tcp({silent});
    add(test::tcp_reader_row(3, port));
    add(test::reader_row(8, QString()));
    data::reader_row no_schedules = test::tcp_reader_row(9, test::closed_tcp_port());
    add(no_schedules);
    add(user(QStringLiteral("1"), {{3, "01"}}));
    add_schedule(1);

    const autorun::autorun_result result = run();
    const QString timeout = QStringLiteral("Timeout while communicating with reader");
    EXPECT_EQ(result.lines.mid(2, 7),
              (QStringList{
                  QStringLiteral("Reader 003 - error  16 - ") + timeout +
                      QStringLiteral(" - access download will be skipped"),
                  QStringLiteral("Reader 003 - error  12 - ") + timeout,
                  QStringLiteral("Reader 003 - error  19 - ") + timeout,
                  QStringLiteral("Reader 008 - no Com port or ip address specified"),
                  QStringLiteral("Reader 009 - error  21 - Unable to connect to tcp/ip "
                                 "reader - access download will be skipped"),
                  QStringLiteral("Reader 009 - error  21 - Unable to connect to tcp/ip reader"),
                  QStringLiteral("Reader 009 - error  21 - Unable to connect to tcp/ip reader")}));
    EXPECT_EQ(result.reader_errors, 7);
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("AN"));
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("|cl|"));
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); }), 1);
}

TEST_F(autorun_run, file_sources_are_checked_and_sized_once_per_run) {
    const quint16 a = sim.start_tcp({test::sim_fixture::zep_reader()});
    const quint16 b = sim.start_tcp({test::sim_fixture::zep_reader()});
    add(test::tcp_reader_row(2, a));
    add(test::tcp_reader_row(7, b));
    request.settings.autosettings = QStringLiteral("10100");
    request.settings.autoacclistdown = QStringLiteral("1");
    request.settings.singacclistdown =
        write_file("long.txt", "001123\r\n0011234567890123456789\r\n");
    request.settings.autoschdown = QStringLiteral("1");
    request.settings.singschdown = write_file("sch.txt", "005108001700\r\n005808001700\r\n");
    EXPECT_EQ(run().lines.mid(2, 4),
              (QStringList{
                  QStringLiteral(
                      "Reader 002 - error  3 - File contains an ID greater than 18 characters"),
                  QStringLiteral("Reader 002 - error  10 - Invalid data in text schedule file"),
                  QStringLiteral(
                      "Reader 007 - error  3 - File contains an ID greater than 18 characters"),
                  QStringLiteral("Reader 007 - error  10 - Invalid data in text schedule file")}));
    EXPECT_TRUE(sim.received(0).isEmpty());  // checked before any traffic

    // Six-character lines: record length 04. Per-reader files of 12 and 9: both get 09.
    request.settings.singacclistdown = write_file("short.txt", "001123\r\n002456\r\n");
    write_file("sch.txt", "005108001700\r\n");
    run();
    EXPECT_TRUE(text_of(sim.history(0, 0)).contains("|\\04|AN001123|AN002456|SA005108001700|"))
        << text_of(sim.history(0, 0)).constData();
    request.settings.autoacclistdown = QStringLiteral("2");
    request.settings.diracclistdown = db.folder();
    write_file("rdr002.txt", "001123456789\r\n");
    write_file("rdr007.txt", "001123456\r\n");
    EXPECT_EQ(run().reader_errors, 0);
    EXPECT_TRUE(text_of(sim.history(0, 0)).endsWith("|\\09|AN001123456789|SA005108001700|"));
    EXPECT_TRUE(text_of(sim.history(1, 0)).endsWith("|\\09|AN001123456|SA005108001700|"));
}

TEST_F(autorun_run, log_destinations_keep_every_record_until_it_is_stored) {
    const quint16 a = sim.start_tcp({reader_with_log(0, false, {"11", "12"})});
    const quint16 b = sim.start_tcp({reader_with_log(5, true, {"21", "22"})});
    const quint16 empty = sim.start_tcp({test::sim_fixture::zep_reader()});
    add(test::tcp_reader_row(1, a));
    add(test::tcp_reader_row(2, b, 5));
    add(test::tcp_reader_row(3, empty));
    request.settings.autosettings = QStringLiteral("00010");
    request.settings.autologup = QStringLiteral("1");
    request.settings.singlogup = db.folder() + QStringLiteral("/all.txt");
    request.parallel = 3;
    EXPECT_EQ(run().reader_errors, 0);
    // One file for the run, each reader's records in reader order; "END" at once still clears.
    const QStringList lines = file_lines(request.settings.singlogup);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].mid(13, 1) + lines[1].mid(13, 1) + lines[2].mid(13, 1) + lines[3].mid(13, 1),
              QStringLiteral("1122"))
        << qPrintable(lines.join(u','));
    EXPECT_TRUE(text_of(sim.history(2, 0)).endsWith("|lr|l|cl|"))
        << text_of(sim.history(2, 0)).constData();

    // A malformed record bound for the database: what came before it is stored, no "cl".
    sim.with_reader(0, 0, [](sim::reader& r) {
        r.log.append({false, QDateTime(QDate(2024, 1, 2), QTime(7, 30), Qt::UTC), "55"});
        r.log.append({false, QDateTime(QDate(2024, 1, 2), QTime(7, 31), Qt::UTC), ""});
    });
    request.settings.autologup = QStringLiteral("3");
    request.parallel = 1;
    EXPECT_EQ(run().lines[2],
              QStringLiteral("Reader 001 - error  17 - Invalid response from reader - "
                             "access download will be skipped"));
    ASSERT_EQ(stored_log().size(), 1u);
    EXPECT_EQ(stored_log()[0].DateTime, QStringLiteral("2024-01-02 07:30:00"));
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); }), 2);
}

TEST_F(autorun_run, a_stop_ends_the_step_without_its_line_and_keeps_the_log) {
    const quint16 port =
        sim.start_tcp({reader_with_log(0, false, {"1", "2", "3", "4", "5", "6", "7", "8"})});
    add(test::tcp_reader_row(1, port));
    person.cancel_when = [&] { return text_of(sim.history(0, 0)).count("|l|") >= 3; };
    const autorun::autorun_result result = run();
    EXPECT_EQ(result.end, autorun_end::stopped);
    EXPECT_EQ(result.lines, (QStringList{QStringLiteral("Start Autorun"), QStringLiteral(" "),
                                         QStringLiteral(" "), QStringLiteral("Autorun stopped")}));
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("|cl|"));
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); }), 8);
}

// `zep background`: the run's lines in background.log beside the database, nothing asked.
TEST_F(autorun_run, background_writes_its_log_line_for_line) {
    const quint16 port = sim.start_tcp({test::sim_fixture::zep_reader()});
    add(test::tcp_reader_row(4, port));
    add_schedule(1);
    db.close();
    const test::cli_run cli = test::run_zep(db.path(), {QStringLiteral("background")});
    EXPECT_EQ(cli.status, 1) << qPrintable(cli.err);  // no users: the access list fails
    EXPECT_EQ(file_lines(db.folder() + QStringLiteral("/background.log")),
              (QStringList{QStringLiteral("NVR ZEP V9.0 BACKGROUND AUTOPROCESSOR ") +
                               QDate::currentDate().toString(u"yyyy-MM-dd"),
                           QStringLiteral(" "), QStringLiteral("Starting Autorun"),
                           QStringLiteral(" "), QStringLiteral("Reader 004 - log uploaded"),
                           QStringLiteral("Reader 004 - error  4 - There are no user records "
                                          "entered into the database"),
                           QStringLiteral("Reader 004 - schedule downloaded"),
                           QStringLiteral("Reader 004 - date set"), QStringLiteral(" "),
                           QStringLiteral("Autotun complete")}));
    EXPECT_EQ(QFile(db.folder() + QStringLiteral("/background.log")).permissions() & 0x0077, 0);
    EXPECT_TRUE(cli.out.isEmpty());
    EXPECT_EQ(test::run_zep(db.path(), {QStringLiteral("autorun"), QStringLiteral("--parallel"),
                                        QStringLiteral("0")})
                  .status,
              2);
}

// A run killed at any point of a log upload into the database loses no record: each is in
// the database or still in the reader. Then a second run, started at once, takes the lock
// left by the dead one.
TEST_F(autorun_run, a_killed_upload_loses_no_record) {
    std::vector<QByteArray> cards;
    for (int i = 0; i < 12; ++i) cards.push_back(QByteArray::number(1000 + i));
    const quint16 port = sim.start_tcp({reader_with_log(0, false, cards)});
    add(test::tcp_reader_row(1, port));
    db.close();
    std::set<QString> seeded;
    sim.with_reader(0, 0, [&](sim::reader& r) {
        for (const sim::log_record& record : r.log.records())
            seeded.insert(QString::fromLatin1(record.card) + record.when.toString());
    });
    ASSERT_EQ(seeded.size(), cards.size());
    const auto run_background = [&](const QString& kill_at) {
        QProcess zep;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZEP_TEST_KILL_AT"), kill_at);
        zep.setProcessEnvironment(env);
        zep.start(QStringLiteral(ZEP_BINARY),
                  {QStringLiteral("--db"), db.path(), QStringLiteral("background")});
        EXPECT_TRUE(zep.waitForFinished(30000));
        return zep.exitStatus() == QProcess::CrashExit;
    };
    // Exchanges: "lr", "l" for each record and "END", "cl", then the record length...
    for (const char* kill_at : {"exchange:1", "exchange:7", "exchange:14", "exchange:15", "write:1",
                                "write:5", "write:13", "write:14"}) {
        EXPECT_TRUE(run_background(QLatin1String(kill_at))) << kill_at;
        std::set<QString> held;
        EXPECT_TRUE(data::log_table(db.reopen()).walk([&](const data::log_row& row) {
            held.insert(row.idnum +
                        QDateTime::fromString(row.DateTime, u"yyyy-MM-dd hh:mm:ss").toString());
            return true;
        }));
        db.close();
        sim.with_reader(0, 0, [&](sim::reader& r) {
            for (const sim::log_record& record : r.log.records())
                held.insert(QString::fromLatin1(record.card) + record.when.toString());
        });
        for (const QString& record : seeded) EXPECT_TRUE(held.count(record)) << kill_at;
    }
    EXPECT_FALSE(run_background(QString()));
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); }), 0);
}

// Two unattended runs started together: one runs, the other says so and sends nothing.
TEST_F(autorun_run, of_two_runs_started_at_once_exactly_one_runs) {
    sim::reader_config slow = reader_with_log(0, false, {"1", "2", "3"});
    slow.faults.delay_ms = 300;
    add(test::tcp_reader_row(1, sim.start_tcp({slow})));
    db.close();
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(QStringLiteral(ZEP_BINARY),
                 {QStringLiteral("--db"), db.path(), QStringLiteral("background")});
    ASSERT_TRUE(first.waitForFinished(30000) && second.waitForFinished(30000));
    const QString told =
        QString::fromLatin1(first.readAllStandardError() + second.readAllStandardError());
    EXPECT_EQ(told, QStringLiteral("An automatic run is already in progress\n"));
    EXPECT_EQ(file_lines(db.folder() + QStringLiteral("/background.log"))
                  .filter(QStringLiteral("AUTOPROCESSOR"))
                  .size(),
              1);
    EXPECT_EQ(sim.received(0).count("lr"), 1);
}

// SIGTERM stops `zep autorun` like the Stop control: no line for the step, exit 130.
TEST_F(autorun_run, sigterm_stops_the_command_line_run) {
    sim::reader_config slow = reader_with_log(0, false, {"1", "2", "3", "4", "5"});
    slow.faults.delay_ms = 300;
    add(test::tcp_reader_row(1, sim.start_tcp({slow})));
    db.close();
    QProcess zep;
    zep.start(QStringLiteral(ZEP_BINARY),
              {QStringLiteral("--db"), db.path(), QStringLiteral("autorun")});
    ASSERT_TRUE(test::sim_fixture::wait_until([&] { return sim.received(0).count("\rl\r") >= 2; }));
    zep.terminate();
    ASSERT_TRUE(zep.waitForFinished(5000));
    EXPECT_EQ(zep.exitCode(), 130);
    EXPECT_EQ(zep.readAllStandardOutput(), "Start Autorun\n \n \nAutorun stopped\n");
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& r) { return r.log.size(); }), 5);
}

}  // namespace
}  // namespace zep
