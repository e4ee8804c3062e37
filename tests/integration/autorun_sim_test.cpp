#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <algorithm>
#include <set>
#include <thread>

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
using test::sim_fixture;

// A user with schedule slots at the given readers ("05" at reader 3, say).
data::user_row user(const QString& id, std::initializer_list<std::pair<int, const char*>> slots,
                    const QString& last = "Smith") {
    QString schedules(254, u' ');
    for (const auto& [reader, slot] : slots) schedules.replace(2 * reader, 2, QLatin1String(slot));
    return {id, last, "Ann", schedules};
}

sim::reader_config reader_with_log(int address, bool protocol, std::vector<QByteArray> cards) {
    sim::reader_config config = sim_fixture::zep_reader(address, protocol);
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
    if (!QFile::exists(path)) return {"(missing)"};
    return QString::fromLatin1(test::file_bytes(path)).split("\r\n", Qt::SkipEmptyParts);
}

class autorun_run : public ::testing::Test {
  protected:
    test::temp_database db;
    sim_fixture sim;
    test::scripted_operator person;
    // Monday 5 June 2006, 10:00:00.
    test::fixed_clock clock{QDateTime(QDate(2006, 6, 5), QTime(10, 0), Qt::UTC)};
    autorun::autorun_request request;
    autorun::autorun_settings& settings = request.settings;
    // Beside the file; for a server database, in this PC's state folder.
    const QString background_log = autorun::background_log_path(db.db());

    void SetUp() override { request.clock = &clock; }
    void add(const data::reader_row& row) { ASSERT_TRUE(data::readers_table(db.db()).insert(row)); }
    void add(const data::user_row& row) { ASSERT_TRUE(data::users_table(db.db()).insert(row)); }
    void add_schedule(qint16 num) {
        data::schedule_row s;
        s.schedulenum = num;
        s.monday = "08001700";
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
        return test::write_file(db.folder() + '/' + name, content);
    }
    QString in_folder(const char* name) const { return db.folder() + '/' + name; }
    int log_left(int line = 0) {
        return sim.with_reader(line, 0, [](sim::reader& r) { return r.log.size(); });
    }
    // A plain reader does not answer "cl": the run may end before the simulator has read it.
    bool log_cleared(int line = 0) {
        return sim_fixture::wait_until([&] { return log_left(line) == 0; });
    }
    // `zep --db DB ARGS` as a program of its own; `env` adds NAME, VALUE pairs.
    void start_zep(QProcess& zep, const QStringList& args, const QStringList& env = {}) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (qsizetype i = 0; i + 1 < env.size(); i += 2) e.insert(env[i], env[i + 1]);
        zep.setProcessEnvironment(e);
        zep.start(ZEP_BINARY, QStringList{"--db", db.path()} + args);
    }
};

TEST_F(autorun_run, services_tcp_and_multidrop_serial_readers_from_the_database) {
    const quint16 plain = sim.start_tcp({reader_with_log(0, false, {"1234", "4321"})});
    const quint16 framed = sim.start_tcp({sim_fixture::zep_reader(4, true)});
    request.devices[0] =
        sim.start_pty({sim_fixture::zep_reader(6, true), sim_fixture::zep_reader(126, true)});
    add(test::tcp_reader_row(3, plain));
    data::reader_row far = test::tcp_reader_row(4, framed, 4);
    far.timezone = "-2";
    add(far);
    add(test::tcp_reader_row(5, framed, 127));
    add(test::reader_row(6, "Com1 9600", 6));
    add(test::reader_row(7, "Com1 9600", 126));
    add(user("1234", {{3, "05"}}, "Jones"));
    add(user("77", {{3, "01"}, {4, "01"}, {6, "02"}, {7, "02"}}));
    add_schedule(1);

    const autorun::autorun_result result = run();
    QStringList expected{"Start Autorun", " "};
    for (const char* reader : {"003", "004", "006", "007"}) {
        if (QLatin1String(reader) == "006") expected << "Reader 005 - Invalid protocol address";
        for (const char* done :
             {"log uploaded", "access list downloaded", "schedule downloaded", "date set"})
            expected << QString("Reader %1 - %2").arg(reader, done);
    }
    expected << " "
             << "Autorun Finished";
    EXPECT_EQ(result.lines, expected);
    EXPECT_EQ(person.status_lines, expected);
    EXPECT_EQ(result.end, autorun_end::finished);
    EXPECT_EQ(result.reader_errors, 1);  // reader 005

    // Reader 3 gets 1234 with schedule 05, reader 4 only 77; 127 is never spoken to.
    const QByteArray first = text_of(sim.history(0, 0)), second = text_of(sim.history(1, 0));
    for (const char* sent : {"|AN0051234|", "|AN00177|", "+0606051000001", "SA0011"})
        EXPECT_TRUE(first.contains(sent)) << sent;
    EXPECT_FALSE(second.contains("1234"));
    EXPECT_TRUE(second.contains("+0606050800001"));
    EXPECT_EQ(sim.access_list(2, 1).size(), 1u);

    // The log came into the database, names found or "unknown", and the reader was cleared.
    const auto rows = stored_log();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].readernum + rows[0].readername + rows[0].location, "003Reader 3Site 3");
    EXPECT_EQ(rows[0].DateTime.size(), 19);
    const std::set<QString> names{rows[0].idnum + rows[0].lastname,
                                  rows[1].idnum + rows[1].lastname};
    EXPECT_EQ(names, (std::set<QString>{"1234Jones", "4321unknown"}));
    EXPECT_NE(rows[0].granted, rows[1].granted);
    EXPECT_TRUE(log_cleared());
}

TEST_F(autorun_run, failing_steps_report_their_codes_and_the_run_goes_on) {
    sim::reader_config silent = reader_with_log(0, false, {"1"});
    silent.faults.silent = true;
    add(test::tcp_reader_row(3, sim.start_tcp({silent})));
    add(test::reader_row(8, QString()));
    add(test::tcp_reader_row(9, test::closed_tcp_port()));
    add(user("1", {{3, "01"}}));
    add_schedule(1);

    const autorun::autorun_result result = run();
    const QString timeout = " - Timeout while communicating with reader";
    const QString unreachable = "Reader 009 - error  21 - Unable to connect to tcp/ip reader";
    EXPECT_EQ(result.lines.mid(2, 7),
              (QStringList{
                  "Reader 003 - error  16" + timeout + " - access download will be skipped",
                  "Reader 003 - error  12" + timeout, "Reader 003 - error  19" + timeout,
                  "Reader 008 - no Com port or ip address specified",
                  unreachable + " - access download will be skipped", unreachable, unreachable}));
    EXPECT_EQ(result.reader_errors, 7);
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("AN"));
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("|cl|"));
    EXPECT_EQ(log_left(), 1);
}

// Files and stored IDs that no reader can take fail their step before any traffic.
TEST_F(autorun_run, file_sources_are_checked_and_sized_once_per_run) {
    const quint16 a = sim.start_tcp({sim_fixture::zep_reader()});
    const quint16 b = sim.start_tcp({sim_fixture::zep_reader()});
    add(test::tcp_reader_row(2, a));
    add(test::tcp_reader_row(7, b));
    settings.autosettings = "10000";
    const QString refused =
        "Reader 002 - error  23 - Database contains an ID that cannot be sent to a reader: ";
    for (const QString& id : {QString("1234567890123456789"), QString("12\r34")}) {
        add(user(id, {{2, "00"}}));
        EXPECT_EQ(run().lines[2], refused + id);
        ASSERT_TRUE(data::users_table(db.db()).remove(id));
    }

    settings.autosettings = "10100";
    settings.autoacclistdown = settings.autoschdown = "1";
    settings.singacclistdown = write_file("long.txt", "001123\r\n0011234567890123456789\r\n");
    const QString too_long = " - error  3 - File contains an ID greater than 18 characters";
    const QString bad_schedule = " - error  10 - Invalid data in text schedule file";
    for (const char* bad : {"005808001700", "100108001700"}) {  // weekday 8, schedule 100
        settings.singschdown = write_file("sch.txt", "005108001700\r\n" + QByteArray(bad));
        EXPECT_EQ(run().lines.mid(2, 4),
                  (QStringList{"Reader 002" + too_long, "Reader 002" + bad_schedule,
                               "Reader 007" + too_long, "Reader 007" + bad_schedule}))
            << bad;
    }
    // A quoted record holding a line end would put a command of its own on the line.
    settings.singacclistdown = write_file("ctl.txt", "001123\r\n\"0014\r5\"\r\n");
    settings.autosettings = "10000";
    EXPECT_EQ(run().lines[2],
              "Reader 002 - error  24 - File contains an ID that cannot be sent "
              "to a reader: line 2");
    EXPECT_TRUE(sim.received(0).isEmpty());  // checked before any traffic

    // Six-character lines: record length 04. Per-reader files of 12 and 9: both get 09.
    settings.autosettings = "10100";
    settings.singacclistdown = write_file("short.txt", "001123\r\n002456\r\n");
    write_file("sch.txt", "005108001700\r\n");
    run();
    EXPECT_TRUE(text_of(sim.history(0, 0)).contains("|\\04|AN001123|AN002456|SA005108001700|"))
        << text_of(sim.history(0, 0)).constData();
    settings.autoacclistdown = settings.autoschdown = "2";
    settings.diracclistdown = settings.dirschdown = db.folder();
    write_file("rdr002.txt", "001123456789\r\n");
    write_file("rdr007.txt", "001123456\r\n");
    write_file("sch002.txt", "002108001700\r\n");
    write_file("sch007.txt", "007208001700\r\n");
    EXPECT_EQ(run().reader_errors, 0);
    EXPECT_TRUE(text_of(sim.history(0, 0)).endsWith("|\\09|AN001123456789|SA002108001700|"));
    EXPECT_TRUE(text_of(sim.history(1, 0)).endsWith("|\\09|AN001123456|SA007208001700|"));
}

TEST_F(autorun_run, log_destinations_keep_every_record_until_it_is_stored) {
    const quint16 a = sim.start_tcp({reader_with_log(0, false, {"11", "12"})});
    const quint16 b = sim.start_tcp({reader_with_log(5, true, {"21", "22"})});
    const quint16 empty = sim.start_tcp({sim_fixture::zep_reader()});
    add(test::tcp_reader_row(1, a));
    add(test::tcp_reader_row(2, b, 5));
    add(test::tcp_reader_row(3, empty));
    settings.autosettings = "00010";
    settings.autologup = "1";
    settings.singlogup = in_folder("all.txt");
    request.parallel = 3;
    EXPECT_EQ(run().reader_errors, 0);
    // One file for the run, each reader's records in reader order; "END" at once still clears.
    const QStringList lines = file_lines(settings.singlogup);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].mid(13, 1) + lines[1].mid(13, 1) + lines[2].mid(13, 1) + lines[3].mid(13, 1),
              "1122")
        << qPrintable(lines.join(u','));
    EXPECT_TRUE(text_of(sim.history(2, 0)).endsWith("|lr|l|cl|"))
        << text_of(sim.history(2, 0)).constData();

    // One reader after another: the same file, in the same order.
    for (int line : {1, 0}) {
        sim.with_reader(line, 0, [line](sim::reader& r) {
            r.log.append({false, QDateTime(QDate(2024, 5, 6), QTime(8, line), Qt::UTC), "31"});
        });
    }
    request.parallel = 1;
    EXPECT_EQ(run().reader_errors, 0);
    EXPECT_EQ(file_lines(settings.singlogup), (QStringList{"024050608000031", "024050608010031"}));

    // A malformed record bound for the database: what came before it is stored, no "cl".
    sim.with_reader(0, 0, [](sim::reader& r) {
        r.log.append({false, QDateTime(QDate(2024, 1, 2), QTime(7, 30), Qt::UTC), "55"});
        r.log.append({false, QDateTime(QDate(2024, 1, 2), QTime(7, 31), Qt::UTC), ""});
    });
    settings.autologup = "3";
    EXPECT_EQ(run().lines[2],
              "Reader 001 - error  17 - Invalid response from reader - access "
              "download will be skipped");
    ASSERT_EQ(stored_log().size(), 1u);
    EXPECT_EQ(stored_log()[0].DateTime, "2024-01-02 07:30:00");
    EXPECT_EQ(log_left(), 2);
}

// A stopped upload keeps the reader's whole log and what came is stored; the next run stores
// the rest, each record once (two swipes of one card in one second stay two).
TEST_F(autorun_run, a_stopped_upload_keeps_the_log_and_the_next_run_stores_each_record_once) {
    std::vector<QByteArray> cards;
    for (int i = 0; i < 1500; ++i) cards.push_back(QByteArray::number(1000 + i % 40));
    add(test::tcp_reader_row(1, sim.start_tcp({reader_with_log(0, false, cards)})));
    sim.with_reader(0, 0, [](sim::reader& r) {
        const QDateTime when(QDate(2025, 3, 4), QTime(9, 0), Qt::UTC);
        r.log.append({false, when, "77"});
        r.log.append({false, when, "77"});
    });
    settings.autosettings = "00010";
    person.cancel_when = [&] { return sim.history(0, 0).size() >= 700; };
    const autorun::autorun_result stopped = run();
    EXPECT_EQ(stopped.end, autorun_end::stopped);
    EXPECT_EQ(stopped.lines, (QStringList{"Start Autorun", " ", " ", "Autorun stopped"}));
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("|cl|"));
    EXPECT_EQ(log_left(), 1502);
    const std::size_t part = stored_log().size();
    EXPECT_TRUE(part >= 600 && part < 1502) << part;

    person.cancel_when = {};
    person.progress_texts.clear();
    EXPECT_EQ(run().reader_errors, 0);
    EXPECT_TRUE(log_cleared());
    // What the run is doing shows beside the status list, and is cleared at its end.
    EXPECT_EQ(person.progress_texts.front(), "Reader 001 - log upload");
    EXPECT_TRUE(person.progress_texts.contains("Reader 001 - log upload: 1,500 records"));
    EXPECT_EQ(person.progress_texts.back(), "");
    const auto rows = stored_log();
    EXPECT_EQ(rows.size(), 1502u);
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [](const data::log_row& r) { return r.idnum == "77"; }),
              2);
}

// The one rule that keeps transactions from being lost: a reader's log is cleared only once
// its records are stored. A destination that refuses them (a trigger, a read-only
// connection, a full disk for either kind of file) gets the step's error and no "cl"; the
// reader keeps its log and the next healthy run stores every record once.
TEST_F(autorun_run, records_a_destination_refuses_are_never_cleared_from_the_reader) {
    std::vector<QByteArray> cards;
    for (int i = 0; i < 10; ++i) cards.push_back(QByteArray::number(100 + i));
    add(test::tcp_reader_row(1, sim.start_tcp({reader_with_log(0, false, cards)})));
    settings.autosettings = "00010";
    const QString refused =
        "Reader 001 - error  22 - Unable to store log records - access download will be skipped";
    QSqlQuery sql(db.db().connection());
    const bool server = test::server_backend();
    const std::pair<QString, QString> refusals[] = {
        {test::refusing_trigger("INSERT", "log"), test::dropping_trigger("INSERT", "log")},
        {server ? "SET default_transaction_read_only = on" : "PRAGMA query_only = 1",
         server ? "SET default_transaction_read_only = off" : "PRAGMA query_only = 0"}};
    for (const auto& [refuse, allow] : refusals) {
        ASSERT_TRUE(sql.exec(refuse)) << refuse.toStdString();
        EXPECT_EQ(run().lines[2], refused) << refuse.toStdString();
        ASSERT_TRUE(sql.exec(allow)) << allow.toStdString();
        EXPECT_EQ(log_left(), 10);
    }
    // A disk that fills up while the lines are written: the file limit of this process, room
    // for the run's lock file but not for ten records.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    settings.dirlogup = db.folder();
    settings.singlogup = in_folder("all.txt");
    for (const char* destination : {"2", "1"}) {
        settings.autologup = destination;
        rlimit small = before;
        small.rlim_cur = 100;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const QStringList lines = run().lines;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
        ASSERT_GE(lines.size(), 3);
        EXPECT_EQ(lines[2], refused) << destination;
        EXPECT_EQ(log_left(), 10);
    }
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("|cl|"));

    settings.autologup = "3";
    EXPECT_EQ(run().reader_errors, 0);
    EXPECT_EQ(stored_log().size(), 10u);
    EXPECT_TRUE(log_cleared());
}

// A log file is replaced only once its reader answered; a reply that is no transaction ends
// the upload (error 17) after the lines before it, whatever the destination; no folder is no
// file, never one at the root.
TEST_F(autorun_run, log_files_are_replaced_only_when_reached_and_a_bad_reply_ends_the_upload) {
    const quint16 a = sim.start_tcp({reader_with_log(0, false, {"11", "12"})});
    sim.with_reader(0, 0, [](sim::reader& r) {
        r.log.append({false, QDateTime(QDate(2024, 1, 2), QTime(7, 31), Qt::UTC), ""});
    });
    sim::reader_config refusing = sim_fixture::zep_reader();
    refusing.faults.nak = true;  // "?" to every "l"
    const quint16 b = sim.start_tcp({refusing});
    add(test::tcp_reader_row(1, a));
    add(test::tcp_reader_row(2, b));
    add(test::tcp_reader_row(3, test::closed_tcp_port()));
    settings.autosettings = "00010";
    settings.autologup = "2";
    settings.dirlogup = db.folder();
    write_file("log003.txt", "old\r\n");
    const QString skipped = " - access download will be skipped";
    const QString invalid = " - error  17 - Invalid response from reader" + skipped;
    EXPECT_EQ(
        run().lines.mid(2, 3),
        (QStringList{"Reader 001" + invalid, "Reader 002" + invalid,
                     "Reader 003 - error  21 - Unable to connect to tcp/ip reader" + skipped}));
    EXPECT_EQ(file_lines(in_folder("log001.txt")).size(), 2);
    EXPECT_EQ(file_lines(in_folder("log003.txt")), QStringList{"old"});
    EXPECT_FALSE(text_of(sim.history(0, 0)).contains("|cl|"));
    EXPECT_LT(sim.received(1).count("\rl\r"), 3);

    // The single file of a run that reaches no reader stays as it was.
    for (int reader : {1, 2}) {
        data::reader_row row = test::tcp_reader_row(reader, reader == 1 ? a : b);
        row.active.clear();
        ASSERT_TRUE(data::readers_table(db.db()).update(row));
    }
    settings.autologup = "1";
    settings.singlogup = write_file("all.txt", "old\r\n");
    run();
    EXPECT_EQ(file_lines(settings.singlogup), QStringList{"old"});

    // No folder: each step fails with its own error, and nothing is made at the root.
    settings.autologup = "2";
    settings.dirlogup.clear();
    EXPECT_EQ(run().lines[2], "Reader 003 - error  14 - Unable to create log file" + skipped);
    settings.autosettings = "10100";
    settings.autoacclistdown = settings.autoschdown = "2";
    EXPECT_EQ(run().lines.mid(2, 2),
              (QStringList{"Reader 003 - error  2 - Access file not found",
                           "Reader 003 - error  8 - Schedule file not found"}));
    for (const char* name : {"/log003.txt", "/rdr003.txt", "/sch003.txt"})
        EXPECT_FALSE(QFile::exists(name));
}

// A parallel run sees the stop at its next check whatever its links wait for.
TEST_F(autorun_run, a_parallel_run_stops_during_connects_that_never_complete) {
    test::silent_tcp_host first, second;
    add(test::tcp_reader_row(1, first.port()));
    add(test::tcp_reader_row(2, second.port()));
    settings.autosettings = "00001";
    request.parallel = 2;
    QElapsedTimer started;
    started.start();
    person.cancel_when = [&] { return started.elapsed() > 200; };
    EXPECT_EQ(run().end, autorun_end::stopped);
    EXPECT_LT(started.elapsed(), 2000);  // hang bound: a connect alone gives up after 5 s
}

// Every byte one serial protocol reader hears in a run: the wake-ups, the host's ACK after
// each reply, the clock's digits and every schedule record.
TEST_F(autorun_run, a_serial_protocol_reader_hears_exactly_these_bytes) {
    request.devices[0] = sim.start_pty({reader_with_log(6, true, {"4321"})});
    add(test::reader_row(6, "Com1 9600", 6));
    add(user("1234", {{6, "01"}}));
    add_schedule(1);
    EXPECT_EQ(run().reader_errors, 0);
    const auto frame = [](const QByteArray& command) { return "\x86\x02" + command + "\x03"; };
    QByteArray expected = QByteArray("\x06\x06") + frame("lr") + frame("l") + '\x06' + frame("l") +
                          '\x06' + '\x06' + frame("cl");
    expected += '\x06' + frame("\\04") + '\x06' + frame("AN0011234") + '\x06';
    for (int d = 1; d <= 7; ++d) {
        const QByteArray window = d == 1 ? "08001700" : "00000000";
        expected += '\x06' + frame("SA001" + QByteArray::number(d) + window) + '\x06';
    }
    expected += '\x06' + frame("+0606051000001") + '\x06';
    EXPECT_EQ(sim.received_settled(0, expected), expected);
    // Schedules from the database follow the access list at once: only a file's records
    // wait 100 ms first. The gap ends at the ACK that leads the first "SA".
    const std::vector<sim::heard> heard = sim.network(0).timeline(0);
    auto first = std::find_if(heard.begin(), heard.end(),
                              [](const sim::heard& h) { return h.bytes.contains("SA001"); });
    ASSERT_TRUE(first != heard.end() && first - heard.begin() >= 2);
    if (!first->bytes.startsWith('\x06')) --first;
    EXPECT_LT(first->at_ms - std::prev(first)->at_ms, 100);
}

// The override selection replaces the active marks; a second run in the same program is
// refused while the first holds the lock.
TEST_F(autorun_run, follows_the_override_selection_and_refuses_a_second_run) {
    sim::reader_config slow = sim_fixture::zep_reader();
    slow.faults.delay_ms = 200;
    const quint16 port = sim.start_tcp({slow});
    add(test::tcp_reader_row(1, port));
    add(test::tcp_reader_row(2, port));
    request.selection.loadup(*data::readers_table(db.db()).all());
    request.selection.set(1, false);
    settings.autosettings = "00001";
    // The second run, on a thread and a connection of its own, only tries the lock.
    test::scripted_operator second;
    autorun_end second_end = autorun_end::finished;
    std::thread other([&] {
        sim_fixture::wait_until([&] { return !sim.received(0).isEmpty(); });
        auto own = data::database_file::open(db.path(), test::unique_connection_name());
        if (own) second_end = autorun::run_autorun(**own, request, second).end;
    });
    const autorun::autorun_result first = run();
    other.join();
    EXPECT_EQ(second_end, autorun_end::already_running);
    EXPECT_EQ(second.messages, QStringList{"An automatic run is already in progress"});
    EXPECT_EQ(first.lines.mid(2, 1), QStringList{"Reader 002 - date set"});
    EXPECT_EQ(first.lines.size(), 5);
}

// Serial readers served in parallel: the command line says nothing but the run's lines.
TEST_F(autorun_run, serial_readers_in_parallel_print_nothing_else) {
    const QString one = sim.start_pty({sim_fixture::zep_reader()});
    const QString two = sim.start_pty({sim_fixture::zep_reader()});
    add(test::reader_row(1, "Com1 9600"));
    add(test::reader_row(2, "Com2 9600"));
    add(user("55", {{1, "00"}, {2, "00"}}));
    add_schedule(1);
    db.close();
    QProcess zep;
    start_zep(zep, {"autorun", "--parallel", "2"}, {"ZEP_COM1", one, "ZEP_COM2", two});
    ASSERT_TRUE(zep.waitForFinished(30000));
    EXPECT_EQ(zep.readAllStandardError(), QByteArray());
    EXPECT_EQ(zep.exitCode(), 0);
    EXPECT_EQ(zep.readAllStandardOutput().count("date set"), 2);
}

// `zep background`: the run's lines in background.log beside the database, nothing asked.
TEST_F(autorun_run, background_writes_its_log_line_for_line) {
    add(test::tcp_reader_row(4, sim.start_tcp({sim_fixture::zep_reader()})));
    add_schedule(1);
    db.close();
    const test::cli_run cli = test::run_zep(db.path(), {"background"});
    EXPECT_EQ(cli.status, 1) << qPrintable(cli.err);  // no users: the access list fails
    EXPECT_EQ(
        file_lines(background_log),
        (QStringList{
            "NVR ZEP V9.0 BACKGROUND AUTOPROCESSOR " + QDate::currentDate().toString(u"yyyy-MM-dd"),
            " ", "Starting Autorun", " ", "Reader 004 - log uploaded",
            "Reader 004 - error  4 - There are no user records entered into the "
            "database",
            "Reader 004 - schedule downloaded", "Reader 004 - date set", " ", "Autotun complete"}));
    EXPECT_EQ(QFile(background_log).permissions() & 0x0077, 0);
    EXPECT_TRUE(cli.out.isEmpty());
    EXPECT_EQ(test::run_zep(db.path(), {"autorun", "--parallel", "0"}).status, 2);
}

// A run killed at any point of a log upload into the database loses no record: each is in
// the database or still in the reader, and none is stored twice by the runs that follow.
// Then a second run, started at once, takes the lock left by the dead one.
TEST_F(autorun_run, a_killed_upload_loses_no_record_and_stores_none_twice) {
    std::vector<QByteArray> cards;
    for (int i = 0; i < 12; ++i) cards.push_back(QByteArray::number(1000 + i));
    add(test::tcp_reader_row(1, sim.start_tcp({reader_with_log(0, false, cards)})));
    db.close();
    const auto in_reader = [&] {
        std::multiset<QString> held;
        sim.with_reader(0, 0, [&](sim::reader& r) {
            for (const sim::log_record& record : r.log.records())
                held.insert(QString::fromLatin1(record.card) + ' ' +
                            record.when.toString(u"yyyy-MM-dd hh:mm:ss"));
        });
        return held;
    };
    const std::multiset<QString> seeded = in_reader();
    ASSERT_EQ(seeded.size(), cards.size());
    const auto run_background = [&](const QString& kill_at) {
        QProcess zep;
        start_zep(zep, {"background"}, {"ZEP_TEST_KILL_AT", kill_at});
        EXPECT_TRUE(zep.waitForFinished(30000));
        return zep.exitStatus() == QProcess::CrashExit;
    };
    const auto stored = [&] {
        std::multiset<QString> rows;
        EXPECT_TRUE(data::log_table(db.reopen()).walk([&](const data::log_row& row) {
            rows.insert(row.idnum + ' ' + row.DateTime);
            return true;
        }));
        db.close();
        return rows;
    };
    // Writes: the transaction's start, a row each, the commit. Exchanges: "lr", "l" for each
    // record and "END", then "cl" (the 15th: the records are stored by then).
    for (const char* kill_at : {"write:1", "write:5", "write:13", "write:14", "exchange:1",
                                "exchange:7", "exchange:14", "exchange:15"}) {
        EXPECT_TRUE(run_background(kill_at)) << kill_at;
        std::multiset<QString> held = stored();
        held.merge(in_reader());
        for (const QString& record : seeded) EXPECT_TRUE(held.count(record)) << kill_at;
    }
    EXPECT_FALSE(run_background(QString()));
    EXPECT_TRUE(log_cleared());
    EXPECT_EQ(stored(), seeded);
}

// Two unattended runs started together: one runs, the other says so and sends nothing.
TEST_F(autorun_run, of_two_runs_started_at_once_exactly_one_runs) {
    sim::reader_config slow = reader_with_log(0, false, {"1", "2", "3"});
    slow.faults.delay_ms = 300;
    add(test::tcp_reader_row(1, sim.start_tcp({slow})));
    db.close();
    QProcess first, second;
    for (QProcess* p : {&first, &second}) start_zep(*p, {"background"});
    ASSERT_TRUE(first.waitForFinished(30000) && second.waitForFinished(30000));
    EXPECT_EQ(first.readAllStandardError() + second.readAllStandardError(),
              "An automatic run is already in progress\n");
    EXPECT_EQ(file_lines(background_log).filter("AUTOPROCESSOR").size(), 1);
    EXPECT_EQ(sim.received(0).count("lr"), 1);
}

// SIGTERM stops `zep autorun` like the Stop control: no line for the step, exit 130.
TEST_F(autorun_run, sigterm_stops_the_command_line_run) {
    sim::reader_config slow = reader_with_log(0, false, {"1", "2", "3", "4", "5"});
    slow.faults.delay_ms = 300;
    add(test::tcp_reader_row(1, sim.start_tcp({slow})));
    db.close();
    QProcess zep;
    start_zep(zep, {"autorun"});
    ASSERT_TRUE(sim_fixture::wait_until([&] { return sim.received(0).count("\rl\r") >= 2; }));
    zep.terminate();
    ASSERT_TRUE(zep.waitForFinished(5000));
    EXPECT_EQ(zep.exitCode(), 130);
    EXPECT_EQ(zep.readAllStandardOutput(), "Start Autorun\n \n \nAutorun stopped\n");
    EXPECT_EQ(log_left(), 5);
}

}  // namespace
}  // namespace zep
