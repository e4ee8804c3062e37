#include "core/commands/reply_decoding.h"

#include <gtest/gtest.h>

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
        {"A", commands::added_letter, true, true},    {"A1234", commands::added_letter, true, false},
        {"D", commands::deleted_letter, true, true},  {"O\r", commands::clock_set_letter, true, false},
        {"", commands::added_letter, false, false},   {"a", commands::added_letter, false, false},
        {" A", commands::added_letter, false, false}, {"N", commands::deleted_letter, false, false},
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
    const auto usage =
        commands::decode_memory_usage(" 1234ab123000010000099999", commands::memory_layout::available_first);
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->download_available.text, " 1234");
    EXPECT_EQ(usage->download_available.value, 1234);
    EXPECT_EQ(usage->download_used.text, "ab123");
    EXPECT_FALSE(usage->download_used.value);
    EXPECT_EQ(usage->logging_used.text, "00000");
    EXPECT_EQ(usage->logging_used.value, 0);

    EXPECT_FALSE(commands::decode_memory_usage("0100000020030000400", commands::memory_layout::available_first));
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
        {"200101000000", 1920, "01/01/1920  00:00:00"},
        {"000229120000", 2000, "02/29/2000  12:00:00"},
    };
    for (const auto& r : rows) {
        const auto clock = commands::decode_clock_reply(r.reply);
        ASSERT_TRUE(clock) << r.reply;
        EXPECT_EQ(clock->year, r.year) << r.reply;
        EXPECT_EQ(clock->display, QString::fromLatin1(r.display));
    }
    EXPECT_EQ(commands::four_digit_year("19"), "2019");
    EXPECT_EQ(commands::four_digit_year("20"), "1920");
}

TEST(clock_reply, fields_and_date_time_come_from_their_positions) {
    const auto clock = commands::decode_clock_reply("0306140915427");  // a trailing character is ignored
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
    EXPECT_EQ(commands::weekday_digit(QDate(2006, 6, 4)), 7);
    EXPECT_EQ(commands::weekday_digit(QDate(2006, 6, 5)), 1);
}

}  // namespace
}  // namespace zep
