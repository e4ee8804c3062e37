// The utilities against simulated readers: the single-reader actions in every form, and
// the apply-to-all actions over a mixed, partly failing network.
#include <gtest/gtest.h>

#include "core/autorun/override_selection.h"
#include "core/data/readers_table.h"
#include "core/data/settings_record.h"
#include "core/link/reader_link.h"
#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using namespace maintenance;
using test::line_form;
using test::reader_row;
using test::sim_fixture;
using test::tcp_reader_row;

// Sunday 3 March 2019.
const QDateTime sunday(QDate(2019, 3, 3), QTime(10, 20, 30));

// The reader under test; in protocol mode it shares the line with a neighbour at address 0.
utility_target start_line(sim_fixture& sim, line_form f, sim::reader_config r) {
    return {sim.start_line(f, std::move(r), {sim_fixture::zep_reader(0, true)}), std::nullopt};
}

class utility_refusals : public testing::Test, protected test::sim_session {};
using walk_cancel = utility_refusals;
class utilities_form : public testing::TestWithParam<line_form>, protected test::sim_session {};

TEST_P(utilities_form, an_add_puts_exactly_its_bytes_on_the_line_and_answers_fill_the_screen) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.ident = "ZEP UTIL 2.1";
    r.ids = {{"111", 0}};
    const utility_target target = start_line(sim, GetParam(), r);
    EXPECT_EQ(adhoc_add(link, target, "4711", person).text, "ID Added");
    // Nothing goes to the neighbour: only frames for address 5.
    const QByteArray frame = "\x85\x02" + QByteArray("AN0004711\x03");
    const QByteArray sent[] = {"AN0004711\r", "\x06" + frame + "\x06", "\rAN0004711\r",
                               "\x06\x06" + frame + "\x06"};
    const QByteArray& expected = sent[static_cast<int>(GetParam())];
    EXPECT_EQ(sim.received_settled(0, expected), expected);
    EXPECT_EQ(sim.access_list(0, 0), (std::vector<sim::access_entry>{{"111", 0}, {"4711", 0}}));

    EXPECT_EQ(identify_reader(link, target, person).text, "ZEP UTIL 2.1");
    EXPECT_EQ(read_memory_usage(link, target, {}, person).usage.download_used.text, "00002");
    test::fixed_clock clock(sunday);
    EXPECT_TRUE(set_reader_clock(link, target, clock, person).ok());
    EXPECT_EQ(sim.history(0, 0).back(), "+1903031020307");
    const clock_outcome read = read_reader_clock(link, target, person);
    EXPECT_TRUE(read.text.startsWith("03/03/2019  10:2")) << read.text.toStdString();
    EXPECT_EQ(read.clock.year, 2019);

    EXPECT_TRUE(adhoc_delete(link, target, "111", person).ok());
    EXPECT_FALSE(adhoc_delete(link, target, "111", person).ok());
    // Answers go to the screen's boxes; results are messages.
    EXPECT_EQ(person.messages, QStringList({"ID Added", "Time set in reader",
                                            target.endpoint.tcp() ? "ID deleted" : "ID Deleted",
                                            GetParam() == line_form::serial_protocol
                                                ? "ID was not deleted"
                                                : "ID was not deleted, or not found"}));
}

INSTANTIATE_TEST_SUITE_P(forms, utilities_form, testing::ValuesIn(test::all_line_forms),
                         test::line_form_name);

// A reply well over its class fails: the fault matrix's late readers hold that.
TEST(utilities, each_time_out_class_passes_a_reply_well_under_it) {
    // form, time-out class in ms, memory usage (else identify)
    const std::tuple<line_form, int, bool> rows[] = {{line_form::serial_plain, 200, false},
                                                     {line_form::serial_protocol, 400, false},
                                                     {line_form::serial_protocol, 1000, true},
                                                     {line_form::tcp_plain, 2000, false}};
    for (const auto& [f, class_ms, memory] : rows) {
        test::sim_session s;
        sim::reader_config slow = sim_fixture::zep_reader();
        slow.faults.delay_ms = class_ms * 4 / 10;
        const utility_target target = start_line(s.sim, f, slow);
        EXPECT_TRUE(memory ? read_memory_usage(s.link, target, {}, s.person).ok()
                           : identify_reader(s.link, target, s.person).ok())
            << class_ms << " ms class";
    }
}

TEST(utilities, the_global_address_is_sent_to_unanswered_or_refused) {
    const QString to_all = "Command sent to all readers";
    const QString refused =
        "Address 127 reaches every reader and none answers - choose a reader's own address";
    for (const line_form f : {line_form::serial_protocol, line_form::tcp_protocol}) {
        test::sim_session s;
        utility_target target = start_line(s.sim, f, sim_fixture::zep_reader());
        target.endpoint.address = 127;
        EXPECT_EQ(adhoc_add(s.link, target, "4711", s.person).text, to_all);
        for (int r : {0, 1})
            EXPECT_TRUE(sim_fixture::wait_until([&] { return s.sim.history(0, r).size() == 1; }));
        // No ACK follows the frame: nothing was read.
        const QByteArray frame = "\xff\x02" + QByteArray("AN0004711\x03");
        EXPECT_EQ(s.sim.received(0), (f == line_form::tcp_protocol ? "\x06\x06" : "\x06") + frame);

        test::fixed_clock clock(sunday);
        EXPECT_TRUE(set_reader_clock(s.link, target, clock, s.person).ok());
        EXPECT_TRUE(adhoc_delete(s.link, target, "4711", s.person).ok());
        s.sim.network(0).clear_received(0);
        EXPECT_FALSE(identify_reader(s.link, target, s.person).ok());
        EXPECT_FALSE(read_reader_clock(s.link, target, s.person).ok());
        EXPECT_FALSE(read_memory_usage(s.link, target, {}, s.person).ok());
        EXPECT_EQ(s.sim.received(0), QByteArray()) << "refused before anything was sent";
        EXPECT_EQ(s.person.messages,
                  QStringList({to_all, to_all, to_all, refused, refused, refused}));
    }
}

TEST_F(utility_refusals, ids_the_reader_cannot_take_links_that_will_not_open_and_a_nak) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.record_length = 6;
    const utility_target target{test::tcp_link(sim.start_tcp({r})), 300};
    // The reader's buffer overflows and it says nothing; the screen's prompt warns of this.
    EXPECT_EQ(adhoc_add(link, target, "1234567890", person).text, "No response from reader");
    sim.with_reader(0, 0, [](sim::reader& x) { x.faults.refuse_long_ids = true; });
    EXPECT_EQ(adhoc_add(link, target, "1234567890", person).text, "ID was not added");
    sim.network(0).clear_received(0);
    for (const QString& id : {QString::fromUtf8("\u20ac5"), QString("12\n")}) {
        EXPECT_FALSE(adhoc_add(link, target, id, person).ok());
        EXPECT_FALSE(adhoc_delete(link, target, id, person).ok());
    }
    EXPECT_EQ(sim.received(0), QByteArray()) << "refused before anything was sent";
    // Left empty (or cancelled), the ID box sends nothing and says nothing.
    person.text_answers = {QString(), std::nullopt};
    EXPECT_FALSE(addhocadd(link, target, person).ok());
    EXPECT_FALSE(addhoc_delete(link, target, person).ok());
    EXPECT_EQ(person.messages.mid(2),
              QStringList(4, "The ID may hold only printable 8-bit characters"));

    // Links that will not open, and a NAK (plain readers answer "?"), give the screens' texts.
    sim::reader_config nak = sim_fixture::zep_reader();
    nak.faults.nak = true;
    const utility_target refusing{test::pty_link(sim.start_pty({nak})), {}};
    const utility_target closed{test::tcp_link(test::closed_tcp_port()), {}};
    test::fixed_clock clock(sunday);
    person.messages.clear();
    set_reader_clock(link, refusing, clock, person);
    identify_reader(link, closed, person);
    adhoc_delete(link, closed, "1", person);
    EXPECT_EQ(person.messages,
              QStringList({"Invalid response from reader", "Unable to establish tcp/ip connection",
                           "Unable to establish tcp/ip connection - please try again"}));
    EXPECT_FALSE(link.serial_open());
    EXPECT_FALSE(link.tcp_connected());
}

// Lines: 0 plain TCP answering after 150 ms (well within the walk's 400 ms), 1 protocol
// TCP (address 3), 2 a pty on Com2 with protocol readers at 5 and 6, 3 a plain reader
// on Com3, 4 a TCP reader answering after 900 ms (too late), 5 a TCP reader with
// four-character records that says "N" to longer IDs, 6 a TCP reader that drops the
// connection in the middle of its reply.
class mixed_network : public testing::Test, protected test::sim_session {
  protected:
    test::temp_database temp;

    void SetUp() override {
        sim::reader_config prompt = sim_fixture::zep_reader(), late = prompt,
                           short_records = sim_fixture::ko_reader(),
                           dropping = sim_fixture::zep_reader(0, true);
        prompt.faults.delay_ms = 150;
        late.faults.delay_ms = 900;
        short_records.record_length = 4;
        short_records.faults.refuse_long_ids = true;
        dropping.faults.drop_mid_reply = 3;
        const quint16 plain = sim.start_tcp({prompt});
        const quint16 framed = sim.start_tcp({sim_fixture::zep_reader(3, true)});
        qputenv("ZEP_COM2",
                sim.start_pty({sim_fixture::zep_reader(5, true), sim_fixture::zep_reader(6, true)})
                    .toLocal8Bit());
        qputenv("ZEP_COM3", sim.start_pty({sim_fixture::ko_reader()}).toLocal8Bit());
        const quint16 slow = sim.start_tcp({late}), four = sim.start_tcp({short_records}),
                      drop = sim.start_tcp({dropping});
        data::reader_row inactive = tcp_reader_row(9, plain),
                         behind = reader_row(4, "Com2 19200", 6),
                         tcp_short = tcp_reader_row(15, four);
        inactive.active = "";
        behind.timezone = "-2";
        tcp_short.commmode = "T";
        ASSERT_TRUE(data::readers_table(temp.db()).insert_all(
            {tcp_reader_row(1, plain), tcp_reader_row(2, framed, 3), reader_row(3, "Com2 19200", 5),
             behind, reader_row(5, "Com3 9600"), reader_row(7, ""),
             tcp_reader_row(8, test::closed_tcp_port()), inactive, tcp_reader_row(10, slow),
             reader_row(11, "Com2 19200", 9), tcp_reader_row(12, plain, 127),
             reader_row(13, "Com9 9600"), tcp_reader_row(14, drop, 0), tcp_short}));
    }

    void TearDown() override {
        qunsetenv("ZEP_COM2");
        qunsetenv("ZEP_COM3");
    }

    walk_inputs inputs(const autorun::override_selection& selection = {}) {
        return load_walk_inputs(temp.db(), data::settings_record{}, selection);
    }

    // The header, readers 1 to 5 with `done`, then readers 7 to 14, the same for every walk
    // but the wording of a Com port that will not open.
    static QStringList walk_lines(const QString& header, const QString& done,
                                  const QString& serial_failed) {
        QStringList lines{header, " "};
        for (const char* n : {"001", "002", "003", "004", "005"})
            lines << QString("Reader %1 - %2").arg(n, done);
        return lines + QStringList{"Reader 007 - no Com port or ip address specified",
                                   "Reader 008 - Cannot establish tcp/ip connection",
                                   "Reader 010 - No response from reader",
                                   "Reader 011 - Error communicating with reader",
                                   "Reader 012 Invalid protocol address",
                                   serial_failed,
                                   "Reader 014 - No response from reader"};
    }
};

TEST_F(mixed_network, add_and_delete_everywhere) {
    person.text_answers = {QString("ABC123")};
    const records::walk_result added = doall_addhocadd(link, inputs(), person);
    const QStringList expected = walk_lines("Adding ABC123 to all active readers", "ID added",
                                            "Reader 013 - unable to open Com port") +
                                 QStringList{"Reader 015 - Invalid response"};
    EXPECT_EQ(added.lines, expected);
    EXPECT_EQ(person.status_lines, expected);
    EXPECT_EQ(added.failures, 8);
    EXPECT_TRUE(person.messages.isEmpty());
    // Whole transcripts: wake-ups (serial CR or ACK, TCP ACK in protocol mode only), the
    // frame, and the ACK of each protocol reply.
    const QByteArray text = "AN000ABC123";
    const auto frame = [&text](int address) { return sim::testing::framed(address, text); };
    const QByteArray sent[] = {text + "\r", "\x06" + frame(3) + "\x06",
                               "\x06" + frame(5) + "\x06\x06" + frame(6) + "\x06\x06" + frame(9),
                               "\r" + text + "\r"};
    for (int line = 0; line < 4; ++line)
        EXPECT_EQ(sim.received_settled(line, sent[line]), sent[line]) << "line " << line;
    for (const auto& [line, reader] : {std::pair{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 0}})
        EXPECT_EQ(sim.access_list(line, reader), (std::vector<sim::access_entry>{{"ABC123", 0}}));
    EXPECT_TRUE(sim.access_list(5, 0).empty());
    EXPECT_FALSE(link.serial_open());
    EXPECT_FALSE(link.tcp_connected());

    // The ID given up front (as the command line does) is not asked for.
    const records::walk_result deleted =
        doall_adhocdelete(link, inputs(), person, QString("ABC123"));
    EXPECT_EQ(deleted.lines.mid(0, 3), QStringList({"Deleting ABC123 from all active readers", " ",
                                                    "Reader 001 - ID deleted"}));
    EXPECT_EQ(deleted.lines.last(), "Reader 015 - ID not found");
    EXPECT_EQ(deleted.failures, 8);
    EXPECT_TRUE(sim.access_list(2, 1).empty());
    EXPECT_EQ(person.prompts.size(), 1);
}

TEST_F(mixed_network, set_time_everywhere_with_each_time_zone_or_where_the_override_says) {
    // Friday 1 March 2024, half past midnight: two hours back is Thursday 29 February.
    test::fixed_clock clock(QDateTime(QDate(2024, 3, 1), QTime(0, 30, 0)));
    EXPECT_EQ(doall_settime(link, inputs(), clock, person).lines,
              walk_lines("Setting time in all active readers", "Time set",
                         "Unable to open comm port for reader 013") +
                  QStringList{"Reader 015 - Time set"});
    for (const auto& [line, reader] : {std::pair{0, 0}, {1, 0}, {2, 0}, {3, 0}, {5, 0}})
        EXPECT_EQ(sim.history(line, reader).back(), "+2403010030005") << line;
    EXPECT_EQ(sim.history(2, 1).back(), "+2402292230004");

    data::readers_table table(temp.db());
    data::reader_row ahead = **table.find(1);
    ahead.timezone = "5";
    ASSERT_TRUE(table.update(ahead));
    autorun::override_selection selection;
    selection.loadup(*table.all());
    selection.clear_all();
    selection.set(1, true);
    selection.set(9, true);  // inactive, yet picked
    // Saturday 31 December 2022, 21:00: five hours on is Sunday 1 January 2023, 02:00.
    clock.set(QDateTime(QDate(2022, 12, 31), QTime(21, 0, 0)));
    EXPECT_EQ(doall_settime(link, inputs(selection), clock, person).lines,
              QStringList({"Setting time in all active readers", " ", "Reader 001 - Time set",
                           "Reader 009 - Time set"}));
    const std::vector<QByteArray> sent = sim.history(0, 0);
    EXPECT_EQ(std::vector<QByteArray>(sent.end() - 2, sent.end()),
              (std::vector<QByteArray>{"+2301010200007", "+2212312100006"}));
}

TEST_F(walk_cancel, a_stopped_walk_adds_no_line_for_the_reader_it_was_reaching) {
    test::silent_tcp_host silent;
    const quint16 port = sim.start_tcp({sim_fixture::zep_reader()});
    const std::vector<data::reader_row> rows{
        tcp_reader_row(0, port), tcp_reader_row(1, silent.port()), tcp_reader_row(2, port)};
    const walk_inputs inputs{rows, records::active_marks(rows), {}};
    // The cancel comes while reader 001's connect waits (its first checks pass).
    int checks_after_first_line = 0;
    person.cancel_when = [&] {
        return person.status_lines.size() == 3 && ++checks_after_first_line > 3;
    };
    records::walk_result result;
    EXPECT_LT(
        test::elapsed_ms([&] { result = doall_addhocadd(link, inputs, person, QString("77")); }),
        2500);  // well under the 5 s a silent reader's connect may take
    EXPECT_EQ(result.end, records::walk_end::cancelled);
    EXPECT_EQ(result.lines,
              QStringList({"Adding 77 to all active readers", " ", "Reader 000 - ID added"}));
    EXPECT_EQ(sim.history(0, 0).size(), 1u) << "reader 002 was never reached";

    // A cancel already given stops the walk before the next reader.
    person.status_lines.clear();
    person.cancel_when = [&] { return person.status_lines.size() == 3; };
    result = doall_adhocdelete(link, inputs, person, QString("77"));
    EXPECT_EQ(result.lines,
              QStringList({"Deleting 77 from all active readers", " ", "Reader 000 - ID deleted"}));
    EXPECT_EQ(result.end, records::walk_end::cancelled);
}

}  // namespace
}  // namespace zep
