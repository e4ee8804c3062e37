// Access lists, schedules and logs between files and simulated readers, in every form.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>

#include "core/link/reader_link.h"
#include "core/transfer/access_transfer.h"
#include "core/transfer/log_transfer.h"
#include "core/transfer/schedule_transfer.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;
using namespace transfer;

class transfers : public testing::TestWithParam<test::line_form>, protected test::sim_session {
  protected:
    link::link_endpoint reader;
    QTemporaryDir dir;
    download_options down;

    bool tcp() const { return reader.tcp(); }
    bool protocol() const { return reader.protocol; }
    void start(sim::reader_config r = sim_fixture::zep_reader()) {
        reader = sim.start_line(GetParam(), std::move(r));
    }
    // The path of `name` in the test's folder, written with `bytes` when they are given.
    QString file(const char* name, const QByteArray& bytes = {}) {
        return bytes.isNull() ? dir.filePath(name) : test::write_file(dir.filePath(name), bytes);
    }
    // The access list download of `down` from the file `name` holding `bytes`.
    transfer_outcome download(const char* name, const QByteArray& bytes) {
        down.file = file(name, bytes);
        return download_access_list(link, reader, down, person);
    }
    transfer_outcome schedules(const QString& path) {
        return download_schedules(link, reader, path, person);
    }
    std::vector<sim::access_entry> ids() { return sim.access_list(0, 0); }
};

TEST_P(transfers, download_then_verify_and_upload_in_both_layouts_and_a_failed_verify) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.ids = {{"999", 0}};
    start(r);
    // Blank lines, two IDs on one line, trailing blanks, LF and CR line ends.
    EXPECT_EQ(download("accesslist.txt", "1001\r\n\r\n1002,1003  \n\"  1004\"\r").end,
              transfer_end::done);
    EXPECT_EQ(person.messages,
              QStringList({"        Download Complete         ", "Verify complete - 4 IDs match"}));
    EXPECT_EQ(ids(),
              (std::vector<sim::access_entry>{{"1001", 0}, {"1002", 0}, {"1003", 0}, {"1004", 0}}));
    // Autoconfigure set the record length from the longest ID, quoted blanks included.
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& x) { return x.record_length; }), 6);

    // Schedule codes equal to the plain and the framed terminator arrive whole.
    person.messages.clear();
    down.layout = access_layout::schedule_and_id;
    EXPECT_TRUE(download("schedules.txt", "0131001\r\n0031002\r\n").ok());
    EXPECT_EQ(ids(), (std::vector<sim::access_entry>{{"1001", 13}, {"1002", 3}}));

    upload_options up{file("uploadacc.txt"), access_layout::schedule_and_id, line_end::cr};
    EXPECT_TRUE(upload_access_list(link, reader, up, person).ok());
    EXPECT_EQ(test::file_bytes(up.file), "0131001\r0031002\r");
    up = {up.file, access_layout::id_only, line_end::cr_lf};
    EXPECT_TRUE(upload_access_list(link, reader, up, person).ok());
    EXPECT_EQ(test::file_bytes(up.file), "1001\r\n1002\r\n");
    EXPECT_EQ(person.messages.back(), "        Upload Complete         ");

    // The verify names what the reader lost.
    sim.with_reader(0, 0, [](sim::reader& x) { x.faults.forget_id = "1002"; });
    person.messages.clear();
    down.layout = access_layout::id_only;
    EXPECT_EQ(download("lost.txt", "1001\r\n1002\r\n1001\r\n").end, transfer_end::failed);
    EXPECT_EQ(person.messages, QStringList({"        Download Complete         ",
                                            "Verify failed - 1 missing, 0 unexpected, 0 with "
                                            "another schedule\r1002 missing"}));
}

// Without autoconfigure the probe finds the reader's record length: a 12-character ID goes
// in, a 13-character one, or more than the free slots, is refused with none of the file sent.
TEST_P(transfers, the_probed_record_length_and_the_free_slots_decide_what_is_sent) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.record_length = 12;
    r.faults.refuse_long_ids = true;  // "N" at once: no probe waits out its time-outs
    r.ids = {{"55", 0}};
    start(r);
    down.autoconfigure = false;
    down.verify = false;
    EXPECT_EQ(download("long.txt", "1234567890123\r\n").text,
              "Data file contains records that are too large for the settings in the reader - "
              "cannot download");
    EXPECT_EQ(download("too_long.txt", "1234567890123456789\r\n").text,
              "Data file contains records > 18 characters - cannot download");

    // 499 free slots of 13 bytes; the old firmware reports them second.
    QByteArray five_hundred;
    for (int i = 0; i < 500; ++i) five_hundred += QByteArray::number(100000 + i) + "\r\n";
    for (const bool old : {false, true}) {
        sim.with_reader(0, 0, [&](sim::reader& x) {
            x.capacity_bytes = 499 * 13;
            x.old_firmware = old;
        });
        down.old_firmware = old;
        EXPECT_EQ(download("500.txt", five_hundred).text,
                  "Cannot download file - there are more records in the file than space in the "
                  "reader");
    }
    // Only the probe's own ID of zeros is left: TCP clears it after the probe, serial only
    // before the records.
    const std::vector<sim::access_entry> zeros{{"000000000000", 0}};
    EXPECT_EQ(ids(), tcp() ? std::vector<sim::access_entry>() : zeros);
    EXPECT_TRUE(download("twelve.txt", "123456789012\r\n").ok());
    EXPECT_EQ(ids(), (std::vector<sim::access_entry>{{"123456789012", 0}}));
    // The probe starts at 18: a reader that takes 18 characters gets the longest ID.
    sim.with_reader(0, 0, [](sim::reader& x) { x.record_length = 18; });
    EXPECT_TRUE(download("eighteen.txt", "123456789012345678\r\n").ok());
    EXPECT_EQ(ids(), (std::vector<sim::access_entry>{{"123456789012345678", 0}}));
}

// TCP skips records under 4 (7 with a schedule) characters and counts them on the
// completion's second line; the verify looks only for what was sent. 21 characters with a
// schedule are sent, 22 refused.
TEST_P(transfers, short_and_longest_records_and_what_the_verify_expects) {
    start();
    EXPECT_EQ(download("short.txt", "123\r\n").end, transfer_end::done);
    if (tcp()) {
        EXPECT_EQ(person.messages,
                  QStringList({"        Download Complete         \rRecords skipped (too short): 1",
                               "Verify complete - 0 IDs match"}));
        EXPECT_TRUE(ids().empty());
    } else {
        EXPECT_EQ(person.messages, QStringList({"        Download Complete         ",
                                                "Verify complete - 1 IDs match"}));
    }
    down.layout = access_layout::schedule_and_id;
    EXPECT_TRUE(download("longest.txt", "007123456789012345678\r\n").ok());
    EXPECT_EQ(ids(), (std::vector<sim::access_entry>{{"123456789012345678", 7}}));
    EXPECT_EQ(download("too_long.txt", "0071234567890123456789\r\n").text,
              "Data file contains records > 18 characters - cannot download");
}

// A file whose records would put commands of their own on the line, or that is no file at
// all, is refused before the reader hears anything; one that can be sent puts exactly its
// bytes on the line.
TEST_P(transfers, files_that_cannot_be_sent_send_nothing_and_one_that_can_exactly_its_bytes) {
    start();
    EXPECT_EQ(download("inject.txt", "1002\r\n\"1001\rcd\"\r\n").text,
              "Data file line 2 holds a character that cannot be sent to a reader - cannot "
              "download");
    EXPECT_EQ(schedules(file("nul.txt", QByteArray("001107") + '\0' + "1900\r\n")).text,
              "Data file line 1 holds a character that cannot be sent to a reader - cannot "
              "download");
    const QString fifo = file("fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        down.file = path;
        EXPECT_EQ(download_access_list(link, reader, down, person).text, "Cannot read " + path);
        EXPECT_EQ(schedules(path).text, "Cannot read " + path);
    }
    EXPECT_TRUE(sim.received(0).isEmpty());

    down.verify = false;
    ASSERT_TRUE(download("one.txt", "1001\r\n").ok());
    // Wake-ups, record length 04, "z", the clearing "cd" and the one record; in protocol
    // mode framed for address 5 (0x85) with the ACKs the reader's answers get.
    const auto framed = [](const QByteArray& text) { return "\x85\x02" + text + "\x03"; };
    const QByteArray expected =
        protocol()
            ? QByteArray(tcp() ? "\x06\x06\x06" : "\x06\x06") + framed("\\04") + framed("z") +
                  "\x06\x06" + framed("cd") + "\x06" + framed("AN0001001") + "\x06"
            : QByteArray(tcp() ? "\r\r\r\r" : "\r\r\r") + "\\04\rz\r\rcd\rAN0001001\r";
    // The simulator's thread may still be taking the last ACK in.
    sim_fixture::wait_until([&] { return sim.received(0).size() >= expected.size(); });
    EXPECT_EQ(sim.received(0).toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

TEST_P(transfers, schedules_round_trip_and_a_refused_record_stops_the_download) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.schedules = {
        {9, {"08001700", "08001700", "08001700", "08001700", "08001700", "00000000", "00000000"}}};
    start(r);
    QByteArray week;
    for (int d = 1; d <= 7; ++d) week += "005" + QByteArray::number(d) + "07001900\r\n";
    ASSERT_TRUE(schedules(file("schedule.txt", week)).ok());
    EXPECT_EQ(person.messages.back(), "     Schedule Download Complete         ");

    const QString up = file("up.txt");
    ASSERT_TRUE(upload_schedules(link, reader, up, line_end::cr_lf, person).ok());
    const QList<QByteArray> lines = test::file_bytes(up).split('\n');
    ASSERT_EQ(lines.size(), 694);  // 693 lines and the end of the last
    EXPECT_EQ(lines[0], "001100000000\r");
    EXPECT_EQ(lines[4 * 7 + 2], "005307001900\r");
    EXPECT_EQ(lines[8 * 7 + 5], "009600000000\r");

    // A blank line is sent as "SA" alone; the reader refuses it and the rest is not sent.
    EXPECT_EQ(schedules(file("gap.txt", "001107001900\r\n\r\n001207001900\r\n")).text,
              "Invalid response from reader, schedule file data may be incorrect");
    EXPECT_EQ(sim.history(0, 0).back(), "SA");

    EXPECT_EQ(schedules(file("huge.txt", QByteArray(5000, '1'))).text,
              "Data file contains a record longer than 4096 characters - cannot download");
    EXPECT_EQ(sim.history(0, 0).back(), "SA");
}

TEST_P(transfers, log_upload_keeps_lines_as_received_and_an_empty_log_gives_an_empty_file) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.log.count = 3;
    r.log.cards = {"1001"};
    r.log.start = QDateTime(QDate(2024, 1, 2), QTime(7, 30));
    start(r);
    const QString path = file("uploadlog.txt");
    ASSERT_TRUE(upload_log(link, reader, path, line_end::cr, person).ok());
    const QList<QByteArray> lines = test::file_bytes(path).split('\r');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("0240102073")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("1001"));

    ASSERT_TRUE(clear_log(link, reader, person).ok());
    EXPECT_EQ(person.messages.back(), "Log Data Cleared - Verify by checking Memory Status");
    ASSERT_TRUE(upload_log(link, reader, path, line_end::cr, person).ok());
    EXPECT_EQ(test::file_bytes(path), "");
    EXPECT_EQ(person.messages.back(), "        Upload Complete         ");
}

// That a silent reader fails each step, and the line stays usable, is the fault matrix's; here
// which step's text and code the operator reads.
TEST_P(transfers, a_silent_reader_gets_the_step_message) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.faults.silent = true;
    start(r);
    const auto cleared = clear_access_list(link, reader, person);
    // Plain mode waits for nothing after "cd": the reader gives no confirmation.
    EXPECT_EQ(cleared.ok(), !protocol());
    if (protocol()) {
        EXPECT_EQ(cleared.text, tcp() ? "No response from reader"
                                      : "Error 01 - Timeout while communicating with reader");
    }
    const auto log = upload_log(link, reader, file("log.txt"), line_end::cr_lf, person);
    EXPECT_EQ(log.text, protocol() && tcp() ? "No response from reader"
                        : protocol()        ? "Error 24 - Timeout while communicating with reader"
                                            : "Error 01 - Timeout while communicating with reader");

    // A plain reader that answers "?" to every record request did answer: no time-out.
    if (protocol()) return;
    sim.with_reader(0, 0, [](sim::reader& x) {
        x.faults.silent = false;
        x.faults.refuse_records = true;
    });
    EXPECT_EQ(upload_log(link, reader, file("log.txt"), line_end::cr_lf, person).text,
              "Invalid response from reader");
    EXPECT_EQ(upload_access_list(link, reader, {file("acc.txt")}, person).text,
              "Invalid response from reader");
}

TEST_P(transfers, cancel_during_the_file_check_sends_nothing_more) {
    start();
    down.autoconfigure = false;
    // Serial shows "Querying Reader - Please Wait" first; the next progress is the check.
    person.cancel_after_reports = tcp() ? 1 : 2;
    EXPECT_EQ(download("two.txt", "1001\r\n1002\r\n").end, transfer_end::cancelled);
    EXPECT_TRUE(person.messages.isEmpty());
    const auto clears = [&] {
        const std::vector<QByteArray> history = sim.history(0, 0);
        return std::count(history.begin(), history.end(), QByteArray("cd"));
    };
    // The simulator's thread may still be taking the last command in.
    sim_fixture::wait_until([&] { return clears() >= (tcp() ? 2 : 1); });
    EXPECT_EQ(clears(), tcp() ? 2 : 1);

    // A cancel while the list is read back for the verify ends it quietly too.
    test::scripted_operator second;
    second.cancel_after_reports = 2;  // "Checking File", then the first record
    down.autoconfigure = true;
    down.file = file("one.txt", "1001\r\n");
    EXPECT_EQ(download_access_list(link, reader, down, second).end, transfer_end::cancelled);
    EXPECT_TRUE(second.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(every_form, transfers, testing::ValuesIn(test::all_line_forms),
                         test::line_form_name);

}  // namespace
}  // namespace zep
