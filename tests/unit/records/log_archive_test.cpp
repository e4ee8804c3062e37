#include "core/records/log_archive.h"

#include <gtest/gtest.h>

#include "core/data/log_table.h"
#include "tests/support/data/temp_database.h"

namespace zep {
namespace {

data::log_row entry(int n, const char* last, const char* reader) {
    return {QStringLiteral("2005-03-01 10:%1:00").arg(n, 2, 10, QLatin1Char('0')),
            QString::fromLatin1(reader),
            QStringLiteral("r"),
            QStringLiteral("loc%1").arg(n % 3),
            QStringLiteral("id"),
            QString::fromLatin1(last),
            QStringLiteral(" first "),
            n % 2 ? QStringLiteral("Y") : QStringLiteral("N")};
}

QStringList dates(const std::vector<records::archive_row>& rows) {
    QStringList out;
    for (const auto& row : rows) out << row.date_time.mid(14, 2);
    return out;
}

TEST(log_archive, pages_in_date_order_and_continues_after_the_last_page) {
    test::temp_database temp;
    std::vector<data::log_row> rows;
    for (int n = 9; n >= 0; --n) rows.push_back(entry(n, "Zed", "5"));
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));

    records::log_archive archive(temp.db());
    EXPECT_EQ(archive.refresh(), 10);
    const auto first = archive.fetch(0, 4);
    EXPECT_EQ(dates(first), (QStringList{"00", "01", "02", "03"}));
    EXPECT_EQ(first[0].name, QStringLiteral("Zed,first"));
    EXPECT_EQ(first[0].readernum, QStringLiteral("5"));
    EXPECT_EQ(dates(archive.fetch(4, 4)), (QStringList{"04", "05", "06", "07"}));
    EXPECT_EQ(dates(archive.fetch(8, 4)), (QStringList{"08", "09"}));
    EXPECT_EQ(dates(archive.fetch(2, 2)), (QStringList{"02", "03"}));  // a jump back
    EXPECT_TRUE(archive.fetch(10, 4).empty());
}

TEST(log_archive, sorts_in_the_database_on_each_column) {
    test::temp_database temp;
    ASSERT_TRUE(
        data::log_table(temp.db()).insert_all({entry(1, "Cole", "12"), entry(2, "Adams", "7"),
                                               entry(3, "Baker", "100"), entry(4, "Adams", "7")}));
    records::log_archive archive(temp.db());
    archive.refresh();

    archive.sort_by(1);
    EXPECT_EQ(archive.sort_column(), 1);
    auto rows = archive.fetch(0, 2);
    EXPECT_EQ(dates(rows), (QStringList{"02", "04"}));  // equal names in date order
    rows = archive.fetch(2, 2);                         // continues after the tie
    EXPECT_EQ(rows[0].name, QStringLiteral("Baker,first"));
    EXPECT_EQ(rows[1].name, QStringLiteral("Cole,first"));

    archive.sort_by(2);  // as text: "100" < "12" < "7"
    rows = archive.fetch(0, 10);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].readernum, QStringLiteral("100"));
    EXPECT_EQ(rows[1].readernum, QStringLiteral("12"));

    archive.sort_by(4);
    EXPECT_EQ(archive.fetch(0, 1)[0].granted, QStringLiteral("N"));
    archive.sort_by(3);
    EXPECT_EQ(archive.fetch(0, 1)[0].location, QStringLiteral("loc0"));
}

}  // namespace
}  // namespace zep
