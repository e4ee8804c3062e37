#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

QByteArray memory_of(bench_line& line) {
    return line.send(framed(0, "z"));
}

TEST(sim_access_list, upload_gives_ids_right_justified_with_their_schedule_byte) {
    bench_line line({config(0, true), config(1, false)});
    line.at(0).set_record_length(10);
    line.at(1).set_record_length(6);
    EXPECT_EQ(line.send(framed(0, "AN007  1234") + framed(0, "AN0990042")),
              data_reply("A") + data_reply("A"));
    EXPECT_EQ(line.send(framed(0, "ur")), ack);
    EXPECT_EQ(line.send(framed(0, "u")), data_reply("      1234" + QByteArray(1, 7)));
    EXPECT_EQ(line.send(framed(0, "u")), data_reply("      0042" + QByteArray(1, 99)));
    EXPECT_EQ(line.send(framed(0, "u") + framed(0, "u")), data_reply("END") + data_reply("END"));
    line.send(framed(0, "ur"));
    EXPECT_EQ(line.send(framed(0, "u")), data_reply("      1234" + QByteArray(1, 7)));

    EXPECT_EQ(line.send(plain("AN012 77") + plain("ur") + plain("u") + plain("u")),
              "A\r    77" + QByteArray(1, 12) + "\rEND\r");
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
    EXPECT_EQ(memory_of(line), data_reply("00000000030500000000"));
    EXPECT_EQ(line.send(framed(0, "AN0004")), data_reply("A"));
    std::vector<QByteArray> order;
    for (const access_entry& e : line.at(0).ids.entries()) order.push_back(e.id);
    EXPECT_EQ(order, (std::vector<QByteArray>{"1", "4", "3"})) << "4 took the freed slot";
    EXPECT_EQ(line.send(framed(0, "cd")), ack);
    EXPECT_EQ(memory_of(line), data_reply("00003000000500000000"));
}

TEST(sim_access_list, record_length_change_clears_the_list_and_resizes_it) {
    bench_line line({config(0, true), config(1, false)});
    line.send(framed(0, "AN0001234"));
    EXPECT_EQ(memory_of(line), data_reply("00486000010500000000"));
    EXPECT_EQ(line.send(framed(0, "\\10")), ack);
    EXPECT_TRUE(line.at(0).ids.entries().empty());
    EXPECT_EQ(memory_of(line), data_reply("01818000000500000000")) << "20000 / 11 slots";
    for (const char* bad : {"\\03", "\\41", "\\1", "\\ab"})
        EXPECT_EQ(line.send(framed(0, bad)), nak) << bad;
    EXPECT_EQ(line.at(0).record_length, 10);
    EXPECT_EQ(line.at(1).record_length, 40);
}

TEST(sim_access_list, long_ids_get_no_answer_and_bad_records_are_refused) {
    reader_config c = config(0, true);
    c.record_length = 4;
    bench_line line({c, config(1, false)});
    line.at(1).set_record_length(4);
    EXPECT_EQ(line.send(framed(0, "AN00012345") + plain("AN00012345")), QByteArray());
    EXPECT_EQ(line.send(framed(0, "AC0000000")), data_reply("A")) << "probe fits";
    EXPECT_EQ(line.send(framed(0, "AC00000000")), QByteArray()) << "probe too long";
    EXPECT_EQ(line.at(0).ids.entries(), (std::vector<access_entry>{{"0000", 0}}));
    line.at(0).faults.refuse_long_ids = true;
    EXPECT_EQ(line.send(framed(0, "AN00012345")), data_reply("N"));
    for (const char* bad : {"AN1001234", "AN0x11234", "AN01", "AN000", "AN000   ", "R"})
        EXPECT_EQ(line.send(framed(0, bad)), data_reply("N")) << bad;
}

}  // namespace
}  // namespace zep::sim
