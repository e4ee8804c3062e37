#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

const QByteArray zep_ident = "ZEP Reader V4.12 (simulated)";

TEST(sim_framing, each_reader_answers_only_its_own_mode_and_address) {
    bench_line line({config(0, false), config(5, true)});
    EXPECT_EQ(line.send(plain("V")), zep_ident + '\r');
    EXPECT_EQ(line.send(framed(5, "V")), data_reply(zep_ident));
    EXPECT_EQ(line.send(framed(6, "V")), QByteArray()) << "nobody has address 6";
    EXPECT_EQ(line.send(framed(0, "V")), QByteArray()) << "reader 0 is in plain mode";
    EXPECT_EQ(line.send(framed(5, "?")), QByteArray("\x06\x02\0\x03", 4)) << "protocol test";
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
    for (const char* c :
         {"cd", "ur", "lr", "cl", "s1", "s0", ":1", ":0", "{00", "|4", "\"05", "'03"}) {
        bench_line line({config(0, true), config(1, false)});
        EXPECT_EQ(line.send(framed(0, c) + plain(c)), ack) << c;
    }
    bench_line line({config(0, true), config(1, false)});
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
    bench_line line({config(0, true), config(1, true)});
    for (const char* c : {"AO", "BCD", "T0:", "M2F", "T12", "M1234567"})
        EXPECT_EQ(line.send(framed(0, nul(c))), ack) << c;
    EXPECT_EQ(line.send(framed(0, nul("Q")) + framed(0, nul("TX"))), nak + nak);
    EXPECT_EQ(line.at(0).setup_commands.front(), "AO");
    EXPECT_EQ(line.at(0).setup_commands.back(), "M1234567");
    for (int i = 0; i < 60; ++i) line.send(framed(0, nul("AF")));
    EXPECT_EQ(line.at(0).setup_commands.size(), static_cast<std::size_t>(reader::setup_limit));

    line.send(framed(1, "+2503091200007") + framed(0, "V") + framed(127, "cd") +
              framed(1, "nonsense"));
    EXPECT_EQ(line.at(1).history, (std::deque<QByteArray>{"+2503091200007", "cd", "nonsense"}));
    for (int i = 0; i < reader::history_limit + 5; ++i) line.send(framed(1, "t"));
    EXPECT_EQ(line.at(1).history.size(), static_cast<std::size_t>(reader::history_limit));
}

TEST(sim_faults, silent_and_nak_readers_do_not_act) {
    bench_line line({config(0, true), config(1, false), config(2, true), config(3, false)});
    line.at(0).faults.silent = true;
    line.at(1).faults.silent = true;
    line.at(2).faults.nak = true;
    line.at(3).faults.nak = true;
    EXPECT_EQ(line.send(framed(0, "AN0001234")), QByteArray());
    EXPECT_EQ(line.send(framed(2, "AN0001234")), nak);
    EXPECT_EQ(line.send(plain("AN0001234")), "?\r") << "only the NAK reader answers";
    EXPECT_EQ(line.at(0).history.back(), "AN0001234") << "a silent reader still hears";
    for (int r = 0; r < 4; ++r) EXPECT_TRUE(line.at(r).ids.entries().empty()) << r;
}

TEST(sim_faults, the_connection_drops_after_every_nth_exchange) {
    bench_line line({config(0, true)});
    line.at(0).faults.drop_after = 2;
    std::vector<bool> drops;
    for (const char* c : {"V", "cd", "V", "AN0009999999999999999999999999999999999999999999"}) {
        const auto out = line.send_raw(framed(0, c));
        drops.push_back(!out.empty() && out.back().drop_after);
    }
    EXPECT_EQ(drops, (std::vector<bool>{false, true, false, true}))
        << "the count starts again after a drop, and a silent exchange still counts";
}

}  // namespace
}  // namespace zep::sim
