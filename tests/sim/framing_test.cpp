#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

const QByteArray zep_ident = "ZEP Reader V4.12 (simulated)";

TEST(sim_framing, each_reader_answers_only_in_its_own_mode) {
    bench_line line({config(0, false), config(5, true)});

    EXPECT_EQ(line.send(plain("V")), zep_ident + '\r');
    EXPECT_EQ(line.send(framed(5, "V")), data_reply(zep_ident));
    EXPECT_EQ(line.send(framed(6, "V")), QByteArray()) << "nobody has address 6";
    EXPECT_EQ(line.send(framed(0, "V")), QByteArray()) << "reader 0 is in plain mode";
}

TEST(sim_framing, global_address_is_obeyed_by_all_and_answered_by_none) {
    bench_line line({config(1, true), config(2, true), config(3, false)});
    for (reader& r : line.readers) r.ids.store("1234", 0, r.capacity());

    EXPECT_EQ(line.send(framed(127, "cd")), QByteArray());
    EXPECT_TRUE(line.at(0).ids.entries().empty());
    EXPECT_TRUE(line.at(1).ids.entries().empty());
    EXPECT_EQ(line.at(2).ids.entries().size(), 1u) << "a plain reader ignores frames";
}

TEST(sim_framing, wake_ups_and_stray_framing_bytes_are_not_commands) {
    bench_line plain_line({config(0, false)});
    EXPECT_EQ(plain_line.send("\r"), QByteArray());
    EXPECT_EQ(plain_line.send("\x06\x06"), QByteArray());
    // Framing bytes drop what came before them: only the clock read "t" is left to run.
    for (const char* separator : {"\x02", "\x03", "\x06", "\xc1"})
        EXPECT_EQ(plain_line.send("V" + QByteArray(separator) + "t\r").size(), 13);

    bench_line protocol_line({config(0, true)});
    EXPECT_EQ(protocol_line.send("\x06"), QByteArray());
    EXPECT_EQ(protocol_line.send(plain("V")), QByteArray());
}

TEST(sim_framing, frames_may_arrive_in_pieces_and_resynchronise) {
    bench_line line({config(4, true)});
    const QByteArray frame = framed(4, "V");
    EXPECT_EQ(line.send(frame.first(2)), QByteArray());
    EXPECT_EQ(line.send(frame.sliced(2)), data_reply(zep_ident));

    // A new address byte abandons a frame that never ended.
    EXPECT_EQ(line.send("\x84\x02Vxx" + framed(4, "V")), data_reply(zep_ident));
}

TEST(sim_framing, commands_without_data_ack_in_protocol_and_stay_silent_in_plain) {
    const char* commands[] = {"cd", "ur", "lr",  "cl", "s1",   "s0",
                              ":1", ":0", "{00", "|4", "\"05", "'03"};
    for (const char* c : commands) {
        bench_line line({config(0, true), config(1, false)});
        EXPECT_EQ(line.send(framed(0, c)), ack) << c;
        EXPECT_EQ(line.send(plain(c)), QByteArray()) << c;
    }
    bench_line line({config(0, true), config(1, false)});
    EXPECT_EQ(line.send(framed(0, "XYZ")), nak);
    EXPECT_EQ(line.send(plain("XYZ")), QByteArray());
    EXPECT_EQ(line.send(framed(0, "|7")), nak) << "mode 7 does not exist";
    EXPECT_EQ(line.send(framed(0, "\"5")), nak) << "relay time takes two digits";
}

TEST(sim_framing, protocol_test_answers_a_framed_nul) {
    bench_line line({config(9, true)});
    EXPECT_EQ(line.send(framed(9, "?")), QByteArray("\x06\x02\0\x03", 4));
}

TEST(sim_framing, protocol_mode_switches_answer_as_received) {
    bench_line line({config(0, false)});
    EXPECT_EQ(line.send(plain(nul("ITP"))), QByteArray()) << "switched, nothing said";
    EXPECT_TRUE(line.at(0).protocol);
    EXPECT_EQ(line.send(framed(0, nul("ITP"))), ack);
    EXPECT_EQ(line.send(framed(0, nul("ITN"))), ack) << "ACK goes out before the switch";
    EXPECT_FALSE(line.at(0).protocol);
    EXPECT_EQ(line.send(plain("V")), zep_ident + '\r');
}

TEST(sim_framing, address_change_is_acked_from_the_old_address) {
    bench_line line({config(3, true)});
    EXPECT_EQ(line.send(framed(3, nul("IA012"))), ack);
    EXPECT_EQ(line.send(framed(3, "V")), QByteArray());
    EXPECT_EQ(line.send(framed(12, "V")), data_reply(zep_ident));
    EXPECT_EQ(line.send(framed(12, nul("IA127"))), nak);
    EXPECT_EQ(line.send(framed(12, nul("IA12"))), nak);
    EXPECT_EQ(line.at(0).address, 12);
}

TEST(sim_framing, symbology_and_mask_commands_are_acked_and_remembered) {
    bench_line line({config(0, true)});
    for (const char* c : {"AO", "BCD", "T0:", "M2F", "T12", "M1234567"})
        EXPECT_EQ(line.send(framed(0, nul(c))), ack) << c;
    EXPECT_EQ(line.send(framed(0, nul("Q"))), nak);
    EXPECT_EQ(line.send(framed(0, nul("TX"))), nak);

    const auto& setup = line.at(0).setup_commands;
    ASSERT_EQ(setup.size(), 6u);
    EXPECT_EQ(setup.front(), "AO");
    EXPECT_EQ(setup.back(), "M1234567");
    for (int i = 0; i < 60; ++i) line.send(framed(0, nul("AF")));
    EXPECT_EQ(line.at(0).setup_commands.size(), static_cast<std::size_t>(reader::setup_limit));
}

TEST(sim_framing, history_keeps_every_command_that_reached_the_reader) {
    bench_line line({config(0, true), config(1, true)});
    line.send(framed(0, "+2503091200007") + framed(1, "V") + framed(127, "cd") +
              framed(0, "nonsense"));

    const std::deque<QByteArray> expected{"+2503091200007", "cd", "nonsense"};
    EXPECT_EQ(line.at(0).history, expected);
    EXPECT_EQ(line.at(0).last_weekday, 7);
    for (int i = 0; i < reader::history_limit + 5; ++i) line.send(framed(0, "t"));
    EXPECT_EQ(line.at(0).history.size(), static_cast<std::size_t>(reader::history_limit));
}

}  // namespace
}  // namespace zep::sim
