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

// How a dropped connection looks is the transport's test.
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
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("00000000030500000000"));
    EXPECT_EQ(line.send(framed(0, "AN0004")), data_reply("A"));
    std::vector<QByteArray> order;
    for (const access_entry& e : line.at(0).ids.entries()) order.push_back(e.id);
    EXPECT_EQ(order, (std::vector<QByteArray>{"1", "4", "3"})) << "4 took the freed slot";
    EXPECT_EQ(line.send(framed(0, "cd")), ack);
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("00003000000500000000"));
}

TEST(sim_access_list, record_length_change_clears_the_list_and_resizes_it) {
    bench_line line({config(0, true), config(1, false)});
    line.send(framed(0, "AN0001234"));
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("00486000010500000000"));
    EXPECT_EQ(line.send(framed(0, "\\10")), ack);
    EXPECT_TRUE(line.at(0).ids.entries().empty());
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("01818000000500000000")) << "20000 / 11 slots";
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

TEST(sim_schedules, stored_windows_read_back_and_malformed_records_are_refused) {
    bench_line line({config(0, true)});
    EXPECT_EQ(line.send(framed(0, "SA001308001700") + framed(0, "SA001700002400")),
              data_reply("A") + data_reply("A"));
    EXPECT_EQ(line.send(framed(0, "SR001")),
              data_reply(QByteArray(16, '0') + "08001700" + QByteArray(24, '0') + "00002400"));
    EXPECT_EQ(line.send(framed(0, "SR099")), data_reply(QByteArray(56, '0'))) << "never set";
    const char* bad[] = {
        "SR000",          "SR100",          "SR01",
        "SRabc",          "SA00010800170",  "SA0011080017000",  // too short, too long
        "SA000108001700", "SA100108001700",                     // schedule 000, 100
        "SA001008001700", "SA001808001700",                     // weekday 0, 8
        "SA0011080a1700", "SA001124011700", "SA001108601700",   // digits, 2401, 60 minutes
    };
    for (const char* b : bad) EXPECT_EQ(line.send(framed(0, b)), data_reply("N")) << b;
}

// Seeded logs rise in time and deny every n-th record: the scenario fuzz target holds that.
TEST(sim_log, zep_log_uploads_in_order_then_ends_until_restarted) {
    reader_config c = config(0, true);
    c.log = {3, 2, {"1001"}, 7, QDateTime(QDate(2024, 5, 6), QTime(8, 0), Qt::UTC)};
    bench_line line({c});
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("02405060800001001"));
    EXPECT_TRUE(line.send(framed(0, "l")).startsWith(data_reply("1240506").chopped(1)))
        << "every second record is denied";
    line.send(framed(0, "l"));
    EXPECT_EQ(line.send(framed(0, "l") + framed(0, "l")), data_reply("END") + data_reply("END"));
    EXPECT_EQ(line.send(framed(0, "lr")), ack);
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("02405060800001001"));
    EXPECT_EQ(line.send(framed(0, "cl")), ack);
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("END"));

    reader_config ko = config(0, true, reader_family::ko);
    ko.log.count = 5;
    bench_line ko_line({ko});
    EXPECT_EQ(ko_line.send(framed(0, "l")), data_reply("END")) << "KO readers keep no log";
}

TEST(sim_clock, set_clock_then_read_it_as_time_goes_on) {
    bench_line line({config(0, true)});
    EXPECT_EQ(line.send(framed(0, "+2506151230007")), data_reply("O"));
    EXPECT_EQ(line.at(0).last_weekday, 7);
    line.now = line.now.addSecs(65);
    EXPECT_EQ(line.send(framed(0, "t")), data_reply("250615123105"));
    line.send(framed(0, "+6912312359594"));
    EXPECT_EQ(line.at(0).clock(line.now).date().year(), 2069);
    line.send(framed(0, "+7001010000004"));
    EXPECT_EQ(line.at(0).clock(line.now).date().year(), 1970);

    const qint64 offset = line.at(0).clock_offset_s;
    for (const char* b : {"+250615123000", "+25061512300071", "+2513151230007", "+2502301230007",
                          "+2506152530007", "+2506151230000", "+2506151230008", "+25061512x0007"})
        EXPECT_EQ(line.send(framed(0, b)), data_reply("E")) << b;
    EXPECT_EQ(line.at(0).clock_offset_s, offset);
}

TEST(sim_system, factory_reset_forgets_lists_and_settings) {
    reader_config c = config(0, true);
    c.ids = {{"1234", 3}};
    c.log.count = 4;
    c.schedules = {{2, {"08001700", "", "", "", "", "", ""}}};
    bench_line line({c});
    line.send(framed(0, "\\10") + framed(0, "\"09") + framed(0, "'07"));
    ASSERT_EQ(line.at(0).relay_time, 9);
    EXPECT_EQ(line.send(framed(0, nul("U"))), ack);
    const reader& r = line.at(0);
    EXPECT_TRUE(r.ids.entries().empty() && r.log.size() == 0);
    EXPECT_EQ(r.schedules.window(2, 1), "00000000");
    EXPECT_TRUE(r.record_length == 40 && r.relay_time == 5 && r.red_led_time == 5);
}

}  // namespace
}  // namespace zep::sim
