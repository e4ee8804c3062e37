#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

TEST(sim_faults, a_silent_reader_hears_but_neither_acts_nor_answers) {
    bench_line line({config(0, true), config(1, false)});
    line.at(0).faults.silent = true;
    line.at(1).faults.silent = true;

    EXPECT_EQ(line.send(framed(0, "AN0001234")), QByteArray());
    EXPECT_EQ(line.send(plain("AN0001234")), QByteArray());
    EXPECT_TRUE(line.at(0).ids.entries().empty());
    EXPECT_TRUE(line.at(1).ids.entries().empty());
    EXPECT_EQ(line.at(0).history.back(), "AN0001234");
}

TEST(sim_faults, a_nak_reader_refuses_everything_without_acting) {
    bench_line line({config(0, true), config(1, false)});
    line.at(0).faults.nak = true;
    line.at(1).faults.nak = true;

    EXPECT_EQ(line.send(framed(0, "AN0001234")), nak);
    EXPECT_EQ(line.send(plain("AN0001234")), "?\r");
    EXPECT_TRUE(line.at(0).ids.entries().empty());
    EXPECT_TRUE(line.at(1).ids.entries().empty());
}

TEST(sim_faults, garbage_is_printable_and_never_terminated) {
    bench_line line({config(0, true)});
    line.at(0).faults.garbage = true;
    for (int i = 0; i < 20; ++i) {
        const QByteArray noise = line.send(framed(0, "V"));
        ASSERT_FALSE(noise.isEmpty());
        for (char c : noise) ASSERT_TRUE(c > ' ' && c < 127) << int(c);
    }
}

TEST(sim_faults, delivery_faults_travel_with_the_reply) {
    bench_line line({config(0, true), config(1, true)});
    line.at(0).faults.delay_ms = 250;
    line.at(0).faults.baud = 9600;
    line.at(0).faults.split = true;

    const auto out = line.send_raw(framed(0, "V") + framed(1, "V"));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].reader, 0);
    EXPECT_EQ(out[0].delay_ms, 250);
    EXPECT_EQ(out[0].baud, 9600);
    EXPECT_TRUE(out[0].split);
    EXPECT_EQ(out[1].delay_ms, 0);
    EXPECT_FALSE(out[1].split);
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
