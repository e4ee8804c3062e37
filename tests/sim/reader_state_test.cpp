#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

TEST(sim_schedules, stored_windows_read_back_by_weekday) {
    bench_line line({config(0, true)});
    EXPECT_EQ(line.send(framed(0, "SA00130800170")), data_reply("N")) << "one digit short";
    EXPECT_EQ(line.send(framed(0, "SA001308001700")), data_reply("A"));
    EXPECT_EQ(line.send(framed(0, "SA001700002400")), data_reply("A"));

    EXPECT_EQ(line.send(framed(0, "SR001")),
              data_reply(QByteArray(16, '0') + "08001700" + QByteArray(24, '0') + "00002400"));
    EXPECT_EQ(line.send(framed(0, "SR099")), data_reply(QByteArray(56, '0'))) << "never set";
    for (const char* bad : {"SR000", "SR100", "SR01", "SR0011", "SRabc"})
        EXPECT_EQ(line.send(framed(0, bad)), data_reply("N")) << bad;
}

TEST(sim_schedules, malformed_records_are_refused) {
    bench_line line({config(0, true)});
    const char* bad[] = {
        "SA00010800170",    // too short
        "SA0011080017000",  // too long
        "SA000108001700",   // schedule 000
        "SA100108001700",   // schedule 100
        "SA001008001700",   // weekday 0
        "SA001808001700",   // weekday 8
        "SA0011080a1700",   // not digits
        "SA001124011700",   // 2401
        "SA001108601700",   // 60 minutes
    };
    for (const char* b : bad) EXPECT_EQ(line.send(framed(0, b)), data_reply("N")) << b;
    EXPECT_EQ(line.send(framed(0, "SR001")), data_reply(QByteArray(56, '0')));
}

TEST(sim_log, zep_log_uploads_in_order_then_ends_until_restarted) {
    reader_config c = config(0, true);
    c.log = {3, 2, {"1001"}, 7, QDateTime(QDate(2024, 5, 6), QTime(8, 0), Qt::UTC)};
    bench_line line({c});

    EXPECT_EQ(line.send(framed(0, "l")), data_reply("02405060800001001"));
    const QByteArray second = line.send(framed(0, "l"));
    EXPECT_TRUE(
        second.startsWith("\x06\x02"
                          "1240506"))
        << "every second record is denied";
    EXPECT_TRUE(second.endsWith("1001\x03"));
    line.send(framed(0, "l"));
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("END"));
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("END"));

    EXPECT_EQ(line.send(framed(0, "lr")), ack);
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("02405060800001001"));
    EXPECT_EQ(line.send(framed(0, "cl")), ack);
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("END"));
}

TEST(sim_log, seeded_logs_are_repeatable_with_rising_timestamps) {
    log_seed seed{50, 5, {"1001", "1002", "1003"}, 42, {}};
    transaction_log a, b;
    seed_log(a, seed);
    seed_log(b, seed);
    ASSERT_EQ(a.size(), 50);
    int denied = 0;
    for (int i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a.records()[i].card, b.records()[i].card);
        EXPECT_EQ(a.records()[i].when, b.records()[i].when);
        if (i > 0) {
            EXPECT_LT(a.records()[i - 1].when, a.records()[i].when);
        }
        denied += a.records()[i].denied ? 1 : 0;
    }
    EXPECT_EQ(denied, 10);

    seed.seed = 43;
    transaction_log c;
    seed_log(c, seed);
    bool differs = false;
    for (int i = 0; i < c.size(); ++i)
        differs = differs || c.records()[i].card != a.records()[i].card;
    EXPECT_TRUE(differs) << "another seed, another log";
}

TEST(sim_log, ko_readers_keep_no_log) {
    reader_config c = config(0, true, reader_family::ko);
    c.log.count = 5;
    bench_line line({c});
    EXPECT_EQ(line.send(framed(0, "l")), data_reply("END"));
    EXPECT_EQ(line.send(framed(0, "z")), data_reply("00487000000000000000"));
    EXPECT_EQ(line.send(framed(0, "V")), data_reply("KO Reader V4.12 (simulated)"));
}

TEST(sim_memory_report, old_firmware_gives_used_before_available) {
    reader_config c = config(0, true);
    c.ids = {{"1", 0}, {"2", 0}};
    c.log.count = 3;
    c.log_capacity = 100;
    bench_line fresh({c});
    EXPECT_EQ(fresh.send(framed(0, "z")), data_reply("00485000020009700003"));

    c.old_firmware = true;
    bench_line old({c});
    EXPECT_EQ(old.send(framed(0, "z")), data_reply("00002004850000300097"));
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
}

TEST(sim_clock, malformed_times_are_refused_and_change_nothing) {
    bench_line line({config(0, true)});
    line.at(0).clock_offset_s = 100;
    const char* bad[] = {"+250615123000",  "+25061512300071", "+2513151230007", "+2502301230007",
                         "+2506152530007", "+2506151230000",  "+2506151230008", "+25061512x0007"};
    for (const char* b : bad) EXPECT_EQ(line.send(framed(0, b)), data_reply("E")) << b;
    EXPECT_EQ(line.at(0).clock_offset_s, 100);
    EXPECT_EQ(line.send(framed(0, "t")), data_reply("250309120140"));
}

TEST(sim_system, factory_reset_forgets_lists_and_settings) {
    reader_config c = config(0, true);
    c.ids = {{"1234", 3}};
    c.log.count = 4;
    c.schedules = {{2, {"08001700", "", "", "", "", "", ""}}};
    bench_line line({c});
    line.send(framed(0, "\\10") + framed(0, "AN0001") + framed(0, "\"09") + framed(0, "'07"));
    ASSERT_EQ(line.at(0).relay_time, 9);

    EXPECT_EQ(line.send(framed(0, nul("U"))), ack);
    const reader& r = line.at(0);
    EXPECT_TRUE(r.ids.entries().empty());
    EXPECT_EQ(r.log.size(), 0);
    EXPECT_EQ(r.schedules.window(2, 1), "00000000");
    EXPECT_EQ(r.record_length, 40);
    EXPECT_EQ(r.relay_time, reader::default_relay_time);
    EXPECT_EQ(r.red_led_time, reader::default_red_led_time);
    EXPECT_TRUE(r.protocol) << "the line settings survive";
}

}  // namespace
}  // namespace zep::sim
