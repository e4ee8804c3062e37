#include "core/records/access_string.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

using namespace records::access_string;

const QString two_blanks = QStringLiteral("  ");

TEST(access_string, new_user_is_254_blanks_and_slots_sit_at_2r_plus_1) {
    EXPECT_EQ(blank(), QString(254, QLatin1Char(' ')));
    EXPECT_EQ(slot_position(0), 1);
    EXPECT_EQ(slot_position(3), 7);
    EXPECT_EQ(slot_position(110), 221);
    EXPECT_EQ(slot_position(126), 253);
}

TEST(access_string, writing_a_slot_takes_the_last_two_digits_of_the_schedule) {
    const QString reader0 = with_slot(blank(), 0, QStringLiteral("005"));
    EXPECT_EQ(reader0, QStringLiteral("05") + QString(252, QLatin1Char(' ')));

    const QString reader3 = with_slot(blank(), 3, QStringLiteral("005"));
    EXPECT_EQ(reader3.mid(6, 2), QStringLiteral("05"));  // positions 7-8
    EXPECT_EQ(reader3.count(QLatin1Char(' ')), 252);

    const QString reader126 = with_slot(blank(), 126, QStringLiteral("012"));
    EXPECT_EQ(reader126.size(), 254);
    EXPECT_EQ(reader126.right(2), QStringLiteral("12"));
    EXPECT_EQ(slot(reader126, 126), QStringLiteral("12"));

    EXPECT_EQ(slot(with_slot(blank(), 9, QStringLiteral("000")), 9), QStringLiteral("00"));
    EXPECT_TRUE(has_slot(with_slot(blank(), 9, QStringLiteral("000")), 9));
    EXPECT_FALSE(has_slot(blank(), 9));
}

TEST(access_string, all_remaining_fills_empty_slots_and_leaves_the_others) {
    QString access = with_slot(blank(), 1, QStringLiteral("007"));
    access = with_slot(access, 5, QStringLiteral("042"));
    std::vector<int> filled;
    const QString all = with_all_remaining(access, QStringLiteral("000"), &filled);

    EXPECT_EQ(slot(all, 1), QStringLiteral("07"));
    EXPECT_EQ(slot(all, 5), QStringLiteral("42"));
    ASSERT_EQ(filled.size(), 125u);
    EXPECT_EQ(filled.front(), 0);
    EXPECT_EQ(filled[1], 2);
    EXPECT_EQ(filled.back(), 126);
    for (int r : filled) EXPECT_EQ(slot(all, r), QStringLiteral("00")) << r;
    EXPECT_EQ(assigned_readers(all).size(), 127u);
}

TEST(access_string, deleting_a_slot_blanks_that_reader_only) {
    const QString all = with_all_remaining(blank(), QStringLiteral("003"));
    const QString without = without_slot(all, 110);
    EXPECT_EQ(without.mid(220, 2), two_blanks);  // positions 221-222
    QString expected = all;
    expected.replace(220, 2, two_blanks);
    EXPECT_EQ(without, expected);
    EXPECT_EQ(assigned_readers(without).size(), 126u);
}

TEST(access_string, short_strings_read_as_blanks_and_are_written_full_length) {
    EXPECT_FALSE(has_slot(QString(), 126));
    EXPECT_EQ(with_slot(QStringLiteral("01"), 2, QStringLiteral("009")),
              QStringLiteral("01  09") + QString(248, QLatin1Char(' ')));
    EXPECT_EQ(three_digits(7), QStringLiteral("007"));
    EXPECT_EQ(three_digits(126), QStringLiteral("126"));
}

}  // namespace
}  // namespace zep
