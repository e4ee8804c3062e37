#include "core/commands/reply_decoding.h"

#include <gtest/gtest.h>

#include <ctime>

#include "core/commands/command_text.h"
#include "core/commands/reader_clock.h"
#include "core/commands/upload_records.h"
#include "tests/support/qt_printers.h"

namespace zep {
namespace {

TEST(status_reply, first_character_or_whole_reply) {
    // reply, letter, first character is it, whole reply is it
    const std::tuple<QByteArray, char, bool, bool> rows[] = {
        {"A", 'A', true, true},    {"A1234", 'A', true, false}, {"D", 'D', true, true},
        {"O\r", 'O', true, false}, {"", 'A', false, false},     {"a", 'A', false, false},
        {" A", 'A', false, false}, {"N", 'D', false, false}};
    for (const auto& [reply, letter, ok, exact] : rows) {
        EXPECT_EQ(commands::status_ok(reply, letter), ok) << reply.constData();
        EXPECT_EQ(commands::status_exact(reply, letter), exact) << reply.constData();
    }
}

TEST(memory_reply, fields_follow_the_firmware_layout_and_are_kept_as_received) {
    const QByteArray reply = " 1234ab123030000400099";
    const auto shown = [&reply](commands::memory_layout layout) {
        const auto m = commands::decode_memory_usage(reply, layout);
        return m ? QStringList{m->download_available.text, m->download_used.text,
                               m->logging_available.text, m->logging_used.text}
                 : QStringList();
    };
    const auto now = commands::decode_memory_usage(reply, commands::memory_layout::available_first);
    EXPECT_TRUE(now && now->download_available.value == 1234 && !now->download_used.value);
    EXPECT_EQ(shown(commands::memory_layout::available_first),
              QStringList({" 1234", "ab123", "03000", "04000"}));
    // Firmware before 1/10/01 gives the used count first in each pair.
    EXPECT_EQ(shown(commands::memory_layout::used_first),
              QStringList({"ab123", " 1234", "04000", "03000"}));
    EXPECT_FALSE(commands::decode_memory_usage("0100000020030000400",
                                               commands::memory_layout::available_first));
}

TEST(clock_reply, century_follows_the_two_year_digits) {
    const std::pair<const char*, const char*> rows[] = {
        {"070612083015", "06/12/2007  08:30:15"}, {"991231235959", "12/31/1999  23:59:59"},
        {"190101000000", "01/01/2019  00:00:00"}, {"261207093000", "12/07/2026  09:30:00"},
        {"681231235959", "12/31/2068  23:59:59"}, {"690101000000", "01/01/1969  00:00:00"},
        {"000229120000", "02/29/2000  12:00:00"}};
    for (const auto& [reply, display] : rows) {
        const auto clock = commands::decode_clock_reply(reply);
        ASSERT_TRUE(clock) << reply;
        EXPECT_EQ(clock->display, QString::fromLatin1(display));
        EXPECT_EQ(clock->year, QString::fromLatin1(display).mid(6, 4).toInt());
    }
}

TEST(clock_reply, fields_come_from_their_positions_and_malformed_replies_are_refused) {
    const auto clock = commands::decode_clock_reply("0306140915427");  // 13th character ignored
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->date_time(), QDateTime(QDate(2003, 6, 14), QTime(9, 15, 42)));
    const auto impossible = commands::decode_clock_reply("031332000000");
    ASSERT_TRUE(impossible);
    EXPECT_EQ(impossible->display, "13/32/2003  00:00:00");
    EXPECT_FALSE(impossible->date_time().isValid());
    for (const char* reply : {"", "0706", "07061208301", "0706120830x5", "END", "-70612083015"}) {
        EXPECT_FALSE(commands::decode_clock_reply(reply)) << reply;
    }
    EXPECT_EQ(commands::clock_display_text(QDateTime(QDate(2006, 6, 5), QTime(8, 3, 9))),
              "06/05/2006  08:03:09");
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

TEST(access_upload_reply, id_loses_leading_blanks_and_the_last_byte_is_the_schedule) {
    const std::tuple<QByteArray, QString, int> rows[] = {
        {QByteArray("    1234\x0d"), "1234", 13},
        {QByteArray("000123\x03"), "000123", 3},  // leading zeros are significant
        {QByteArray("12 34\0", 6), "12 34", 0},
        {QByteArray("9\xff"), "9", 255},
        {QByteArray("ENDX"), "END", 'X'},  // an ID that happens to start with END
    };
    for (const auto& [reply, id, schedule] : rows) {
        const auto record = commands::decode_access_record(reply);
        ASSERT_TRUE(record) << reply.toHex().constData();
        EXPECT_EQ(record->id, id);
        EXPECT_EQ(record->schedule, schedule);
    }
    EXPECT_EQ(commands::schedule_text(13), "013");
    for (const QByteArray& reply : {QByteArray("END"), QByteArray()}) {
        EXPECT_FALSE(commands::decode_access_record(reply));
        EXPECT_FALSE(commands::decode_log_record(reply));
    }
    EXPECT_FALSE(commands::is_end_reply("END "));
    EXPECT_FALSE(commands::is_end_reply("end"));
}

TEST(log_upload_reply, status_stamp_and_card_by_position) {
    // reply, granted, card, date and time
    const std::tuple<QByteArray, bool, QString, QString> rows[] = {
        {"0050612083015 1234", true, "1234", "2005-06-12 08:30:15"},
        {"1991231235959", false, "", "2099-12-31 23:59:59"}};
    for (const auto& [reply, granted, card, when] : rows) {
        const auto record = commands::decode_log_record(reply);
        ASSERT_TRUE(record) << reply.constData();
        EXPECT_EQ(std::tuple(record->granted, record->card, record->line),
                  std::tuple(granted, card, QString::fromLatin1(reply)));
        EXPECT_EQ(commands::log_datetime_text(*record), when);
    }
    EXPECT_FALSE(commands::decode_log_record("005061208301"));
}

TEST(schedule_records, read_replies_and_file_records) {
    const auto groups = commands::split_schedule_reply("08001700" + QByteArray(40, '0') + "0000");
    EXPECT_EQ(groups[0], "08001700");
    EXPECT_EQ(groups[5], "00000000");
    EXPECT_EQ(groups[6], "0000");  // a short answer gives short and empty groups

    EXPECT_EQ(commands::schedule_file_record(5, 3, "08001700"), "005308001700");
    EXPECT_EQ(commands::schedule_file_record(100, 1, "08001700"), std::nullopt);
    EXPECT_EQ(commands::schedule_file_record(1, 8, "08001700"), std::nullopt);
    const auto record = commands::decode_schedule_record("013708001700");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->schedule, 13);
    EXPECT_EQ(record->weekday, 7);
    EXPECT_EQ(record->times, "08001700");
    for (const char* bad : {"", "013", "01a708001700"}) {
        EXPECT_FALSE(commands::decode_schedule_record(bad)) << bad;
    }
}

}  // namespace
}  // namespace zep
