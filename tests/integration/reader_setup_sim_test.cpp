// Reader setup and card formats against simulated readers: the bytes on the line in each
// form, what the reader ends with, what the operator is told, and every active reader.
#include <gtest/gtest.h>

#include "core/data/readers_table.h"
#include "core/link/reader_link.h"
#include "core/maintenance/card_formats.h"
#include "core/maintenance/reader_setup.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using namespace maintenance;
using test::line_form;
using test::sim_fixture;

utility_target start_line(sim_fixture& sim, line_form f, sim::reader_config r) {
    return {sim.start_line(f, std::move(r)), std::nullopt};
}

setup_request parameters(const char* reclen, const char* relay, const char* redled) {
    return {setup_action::parameters, reclen, relay, redled};
}
setup_request only(setup_action action, bool on = false, const char* mode = "") {
    return {action, {}, {}, {}, mode, on};
}
card_format_values defaults() {
    return {"1111111000", 0, 0, "11", 0, 0, 0, 0};
}

// Plain readers answer nothing: wait until the reader has taken `count` commands.
std::vector<QByteArray> taken(sim_fixture& sim, int line, std::size_t count) {
    EXPECT_TRUE(sim_fixture::wait_until([&] { return sim.history(line, 0).size() >= count; }));
    return sim.history(line, 0);
}

class setup_forms : public testing::TestWithParam<line_form>, protected test::sim_session {};
class reader_setup : public testing::Test, protected test::sim_session {};
using card_formats = reader_setup;
using apply_to_all = reader_setup;

TEST_P(setup_forms, parameters_put_exactly_their_bytes_on_the_line_and_take_effect) {
    sim::reader_config r = sim_fixture::zep_reader();
    r.ids = {{"111", 0}};
    const auto target = start_line(sim, GetParam(), r);
    person.confirm_answers = {true};
    EXPECT_TRUE(run_setup(link, target, parameters("8", "5", "3"), person).ok());
    EXPECT_EQ(taken(sim, 0, 3), (std::vector<QByteArray>{"\\08", "\"05", "'03"}));
    const QByteArray framed = "\x85\x02\\08\x03\x85\x02\"05\x03\x85\x02'03\x03";
    const QByteArray sent[] = {"\\08\r\"05\r'03\r", "\x06" + framed, "\r\\08\r\"05\r'03\r",
                               "\x06" + framed};
    EXPECT_EQ(sim.received(0), sent[static_cast<int>(GetParam())]);
    EXPECT_EQ(person.questions,
              QStringList({"This will delete all data in the reader\rDo you wish to continue?"}));
    EXPECT_EQ(person.messages, QStringList({"Reader settings set"}));
    const auto taken_effect = [](sim::reader& x) {
        return std::tuple(x.record_length, x.relay_time, x.red_led_time, x.ids.slots_used());
    };
    EXPECT_EQ(sim.with_reader(0, 0, taken_effect), std::tuple(8, 5, 3, 0));
}

INSTANTIATE_TEST_SUITE_P(forms, setup_forms, testing::ValuesIn(test::all_line_forms),
                         test::line_form_name);

TEST_F(reader_setup, refused_or_unconfirmed_parameters_send_nothing) {
    const auto target = start_line(sim, line_form::tcp_plain, sim_fixture::zep_reader());
    // The last is valid: its question is answered No.
    for (const auto& [reclen, relay] : {std::pair{"", "5"}, {"41", ""}, {"8", "150"}, {"8", ""}})
        EXPECT_FALSE(run_setup(link, target, parameters(reclen, relay, ""), person).ok());
    EXPECT_EQ(sim.received(0), QByteArray());
    EXPECT_EQ(person.messages,
              QStringList({"Record length must be between 4 and 40",
                           "Record length must be between 4 and 40",
                           "Relay Time and Red Led Time must be between 0 and 99"}));
    EXPECT_EQ(person.questions.size(), 1);
}

TEST_F(reader_setup, mode_logging_led_and_reset_reach_the_reader) {
    const auto target = start_line(sim, line_form::serial_protocol, sim_fixture::ko_reader());
    sim.with_reader(0, 0, [](sim::reader& x) { x.log_full = true; });
    for (const auto& r : {only(setup_action::mode, false, "4"), only(setup_action::rs232_log, true),
                          only(setup_action::bad_log), only(setup_action::clear_led)})
        EXPECT_TRUE(run_setup(link, target, r, person).ok());
    EXPECT_EQ(sim.history(0, 0), (std::vector<QByteArray>{"|5", "s1", ":0", "{00"}));
    EXPECT_EQ(
        sim.with_reader(
            0, 0, [](sim::reader& x) { return std::tuple(x.mode, x.rs232_logging, x.log_full); }),
        std::tuple('5', true, false));
    // Whether a silent reader's reset is awaited (TCP) or not (serial) is the fault matrix's.
    EXPECT_TRUE(run_setup(link, target, only(setup_action::reset), person).ok());
    EXPECT_TRUE(sim_fixture::wait_until(
        [&] { return sim.with_reader(0, 0, [](sim::reader& x) { return !x.protocol; }); }));
    EXPECT_EQ(sim.with_reader(0, 0, [](sim::reader& x) { return std::pair(x.address, x.mode); }),
              std::pair(0, '3'));
    EXPECT_EQ(person.messages, QStringList({"Reader mode set", "Reader set", "Reader set",
                                            "Led should now be turned off", "Reader reset"}));
}

TEST_F(card_formats, the_barcode_sequence_in_plain_mode) {
    const auto target = start_line(sim, line_form::tcp_plain, sim_fixture::zep_reader());
    card_format_values values = defaults();
    EXPECT_EQ(send_card_formats(link, target, format_group::barcode, values, person, 0).lines,
              QString("Code 39 On|I2/5 On|Code128 On|2/5 On|Codabar On|Upca On|Ean13 On|"
                      "C39 check digit Off|I2/5 check digit Off|C128 check digit Off|")
                  .replace("|", " - command sent|")
                  .split('|', Qt::SkipEmptyParts));
    EXPECT_EQ(taken(sim, 0, 10).back(), QByteArray("\0BCE", 4));

    values.barsettings = "0000000111";
    values.barstart = 3;
    values.barlen = 6;
    EXPECT_EQ(
        send_card_formats(link, target, format_group::barcode, values, person, 0).lines.mid(7),
        QStringList({"C39 check digit On - command sent", "I2/5 check digit On - command sent",
                     "C128 check digit On - command sent",
                     "barcode mask start position 03 for a length of 06 - command sent",
                     "Activate barcode masking - command sent"}));
    const std::vector<QByteArray> sent = taken(sim, 0, 22);
    EXPECT_EQ(std::vector<QByteArray>(sent.end() - 5, sent.end()),
              (std::vector<QByteArray>{QByteArray("\0ACE", 4), QByteArray("\0HCD", 4),
                                       QByteArray("\0BCD", 4), QByteArray("\0T000306", 8),
                                       QByteArray("\0TA", 3)}));
    sim.with_reader(0, 0, [](sim::reader& x) {
        EXPECT_TRUE(x.formats.switches.at("HC"));
        EXPECT_FALSE(x.formats.switches.at("A"));
        EXPECT_EQ(x.formats.barcode, (sim::card_formats::mask{3, 6}));
        EXPECT_TRUE(x.formats.masking);
    });
}

TEST_F(card_formats, protocol_mode_waits_for_each_ack_then_pauses_and_takes_no_late_ack) {
    sim::reader_config silent = sim_fixture::zep_reader();
    silent.faults.silent = true;
    auto target = start_line(sim, line_form::tcp_protocol, silent);
    target.timeout_ms = 20;
    card_format_values values = defaults();
    values.mag2start = 4;
    values.mag2len = 10;
    EXPECT_EQ(send_card_formats(link, target, format_group::magstripe, values, person).lines,
              QStringList({"Track 1 On - no response", "Track 2 On - no response",
                           "track 2 mask start position 04 for a length of 10 - no response",
                           "Activate magstripe masking - no response"}));
    const QByteArray sent(
        "\x06\x85\x02\0M1O\x03\x85\x02\0M2O\x03\x85\x02\0T050410\x03\x85\x02\0TA\x03", 32);
    EXPECT_EQ(sim.received_settled(0, sent), sent);
    ASSERT_TRUE(sim_fixture::wait_until([&] {
        const auto heard = sim.network(0).timeline(0);
        return !heard.empty() && heard.back().bytes.isEmpty();  // the link closed
    }));
    const std::vector<sim::heard> heard = sim.network(0).timeline(0);
    const auto at = [&heard](qsizetype offset) {  // when that byte of `sent` came
        for (const sim::heard& h : heard) {
            if (offset < h.bytes.size()) return h.at_ms;
            offset -= h.bytes.size();
        }
        return qint64(-1);
    };
    // Each command: 20 ms for its ACK, then 200 ms of pause, the last one before the close.
    const qint64 times[] = {at(1), at(8), at(15), at(26), heard.back().at_ms};
    for (int i = 1; i < 5; ++i) EXPECT_GE(times[i] - times[i - 1], 150) << i;

    // Track 1's ACK comes after its wait, during the pause: it answers neither command.
    sim.with_reader(0, 0, [](sim::reader& x) {
        x.faults.silent = false;
        x.faults.delay_ms = 300;
    });
    EXPECT_EQ(
        send_card_formats(link, target, format_group::magstripe, defaults(), person, 600).lines,
        QStringList({"Track 1 On - no response", "Track 2 On - no response"}));
}

TEST_F(apply_to_all, setup_and_card_formats_over_a_mixed_network) {
    const quint16 plain = sim.start_tcp({sim_fixture::zep_reader()});
    const quint16 framed = sim.start_tcp({sim_fixture::zep_reader(3, true)});
    sim::reader_config silent = sim_fixture::zep_reader(6, true);
    silent.faults.silent = true;
    qputenv("ZEP_COM2", sim.start_pty({sim_fixture::zep_reader(5, true), silent}).toLocal8Bit());
    const std::vector<data::reader_row> rows{test::tcp_reader_row(1, plain),
                                             test::tcp_reader_row(2, framed, 3),
                                             test::reader_row(3, "Com2 19200", 5),
                                             test::reader_row(4, "Com2 19200", 6),
                                             test::reader_row(7, ""),
                                             test::tcp_reader_row(8, test::closed_tcp_port())};
    const walk_inputs inputs{rows, records::active_marks(rows), {}};
    person.confirm_answers = {true, false};

    const records::walk_result params =
        doall_setup(link, inputs, parameters("12", "4", "2"), person);
    const QStringList failing{"Reader 004 - No response from reader",
                              "Reader 007 - no Com port or ip address specified",
                              "Reader 008 - Cannot establish tcp/ip connection"};
    QStringList expected{"Setting parameters in all active readers", " ",
                         "Reader 001 - Reader settings set", "Reader 002 - Reader settings set",
                         "Reader 003 - Reader settings set"};
    EXPECT_EQ(params.lines, expected + failing);
    EXPECT_EQ(params.failures, 3);
    taken(sim, 0, 3);
    for (const int line : {0, 1, 2})
        sim.with_reader(line, 0, [](sim::reader& x) { EXPECT_EQ(x.record_length, 12); });
    EXPECT_EQ(sim.history(2, 1), (std::vector<QByteArray>{"\\12"})) << "stops at the first silence";

    // Resetting everything is asked first; No sends nothing.
    EXPECT_EQ(doall_setup(link, inputs, only(setup_action::reset), person).end,
              records::walk_end::no_input);
    EXPECT_EQ(person.questions.last(),
              "This will reset every active reader to factory defaults\rDo you wish to continue?");

    const records::walk_result cleared =
        doall_card_formats(link, inputs, format_group::clear_mask, defaults(), person, 0);
    EXPECT_EQ(cleared.lines, QStringList({"Clearing masking in all active readers", " ",
                                          "Reader 001 - Table/Mask Reset - command sent",
                                          "Reader 002 - Table/Mask Reset - command sent",
                                          "Reader 003 - Table/Mask Reset - command sent",
                                          "Reader 004 - Table/Mask Reset - no response"}) +
                                 failing.mid(1));
    EXPECT_EQ(sim.received(1).right(7), QByteArray("\x06\x83\x02\0TR\x03", 7));
    qunsetenv("ZEP_COM2");
}

}  // namespace
}  // namespace zep
