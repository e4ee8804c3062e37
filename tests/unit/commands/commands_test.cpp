// Command builders and reply decoders.
#include <gtest/gtest.h>

#include <ctime>

#include "core/commands/command_text.h"
#include "core/commands/data_format_commands.h"
#include "core/commands/reader_clock.h"
#include "core/commands/reply_decoding.h"
#include "core/commands/upload_records.h"
#include "tests/support/qt_printers.h"

namespace zep::commands {
namespace {

TEST(command_text, numbers_are_zero_padded_and_refused_outside_their_range) {
    EXPECT_EQ(padded_digits(8, 2, 4, 40), "08");
    EXPECT_EQ(padded_digits(7, 3, 0, 99), "007");
    EXPECT_EQ(padded_digits(100, 2, 0, 999), std::nullopt);  // does not fit
    EXPECT_EQ(padded_digits(-1, 2, -5, 5), std::nullopt);
    // Each ranged parameter at its bounds and one step past them.
    for (const auto& taken :
         {record_length_command(4), record_length_command(40), relay_time_command(99),
          red_led_time_command(0), read_schedule_command(99), probe_record_length_command(4),
          probe_record_length_command(18), set_address_command(127), add_id_command(99, "1"),
          barcode_mask_command(0, 99)}) {
        EXPECT_TRUE(taken.has_value());
    }
    for (const auto& refused :
         {record_length_command(3), record_length_command(41), relay_time_command(100),
          red_led_time_command(-1), read_schedule_command(100), probe_record_length_command(3),
          probe_record_length_command(19), set_address_command(128), add_id_command(100, "1"),
          barcode_mask_command(100, 6), track2_mask_command(3, -1)}) {
        EXPECT_EQ(refused, std::nullopt);
    }
}

TEST(command_text, parameters_are_laid_out_as_the_reader_reads_them) {
    EXPECT_EQ(add_id_command(5, "  12"), "AN005  12");  // the ID goes as typed
    EXPECT_EQ(probe_record_length_command(4), "AC0000000");
    EXPECT_EQ(track1_mask_command(12, 4), QByteArray("\0T0:1204", 8));
    EXPECT_EQ(set_clock_command(QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5))), "+1001020304056");
    EXPECT_EQ(set_clock_command(QDateTime()), std::nullopt);
}

// An ID is Latin-1 text a reader can print: each edge of the rule, in the middle of an ID.
TEST(command_text, ids_must_be_printable_8_bit_text) {
    const std::pair<char16_t, bool> edges[] = {{0x1f, false}, {0x20, true},   {0x7e, true},
                                               {0x7f, false}, {0x9f, false},  {0xa0, true},
                                               {0xff, true},  {0x100, false}, {0x20ac, false}};
    for (const auto& [code, sendable] : edges) {
        const QString id = QString("12") + QChar(code) + "3";
        EXPECT_EQ(sendable_id(id), sendable) << std::hex << int(code);
        EXPECT_EQ(bool(delete_id_command(id)), sendable) << std::hex << int(code);
    }
    EXPECT_EQ(delete_id_command(QString::fromUtf8("M\u00fcller")), QByteArray("RM\xfcller"));
    EXPECT_FALSE(delete_id_command(QString()));
}

TEST(command_text, the_command_set_says_which_commands_answer_with_data) {
    const std::vector<std::pair<reply_form, std::vector<QByteArray>>> rows{
        {reply_form::data,
         {"V", "z", "t", "+2503091200007", "AN0001234", "AC0000000", "R1234", "u", "l", "SR001",
          "SA001108001700", "?"}},
        {reply_form::ack,
         {"ur", "lr", "cd", "cl", "s1", ":0", "{00", "|4", "\\08", "\"05", "'03",
          QByteArray("\0ITP", 4), QByteArray("\0T0:1204", 8)}},
        {reply_form::unknown, {"XYZ", "Vx", ""}}};
    for (const auto& [form, texts] : rows) {
        for (const QByteArray& command : texts) {
            EXPECT_EQ(expected_reply(command), form) << command.toHex().constData();
        }
    }
}

// Whole hours cross midnight, month, leap day and year ends; the weekday is the sent date's.
TEST(command_text, clock_setting_shifts_whole_hours_and_sends_the_weekday_of_that_date) {
    struct row {
        QDateTime pc;
        int shift;
        const char* sent;
    };
    const QDate sunday(2006, 6, 4);
    const QDate monday(2006, 6, 5);
    const row rows[] = {
        {QDateTime(sunday, QTime(10, 0)), 0, "+0606041000007"},
        {QDateTime(monday, QTime(10, 0)), 0, "+0606051000001"},
        {QDateTime(monday, QTime(10, 0)), -2, "+0606050800001"},
        {QDateTime(sunday, QTime(23, 30)), 2, "+0606050130001"},
        {QDateTime(monday, QTime(1, 0)), -2, "+0606042300007"},
        {QDateTime(monday, QTime(12, 30)), -24, "+0606041230007"},
        {QDateTime(QDate(2006, 3, 1), QTime(1, 30)), -2, "+0602282330002"},
        {QDateTime(QDate(2008, 2, 28), QTime(23, 30)), 1, "+0802290030005"},
        {QDateTime(QDate(2006, 12, 31), QTime(22, 30)), 3, "+0701010130001"},
    };
    for (const row& r : rows) {
        EXPECT_EQ(set_clock_command(shifted_clock(r.pc, r.shift)), r.sent);
    }
}

TEST(status_reply, first_character_or_whole_reply) {
    // reply, letter, first character is it, whole reply is it
    const std::tuple<QByteArray, char, bool, bool> rows[] = {
        {"A", 'A', true, true},    {"A1234", 'A', true, false}, {"D", 'D', true, true},
        {"O\r", 'O', true, false}, {"", 'A', false, false},     {"a", 'A', false, false},
        {" A", 'A', false, false}, {"N", 'D', false, false}};
    for (const auto& [reply, letter, ok, exact] : rows) {
        EXPECT_EQ(status_ok(reply, letter), ok) << reply.constData();
        EXPECT_EQ(status_exact(reply, letter), exact) << reply.constData();
    }
}

TEST(memory_reply, fields_follow_the_firmware_layout_and_are_kept_as_received) {
    const QByteArray reply = " 1234ab123030000400099";
    const auto shown = [&reply](memory_layout layout) {
        const auto m = decode_memory_usage(reply, layout);
        return m ? QStringList{m->download_available.text, m->download_used.text,
                               m->logging_available.text, m->logging_used.text}
                 : QStringList();
    };
    const auto now = decode_memory_usage(reply, memory_layout::available_first);
    EXPECT_TRUE(now && now->download_available.value == 1234 && !now->download_used.value);
    EXPECT_EQ(shown(memory_layout::available_first),
              QStringList({" 1234", "ab123", "03000", "04000"}));
    // Firmware before 1/10/01 gives the used count first in each pair.
    EXPECT_EQ(shown(memory_layout::used_first), QStringList({"ab123", " 1234", "04000", "03000"}));
    EXPECT_FALSE(decode_memory_usage("0100000020030000400", memory_layout::available_first));
}

TEST(clock_reply, century_follows_the_two_year_digits) {
    const std::pair<const char*, const char*> rows[] = {
        {"070612083015", "06/12/2007  08:30:15"}, {"991231235959", "12/31/1999  23:59:59"},
        {"190101000000", "01/01/2019  00:00:00"}, {"261207093000", "12/07/2026  09:30:00"},
        {"681231235959", "12/31/2068  23:59:59"}, {"690101000000", "01/01/1969  00:00:00"},
        {"000229120000", "02/29/2000  12:00:00"}};
    for (const auto& [reply, display] : rows) {
        const auto clock = decode_clock_reply(reply);
        ASSERT_TRUE(clock) << reply;
        EXPECT_EQ(clock->display, QString::fromLatin1(display));
        EXPECT_EQ(clock->year, QString::fromLatin1(display).mid(6, 4).toInt());
    }
}

TEST(clock_reply, fields_come_from_their_positions_and_malformed_replies_are_refused) {
    const auto clock = decode_clock_reply("0306140915427");  // 13th character ignored
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->date_time(), QDateTime(QDate(2003, 6, 14), QTime(9, 15, 42)));
    const auto impossible = decode_clock_reply("031332000000");
    ASSERT_TRUE(impossible);
    EXPECT_EQ(impossible->display, "13/32/2003  00:00:00");
    EXPECT_FALSE(impossible->date_time().isValid());
    for (const char* reply : {"", "0706", "07061208301", "0706120830x5", "END", "-70612083015"}) {
        EXPECT_FALSE(decode_clock_reply(reply)) << reply;
    }
    EXPECT_EQ(clock_display_text(QDateTime(QDate(2006, 6, 5), QTime(8, 3, 9))),
              "06/05/2006  08:03:09");
}

TEST(clock_shift, a_daylight_saving_gap_of_the_pc_zone_moves_nothing) {
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");  // 2026-03-29 02:00 does not exist
    tzset();
    const QDateTime before_gap(QDate(2026, 3, 29), QTime(1, 30), Qt::LocalTime);
    const QDateTime moved = shifted_clock(before_gap, 1);
    EXPECT_EQ(moved.date(), QDate(2026, 3, 29));
    EXPECT_EQ(moved.time(), QTime(2, 30));
    EXPECT_EQ(set_clock_command(moved), "+2603290230007");
    const QDateTime after_fold(QDate(2026, 10, 25), QTime(3, 30), Qt::LocalTime);
    EXPECT_EQ(shifted_clock(after_fold, -1).time(), QTime(2, 30));
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
        const auto record = decode_access_record(reply);
        ASSERT_TRUE(record) << reply.toHex().constData();
        EXPECT_EQ(record->id, id);
        EXPECT_EQ(record->schedule, schedule);
    }
    EXPECT_EQ(schedule_text(13), "013");
    for (const QByteArray& reply : {QByteArray("END"), QByteArray()}) {
        EXPECT_FALSE(decode_access_record(reply));
        EXPECT_FALSE(decode_log_record(reply));
    }
    EXPECT_FALSE(is_end_reply("END "));
    EXPECT_FALSE(is_end_reply("end"));
}

TEST(log_upload_reply, status_stamp_and_card_by_position) {
    // reply, granted, card, date and time
    const std::tuple<QByteArray, bool, QString, QString> rows[] = {
        {"0050612083015 1234", true, "1234", "2005-06-12 08:30:15"},
        {"1991231235959", false, "", "2099-12-31 23:59:59"}};
    for (const auto& [reply, granted, card, when] : rows) {
        const auto record = decode_log_record(reply);
        ASSERT_TRUE(record) << reply.constData();
        EXPECT_EQ(std::tuple(record->granted, record->card, record->line),
                  std::tuple(granted, card, QString::fromLatin1(reply)));
        EXPECT_EQ(log_datetime_text(*record), when);
    }
    EXPECT_FALSE(decode_log_record("005061208301"));
}

TEST(schedule_records, read_replies_and_file_records) {
    const auto groups = split_schedule_reply("08001700" + QByteArray(40, '0') + "0000");
    EXPECT_EQ(groups[0], "08001700");
    EXPECT_EQ(groups[5], "00000000");
    EXPECT_EQ(groups[6], "0000");  // a short answer gives short and empty groups

    EXPECT_EQ(schedule_file_record(5, 3, "08001700"), "005308001700");
    EXPECT_EQ(schedule_file_record(100, 1, "08001700"), std::nullopt);
    EXPECT_EQ(schedule_file_record(1, 8, "08001700"), std::nullopt);
    const auto record = decode_schedule_record("013708001700");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->schedule, 13);
    EXPECT_EQ(record->weekday, 7);
    EXPECT_EQ(record->times, "08001700");
    for (const char* bad : {"", "013", "01a708001700"}) {
        EXPECT_FALSE(decode_schedule_record(bad)) << bad;
    }
}

}  // namespace
}  // namespace zep::commands
