#include "core/commands/command_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "core/commands/data_format_commands.h"
#include "core/commands/reader_clock.h"
#include "tests/unit/commands/qt_printers.h"

namespace zep {
namespace {

// Built with an explicit size: a literal holding NUL would otherwise stop at it.
QByteArray bytes(const char* text, int size) {
    return QByteArray(text, size);
}

TEST(command_text, fixed_commands_carry_the_readers_letters) {
    const std::vector<std::pair<QByteArray, QByteArray>> cases = {
        {commands::identify_command(), "V"},
        {commands::memory_usage_command(), "z"},
        {commands::read_clock_command(), "t"},
        {commands::set_mode_command(commands::reader_mode::x), "|1"},
        {commands::set_mode_command(commands::reader_mode::ko), "|3"},
        {commands::set_mode_command(commands::reader_mode::zep), "|4"},
        {commands::set_mode_command(commands::reader_mode::accum), "|5"},
        {commands::factory_reset_command(), bytes("\0U", 2)},
        {commands::rs232_logging_command(true), "s1"},
        {commands::rs232_logging_command(false), "s0"},
        {commands::bad_logging_command(true), ":1"},
        {commands::bad_logging_command(false), ":0"},
        {commands::clear_full_indicator_command(), "{00"},
        {commands::clear_access_list_command(), "cd"},
        {commands::restart_access_upload_command(), "ur"},
        {commands::next_access_record_command(), "u"},
        {commands::add_schedule_command("005308001700"), "SA005308001700"},
        {commands::add_record_command("0051234"), "AN0051234"},
        {commands::restart_log_upload_command(), "lr"},
        {commands::next_log_record_command(), "l"},
        {commands::clear_log_command(), "cl"},
        {commands::protocol_command(true), bytes("\0ITP", 4)},
        {commands::protocol_command(false), bytes("\0ITN", 4)},
        {commands::protocol_test_command(), "?"},
    };
    for (const auto& [built, expected] : cases) {
        EXPECT_EQ(built, expected) << expected.toHex().constData();
    }
}

TEST(command_text, numeric_fields_are_zero_padded_and_range_checked) {
    const std::vector<std::pair<std::optional<QByteArray>, std::optional<QByteArray>>> cases = {
        {commands::record_length_command(8), "\\08"},
        {commands::record_length_command(4), "\\04"},
        {commands::record_length_command(40), "\\40"},
        {commands::record_length_command(3), std::nullopt},
        {commands::record_length_command(41), std::nullopt},
        {commands::record_length_command(0), std::nullopt},
        {commands::relay_time_command(5), "\"05"},
        {commands::relay_time_command(99), "\"99"},
        {commands::relay_time_command(100), std::nullopt},
        {commands::relay_time_command(-1), std::nullopt},
        {commands::red_led_time_command(3), "'03"},
        {commands::red_led_time_command(0), "'00"},
        {commands::red_led_time_command(100), std::nullopt},
        {commands::read_schedule_command(7), "SR007"},
        {commands::read_schedule_command(99), "SR099"},
        {commands::read_schedule_command(100), std::nullopt},
        {commands::probe_record_length_command(4), "AC0000000"},
        {commands::probe_record_length_command(18), "AC000000000000000000000"},
        {commands::probe_record_length_command(3), std::nullopt},
        {commands::probe_record_length_command(19), std::nullopt},
        {commands::set_address_command(12), bytes("\0IA012", 6)},
        {commands::set_address_command(127), bytes("\0IA127", 6)},
        {commands::set_address_command(128), std::nullopt},
        {commands::set_address_command(-1), std::nullopt},
    };
    for (const auto& [built, expected] : cases) {
        EXPECT_EQ(built, expected) << (expected ? expected->toHex().constData() : "refused");
    }
}

TEST(command_text, id_commands_send_the_id_unpadded_and_refuse_an_empty_one) {
    EXPECT_EQ(commands::add_id_command(5, "1234"), "AN0051234");
    EXPECT_EQ(commands::add_id_command(99, "  12"), "AN099  12");
    EXPECT_EQ(commands::adhoc_add_command("000123"), "AN000000123");
    EXPECT_EQ(commands::delete_id_command("1234"), "R1234");
    EXPECT_EQ(commands::add_id_command(100, "1234"), std::nullopt);
    EXPECT_EQ(commands::add_id_command(-1, "1234"), std::nullopt);
    EXPECT_EQ(commands::adhoc_add_command(""), std::nullopt);
    EXPECT_EQ(commands::delete_id_command(""), std::nullopt);
}

TEST(command_text, set_clock_sends_two_digit_fields_and_the_weekday_of_the_date) {
    const QTime ten(10, 0, 0);
    EXPECT_EQ(commands::set_clock_command(QDateTime(QDate(2006, 6, 4), ten)),
              "+0606041000007");  // Sunday
    EXPECT_EQ(commands::set_clock_command(QDateTime(QDate(2006, 6, 5), ten)),
              "+0606051000001");  // Monday
    EXPECT_EQ(commands::set_clock_command(QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5))),
              "+1001020304056");
    EXPECT_EQ(commands::set_clock_command(QDateTime()), std::nullopt);
}

TEST(command_text, set_clock_after_a_shift_takes_the_weekday_of_the_shifted_date) {
    const QDateTime monday_ten(QDate(2006, 6, 5), QTime(10, 0, 0));
    EXPECT_EQ(commands::set_clock_command(commands::shifted_clock(monday_ten, -2)),
              "+0606050800001");

    const QDateTime sunday_late(QDate(2006, 6, 4), QTime(23, 30, 0));
    EXPECT_EQ(commands::set_clock_command(commands::shifted_clock(sunday_late, 2)),
              "+0606050130001");

    const QDateTime monday_early(QDate(2006, 6, 5), QTime(1, 0, 0));
    EXPECT_EQ(commands::set_clock_command(commands::shifted_clock(monday_early, -2)),
              "+0606042300007");
}

TEST(command_text, data_format_commands_start_with_one_nul) {
    EXPECT_EQ(commands::data_format_command(commands::data_format_letters::code39_on),
              bytes("\0AO", 3));
    EXPECT_EQ(commands::data_format_command(commands::data_format_letters::i25_check_on),
              bytes("\0HCD", 4));
    EXPECT_EQ(commands::data_format_command(commands::data_format_letters::code39_check_on),
              bytes("\0ACE", 4));
    EXPECT_EQ(commands::data_format_command(commands::data_format_letters::mask_reset),
              bytes("\0TR", 3));

    EXPECT_EQ(commands::barcode_mask_command(3, 6), bytes("\0T000306", 8));
    EXPECT_EQ(commands::track1_mask_command(12, 4), bytes("\0T0:1204", 8));
    EXPECT_EQ(commands::track2_mask_command(0, 99), bytes("\0T050099", 8));
    EXPECT_EQ(commands::barcode_mask_command(100, 6), std::nullopt);
    EXPECT_EQ(commands::track2_mask_command(3, -1), std::nullopt);
}

}  // namespace
}  // namespace zep
