#include "core/commands/command_text.h"

#include <gtest/gtest.h>

#include "core/commands/data_format_commands.h"
#include "core/commands/reader_clock.h"
#include "tests/support/qt_printers.h"

namespace zep {
namespace {

TEST(command_text, numbers_are_zero_padded_and_refused_outside_their_range) {
    EXPECT_EQ(commands::padded_digits(8, 2, 4, 40), "08");
    EXPECT_EQ(commands::padded_digits(7, 3, 0, 99), "007");
    EXPECT_EQ(commands::padded_digits(100, 2, 0, 999), std::nullopt);  // does not fit
    EXPECT_EQ(commands::padded_digits(-1, 2, -5, 5), std::nullopt);
    // Each ranged parameter at its bounds and one step past them.
    using namespace commands;
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
    EXPECT_EQ(commands::add_id_command(5, "  12"), "AN005  12");  // the ID goes as typed
    EXPECT_EQ(commands::probe_record_length_command(4), "AC0000000");
    EXPECT_EQ(commands::set_address_command(12), QByteArray("\0IA012", 6));
    EXPECT_EQ(commands::track1_mask_command(12, 4), QByteArray("\0T0:1204", 8));
    EXPECT_EQ(commands::set_clock_command(QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5))),
              "+1001020304056");
    EXPECT_EQ(commands::set_clock_command(QDateTime()), std::nullopt);
}

TEST(command_text, ids_must_be_printable_8_bit_text) {
    // Latin-1 letters travel as one byte each; blanks are part of an ID.
    for (const QString& id :
         {QString("4711"), QString(" 0123"), QString::fromUtf8("M\u00fcller\u00ff")}) {
        EXPECT_TRUE(commands::sendable_id(id)) << id.toStdString();
        EXPECT_TRUE(commands::delete_id_command(id)) << id.toStdString();
    }
    for (const QString& id : {QString::fromUtf8("\u20ac12"), QString("12\t3"),
                              QString("12") + QChar(0x7f), QString("12") + QChar(0x85)}) {
        EXPECT_FALSE(commands::sendable_id(id)) << id.toStdString();
        EXPECT_FALSE(commands::delete_id_command(id)) << id.toStdString();
    }
    EXPECT_FALSE(commands::delete_id_command(QString()));
}

TEST(command_text, the_command_set_says_which_commands_answer_with_data) {
    using commands::reply_form;
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
            EXPECT_EQ(commands::expected_reply(command), form) << command.toHex().constData();
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
        EXPECT_EQ(commands::set_clock_command(commands::shifted_clock(r.pc, r.shift)), r.sent);
    }
}

}  // namespace
}  // namespace zep
