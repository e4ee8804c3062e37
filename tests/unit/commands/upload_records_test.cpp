#include "core/commands/upload_records.h"

#include <gtest/gtest.h>

#include "tests/unit/commands/qt_printers.h"

namespace zep {
namespace {

TEST(access_upload_reply, id_loses_leading_blanks_and_last_byte_is_the_schedule) {
    const auto right_justified = commands::decode_access_record(QByteArray("    1234\x0d"));
    ASSERT_TRUE(right_justified);
    EXPECT_EQ(right_justified->id, "1234");
    EXPECT_EQ(right_justified->schedule, 13);
    EXPECT_EQ(commands::schedule_text(right_justified->schedule), "013");

    const auto three = commands::decode_access_record(QByteArray("000123\x03"));
    ASSERT_TRUE(three);
    EXPECT_EQ(three->id, "000123");  // leading zeros are significant
    EXPECT_EQ(three->schedule, 3);

    const auto zero = commands::decode_access_record(QByteArray("12 34\0", 6));
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->id, "12 34");
    EXPECT_EQ(zero->schedule, 0);
    EXPECT_EQ(commands::schedule_text(zero->schedule), "000");

    const auto high = commands::decode_access_record(QByteArray("9\xff"));
    ASSERT_TRUE(high);
    EXPECT_EQ(high->schedule, 255);
}

TEST(upload_end_reply, only_the_exact_end_reply_ends_an_upload) {
    EXPECT_TRUE(commands::is_end_reply("END"));
    EXPECT_FALSE(commands::decode_access_record("END"));
    EXPECT_FALSE(commands::decode_log_record("END"));
    EXPECT_FALSE(commands::is_end_reply("END "));
    EXPECT_FALSE(commands::is_end_reply("end"));
    EXPECT_FALSE(commands::is_end_reply(""));
    EXPECT_TRUE(commands::decode_access_record("ENDX"));  // an ID that happens to start with END
    EXPECT_FALSE(commands::decode_access_record(""));
}

TEST(log_upload_reply, status_stamp_and_card_by_position) {
    const auto granted = commands::decode_log_record("0050612083015 1234");
    ASSERT_TRUE(granted);
    EXPECT_TRUE(granted->granted);
    EXPECT_EQ(granted->stamp, "050612083015");
    EXPECT_EQ(granted->card, "1234");
    EXPECT_EQ(granted->line, "0050612083015 1234");
    EXPECT_EQ(commands::log_datetime_text(*granted), "2005-06-12 08:30:15");

    const auto denied = commands::decode_log_record("1991231235959");
    ASSERT_TRUE(denied);
    EXPECT_FALSE(denied->granted);
    EXPECT_EQ(denied->card, "");
    EXPECT_EQ(commands::log_datetime_text(*denied), "2099-12-31 23:59:59");

    EXPECT_FALSE(commands::decode_log_record("005061208301"));
    EXPECT_FALSE(commands::decode_log_record(""));
}

TEST(schedule_read_reply, seven_groups_and_short_answers_give_short_groups) {
    const QByteArray full = QByteArray("08001700") + "00000000" + "08001200" + "09001800" +
                            "00002400" + "00000000" + "00002359";
    const auto groups = commands::split_schedule_reply(full);
    EXPECT_EQ(groups[0], "08001700");
    EXPECT_EQ(groups[2], "08001200");
    EXPECT_EQ(groups[6], "00002359");

    const auto short_groups = commands::split_schedule_reply("0800170000001");
    EXPECT_EQ(short_groups[0], "08001700");
    EXPECT_EQ(short_groups[1], "00001");
    EXPECT_EQ(short_groups[2], "");
    EXPECT_EQ(short_groups[6], "");

    for (const auto& group : commands::split_schedule_reply("")) EXPECT_TRUE(group.isEmpty());
}

TEST(schedule_file_record, built_and_read_as_sss_d_times) {
    EXPECT_EQ(commands::schedule_file_record(5, 3, "08001700"), "005308001700");
    EXPECT_EQ(commands::schedule_file_record(99, 7, ""), "0997");
    EXPECT_EQ(commands::schedule_file_record(100, 1, "08001700"), std::nullopt);
    EXPECT_EQ(commands::schedule_file_record(1, 0, "08001700"), std::nullopt);
    EXPECT_EQ(commands::schedule_file_record(1, 8, "08001700"), std::nullopt);

    const auto record = commands::decode_schedule_record("013708001700");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->schedule, 13);
    EXPECT_EQ(record->weekday, 7);
    EXPECT_EQ(record->times, "08001700");

    EXPECT_FALSE(commands::decode_schedule_record(""));
    EXPECT_FALSE(commands::decode_schedule_record("013"));
    EXPECT_FALSE(commands::decode_schedule_record("01a708001700"));
}

}  // namespace
}  // namespace zep
