// The simulated readers on a line without transport: bytes in, their answers out.
#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

TEST(sim_framing, each_reader_answers_only_its_own_mode_and_address) {
    bench_line line({config(0, false), config(5, true)});
    EXPECT_EQ(line.send(plain("V")), zep_ident + '\r');
    EXPECT_EQ(line.send(framed(5, "V")), data_reply(zep_ident));
    EXPECT_EQ(line.send(framed(6, "V")), QByteArray()) << "nobody has address 6";
    EXPECT_EQ(line.send(framed(0, "V")), QByteArray()) << "reader 0 is in plain mode";
}

TEST(sim_framing, wake_ups_stray_bytes_and_pieces_are_not_commands) {
    bench_line plain_line({config(0, false)});
    EXPECT_EQ(plain_line.send("\r\x06\x06"), QByteArray());
    // Framing bytes drop what came before them: only the clock read "t" is left to run.
    for (const char* separator : {"\x02", "\x03", "\x06", "\xc1"})
        EXPECT_EQ(plain_line.send("V" + QByteArray(separator) + "t\r").size(), 13);

    bench_line line({config(4, true)});
    EXPECT_EQ(line.send(plain("V")), QByteArray());
    const QByteArray frame = framed(4, "V");
    EXPECT_EQ(line.send(frame.first(2)), QByteArray());
    EXPECT_EQ(line.send(frame.sliced(2)), data_reply(zep_ident));
    // A new address byte abandons a frame that never ended.
    EXPECT_EQ(line.send("\x84\x02Vxx" + framed(4, "V")), data_reply(zep_ident));
}

TEST(sim_framing, commands_without_data_ack_in_protocol_and_stay_silent_in_plain) {
    bench_line line({config(0, true), config(1, false)});
    for (const char* c :
         {"cd", "ur", "lr", "cl", "s1", "s0", ":1", ":0", "{00", "|4", "\"05", "'03"})
        EXPECT_EQ(line.send(framed(0, c) + plain(c)), ack) << c;
    for (const char* refused : {"XYZ", "|7", "\"5"})
        EXPECT_EQ(line.send(framed(0, refused) + plain(refused)), nak) << refused;
}

TEST(sim_framing, protocol_switches_and_address_changes_answer_as_received) {
    bench_line line({config(3, false)});
    EXPECT_EQ(line.send(plain(nul("ITP"))), QByteArray()) << "switched, nothing said";
    EXPECT_TRUE(line.at(0).protocol);
    EXPECT_EQ(line.send(framed(3, nul("IA012"))), ack) << "ACKed from the old address";
    EXPECT_EQ(line.send(framed(3, "V")), QByteArray());
    EXPECT_EQ(line.send(framed(12, nul("IA127")) + framed(12, nul("IA12"))), nak + nak);
    EXPECT_EQ(line.send(framed(12, nul("ITN"))), ack) << "ACK goes out before the switch";
    EXPECT_FALSE(line.at(0).protocol);
    EXPECT_EQ(line.send(plain("V")), zep_ident + '\r');
    EXPECT_EQ(line.at(0).address, 12);
}

TEST(sim_framing, setup_commands_and_history_are_remembered_within_limits) {
    // Which setup commands are taken is held by the card format tests.
    bench_line line({config(0, true), config(1, true)});
    EXPECT_EQ(line.send(framed(0, nul("Q")) + framed(0, nul("TX"))), nak + nak);
    for (int i = 0; i < 60; ++i) line.send(framed(0, nul("AF")));
    EXPECT_EQ(line.at(0).setup_commands.size(), static_cast<std::size_t>(reader::setup_limit));

    line.send(framed(1, "+2503091200007") + framed(0, "V") + framed(127, "cd") +
              framed(1, "nonsense"));
    EXPECT_EQ(line.at(1).history, (std::deque<QByteArray>{"+2503091200007", "cd", "nonsense"}));
    for (int i = 0; i < reader::history_limit + 5; ++i) line.send(framed(1, "t"));
    EXPECT_EQ(line.at(1).history.size(), static_cast<std::size_t>(reader::history_limit));
}

TEST(sim_access_list, ids_compare_right_justified_with_leading_zeros_significant) {
    bench_line line({config(0, true)});
    line.send(framed(0, "AN0000123"));
    EXPECT_EQ(line.send(framed(0, "R123")), data_reply("N"));
    EXPECT_EQ(line.send(framed(0, "R  0123")), data_reply("D"));
    EXPECT_EQ(line.send(framed(0, "R0123")), data_reply("N")) << "already deleted";
    line.send(framed(0, "AN0050123"));
    EXPECT_EQ(line.send(framed(0, "AN006   0123")), data_reply("A"));
    EXPECT_EQ(line.at(0).ids.entries(), (std::vector<access_entry>{{"0123", 6}}))
        << "the same ID is replaced, not added";
}

TEST(sim_access_list, deleted_ids_hold_their_slot_until_a_new_id_reuses_it) {
    reader_config c = config(0, true);
    c.capacity_bytes = 41 * 3;  // three slots at record length 40
    bench_line line({c});
    for (const char* id : {"AN0001", "AN0002", "AN0003"})
        EXPECT_EQ(line.send(framed(0, id)), data_reply("A"));
    EXPECT_EQ(line.send(framed(0, "AN0004")), data_reply("F"));
    line.send(framed(0, "R2"));
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("00000000030500000000"));
    EXPECT_EQ(line.send(framed(0, "AN0004")), data_reply("A"));
    std::vector<QByteArray> order;
    for (const access_entry& e : line.at(0).ids.entries()) order.push_back(e.id);
    EXPECT_EQ(order, (std::vector<QByteArray>{"1", "4", "3"})) << "4 took the freed slot";
    EXPECT_EQ(line.send(framed(0, "cd")), ack);
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("00003000000500000000"));
}

// Storing and reading back IDs, schedules, the clock and the record length, long IDs and the
// silent and NAK faults are held by the integration tests and the fault matrix.
TEST(sim_refusals, malformed_records_clock_settings_and_record_lengths_are_refused) {
    bench_line line({config(0, true)});
    for (const char* bad : {"AN1001234", "AN0x11234", "AN01", "AN000", "AN000   ", "R"})
        EXPECT_EQ(line.send(framed(0, bad)), data_reply("N")) << bad;
    const char* bad_schedules[] = {
        "SR000",          "SR100",          "SR01",
        "SRabc",          "SA00010800170",  "SA0011080017000",  // too short, too long
        "SA000108001700", "SA100108001700",                     // schedule 000, 100
        "SA001008001700", "SA001808001700",                     // weekday 0, 8
        "SA0011080a1700", "SA001124011700", "SA001108601700",   // digits, 2401, 60 minutes
    };
    for (const char* b : bad_schedules) EXPECT_EQ(line.send(framed(0, b)), data_reply("N")) << b;
    EXPECT_EQ(line.send(framed(0, "SR001")), data_reply(QByteArray(56, '0'))) << "none stored";

    const qint64 offset = line.at(0).clock_offset_s;
    for (const char* b : {"+250615123000", "+25061512300071", "+2513151230007", "+2502301230007",
                          "+2506152530007", "+2506151230000", "+2506151230008", "+25061512x0007"})
        EXPECT_EQ(line.send(framed(0, b)), data_reply("E")) << b;
    EXPECT_EQ(line.at(0).clock_offset_s, offset);
    for (const char* b : {"\\03", "\\41", "\\1", "\\ab"})
        EXPECT_EQ(line.send(framed(0, b)), nak) << b;
    EXPECT_EQ(line.at(0).record_length, 40);
}

}  // namespace
}  // namespace zep::sim
