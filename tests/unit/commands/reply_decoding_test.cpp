#include "core/commands/reply_decoding.h"

#include <gtest/gtest.h>

#include <ctime>

#include "core/commands/command_text.h"
#include "core/commands/reader_clock.h"
#include "tests/unit/commands/qt_printers.h"

namespace zep {
namespace {

TEST(status_reply, first_character_or_whole_reply) {
    struct row {
        QByteArray reply;
        char letter;
        bool ok;
        bool exact;
    };
    const row rows[] = {
        {"A", commands::added_letter, true, true},
        {"A1234", commands::added_letter, true, false},
        {"D", commands::deleted_letter, true, true},
        {"O\r", commands::clock_set_letter, true, false},
        {"", commands::added_letter, false, false},
        {"a", commands::added_letter, false, false},
        {" A", commands::added_letter, false, false},
        {"N", commands::deleted_letter, false, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(commands::status_ok(r.reply, r.letter), r.ok) << r.reply.constData();
        EXPECT_EQ(commands::status_exact(r.reply, r.letter), r.exact) << r.reply.constData();
    }
}

TEST(memory_reply, fields_follow_the_firmware_layout) {
    const QByteArray reply = QByteArray("01000") + "00002" + "03000" + "04000";
    const auto now = commands::decode_memory_usage(reply, commands::memory_layout::available_first);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->download_available.value, 1000);
    EXPECT_EQ(now->download_used.value, 2);
    EXPECT_EQ(now->logging_available.value, 3000);
    EXPECT_EQ(now->logging_used.value, 4000);
    EXPECT_EQ(now->download_used.text, "00002");

    const auto old = commands::decode_memory_usage(reply, commands::memory_layout::used_first);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->download_used.value, 1000);
    EXPECT_EQ(old->download_available.value, 2);
    EXPECT_EQ(old->logging_used.value, 3000);
    EXPECT_EQ(old->logging_available.value, 4000);
}

TEST(memory_reply, fields_are_kept_as_received_and_short_replies_refused) {
    const auto usage = commands::decode_memory_usage(" 1234ab123000010000099999",
                                                     commands::memory_layout::available_first);
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->download_available.text, " 1234");
    EXPECT_EQ(usage->download_available.value, 1234);
    EXPECT_EQ(usage->download_used.text, "ab123");
    EXPECT_FALSE(usage->download_used.value);
    EXPECT_EQ(usage->logging_used.text, "00000");
    EXPECT_EQ(usage->logging_used.value, 0);

    EXPECT_FALSE(commands::decode_memory_usage("0100000020030000400",
                                               commands::memory_layout::available_first));
    EXPECT_FALSE(commands::decode_memory_usage("", commands::memory_layout::used_first));
}

TEST(clock_reply, century_follows_the_two_year_digits) {
    struct row {
        const char* reply;
        int year;
        const char* display;
    };
    const row rows[] = {
        {"070612083015", 2007, "06/12/2007  08:30:15"},
        {"991231235959", 1999, "12/31/1999  23:59:59"},
        {"190101000000", 2019, "01/01/2019  00:00:00"},
        {"261207093000", 2026, "12/07/2026  09:30:00"},
        {"681231235959", 2068, "12/31/2068  23:59:59"},
        {"690101000000", 1969, "01/01/1969  00:00:00"},
        {"000229120000", 2000, "02/29/2000  12:00:00"},
    };
    for (const auto& r : rows) {
        const auto clock = commands::decode_clock_reply(r.reply);
        ASSERT_TRUE(clock) << r.reply;
        EXPECT_EQ(clock->year, r.year) << r.reply;
        EXPECT_EQ(clock->display, QString::fromLatin1(r.display));
    }
}

TEST(clock_reply, fields_and_date_time_come_from_their_positions) {
    const auto clock =
        commands::decode_clock_reply("0306140915427");  // a trailing character is ignored
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->date_time(), QDateTime(QDate(2003, 6, 14), QTime(9, 15, 42)));

    const auto impossible = commands::decode_clock_reply("031332000000");
    ASSERT_TRUE(impossible);
    EXPECT_EQ(impossible->display, "13/32/2003  00:00:00");
    EXPECT_FALSE(impossible->date_time().isValid());
}

TEST(clock_reply, malformed_replies_are_reported) {
    for (const char* reply : {"", "0706", "07061208301", "0706120830x5", "END", "-70612083015"}) {
        EXPECT_FALSE(commands::decode_clock_reply(reply)) << reply;
    }
}

TEST(clock_reply, display_of_the_pc_clock_pads_every_field) {
    EXPECT_EQ(commands::clock_display_text(QDateTime(QDate(2006, 6, 5), QTime(8, 3, 9))),
              "06/05/2006  08:03:09");
}

TEST(clock_shift, whole_hours_cross_midnight_month_and_year_ends) {
    struct row {
        QDateTime from;
        int hours;
        QDateTime to;
    };
    const row rows[] = {
        {QDateTime(QDate(2006, 6, 5), QTime(10, 0)), 0, QDateTime(QDate(2006, 6, 5), QTime(10, 0))},
        {QDateTime(QDate(2006, 6, 4), QTime(23, 30)), 2,
         QDateTime(QDate(2006, 6, 5), QTime(1, 30))},
        {QDateTime(QDate(2006, 3, 1), QTime(1, 0)), -2,
         QDateTime(QDate(2006, 2, 28), QTime(23, 0))},
        {QDateTime(QDate(2008, 2, 28), QTime(23, 0)), 1,
         QDateTime(QDate(2008, 2, 29), QTime(0, 0))},
        {QDateTime(QDate(2006, 12, 31), QTime(22, 0)), 3,
         QDateTime(QDate(2007, 1, 1), QTime(1, 0))},
        {QDateTime(QDate(2006, 6, 5), QTime(12, 0)), -24,
         QDateTime(QDate(2006, 6, 4), QTime(12, 0))},
    };
    for (const auto& r : rows) {
        const QDateTime moved = commands::shifted_clock(r.from, r.hours);
        EXPECT_EQ(moved.date(), r.to.date()) << r.hours;
        EXPECT_EQ(moved.time(), r.to.time()) << r.hours;
    }
}

TEST(clock_shift, a_daylight_saving_gap_of_the_pc_zone_moves_nothing) {
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");  // 2026-03-29 02:00 does not exist
    tzset();
    const QDateTime before_gap(QDate(2026, 3, 29), QTime(1, 30), Qt::LocalTime);
    const QDateTime moved = commands::shifted_clock(before_gap, 1);
    EXPECT_EQ(moved.date(), QDate(2026, 3, 29));
    EXPECT_EQ(moved.time(), QTime(2, 30));
    EXPECT_EQ(commands::set_clock_command(moved), "+2603290230007");
    const QDateTime after_fold(QDate(2026, 10, 25), QTime(3, 30), Qt::LocalTime);
    EXPECT_EQ(commands::shifted_clock(after_fold, -1).time(), QTime(2, 30));
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    tzset();
}

}  // namespace
}  // namespace zep
