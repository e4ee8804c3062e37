#include <gtest/gtest.h>

#include "tests/sim/wire_bytes.h"

namespace zep::sim {
namespace {

using namespace testing;

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

TEST(sim_log, seeded_logs_are_repeatable_with_rising_timestamps) {
    const auto cards = [](std::uint32_t seed) {
        transaction_log log;
        seed_log(log, {50, 5, {"1001", "1002", "1003"}, seed, {}});
        QByteArray all;
        int denied = 0;
        for (int i = 0; i < log.size(); ++i) {
            all += log.records()[i].card;
            denied += log.records()[i].denied ? 1 : 0;
            EXPECT_TRUE(i == 0 || log.records()[i - 1].when < log.records()[i].when) << i;
        }
        EXPECT_EQ(denied, 10);
        return all;
    };
    EXPECT_EQ(cards(42), cards(42));
    EXPECT_NE(cards(42), cards(43)) << "another seed, another log";
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
