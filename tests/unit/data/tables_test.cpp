#include <gtest/gtest.h>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/transaction.h"
#include "core/data/users_table.h"
#include "tests/support/data/temp_database.h"

namespace zep {
namespace {

data::user_row user(const QString& id, const QString& last = "Doe") {
    return {id, last, "Jane", QString(254, ' ')};
}

data::log_row entry(const QString& date_time, const QString& idnum) {
    return {date_time, "003", "Front", "Lobby", idnum, "Doe", "Jane", "Y"};
}

TEST(users_table, keeps_userid_unique_and_edits_by_key) {
    test::temp_database temp;
    data::users_table users(temp.db());
    ASSERT_TRUE(users.insert(user("100")));
    EXPECT_EQ(users.insert(user("100", "Other")).error(), "userid \"100\" already exists");
    EXPECT_EQ(*users.count(), 1);
    EXPECT_EQ(users.find("100").value()->lastname, "Doe");

    data::user_row changed = user("100", "Smith");
    changed.schedules.replace(0, 2, "05");
    EXPECT_TRUE(users.update(changed));
    EXPECT_EQ(*users.find("100"), changed);
    EXPECT_EQ(users.update(user("404")).error(), "no user \"404\"");

    EXPECT_TRUE(users.remove("100"));
    EXPECT_FALSE(users.remove("100"));
    EXPECT_EQ(*users.find("100"), std::nullopt);
}

TEST(users_table, insert_all_stores_all_or_nothing) {
    test::temp_database temp;
    data::users_table users(temp.db());
    EXPECT_EQ(users.insert_all({user("1"), user("2"), user("1")}).error(),
              "userid \"1\" already exists");
    EXPECT_EQ(*users.count(), 0);
    EXPECT_TRUE(users.insert_all({user("3"), user("1"), user("2")}));
    QStringList order;
    EXPECT_TRUE(users.walk([&](const data::user_row& row) { order << row.userid; }));
    EXPECT_EQ(order, QStringList({"1", "2", "3"}));
}

TEST(users_table, keeps_texts_exactly) {
    test::temp_database temp;
    data::users_table users(temp.db());
    const data::user_row row{"  7", "Müller", "Zoë's", QString(254, ' ')};
    ASSERT_TRUE(users.insert(row));
    EXPECT_EQ(*users.find("  7"), row);
    EXPECT_EQ(*users.find("7"), std::nullopt);
}

TEST(readers_and_schedules, walk_in_number_order_and_update_by_key) {
    test::temp_database temp;
    data::readers_table readers(temp.db());
    for (const qint16 n : {qint16(12), qint16(2), qint16(126), qint16(0)}) {
        data::reader_row r;
        r.readernum = n;
        r.readername = QStringLiteral("R%1").arg(n);
        ASSERT_TRUE(readers.insert(r));
    }
    std::vector<qint16> order;
    const auto all = readers.all();
    ASSERT_TRUE(all);
    for (const data::reader_row& r : *all) order.push_back(r.readernum);
    EXPECT_EQ(order, std::vector<qint16>({0, 2, 12, 126}));
    data::reader_row taken;
    taken.readernum = 12;
    EXPECT_EQ(readers.insert(taken).error(), "reader 12 already exists");

    data::reader_row r = **readers.find(2);
    r.commmode = "Com3 19200";
    r.Port = "4001";
    EXPECT_TRUE(readers.update(r));
    EXPECT_EQ(*readers.find(2), r);
    EXPECT_TRUE(readers.remove(2));
    EXPECT_EQ(*readers.count(), 3);

    data::schedules_table schedules(temp.db());
    std::vector<data::schedule_row> rows;
    for (qint16 n = 99; n >= 1; --n) {
        rows.emplace_back();
        rows.back().schedulenum = n;
    }
    ASSERT_TRUE(schedules.insert_all(rows));
    EXPECT_EQ(*schedules.count(), 99);
    EXPECT_EQ(schedules.all()->front().schedulenum, 1);
    data::schedule_row s = **schedules.find(5);
    EXPECT_EQ(s.wednesday, "00000000");
    s.schedulename = "Day shift";
    s.monday = "08001700";
    EXPECT_TRUE(schedules.update(s));
    EXPECT_EQ(*schedules.find(5), s);
    EXPECT_EQ(*schedules.find(0), std::nullopt);
}

TEST(log_table, walks_by_date_time_then_storage_order) {
    test::temp_database temp;
    data::log_table log(temp.db());
    ASSERT_TRUE(
        log.insert_all({entry("2005-03-02 08:00:00", "a"), entry("2005-03-01 09:00:00", "b"),
                        entry("2005-03-02 08:00:00", "c"), entry("2005-03-01 23:59:59", "d"),
                        entry("2005-03-02 08:00:00", "e")}));
    QStringList order;
    EXPECT_TRUE(log.walk([&](const data::log_row& row) {
        order << row.idnum;
        return true;
    }));
    EXPECT_EQ(order, QStringList({"b", "d", "a", "c", "e"}));

    order.clear();
    EXPECT_TRUE(log.walk([&](const data::log_row& row) {
        order << row.idnum;
        return order.size() < 2;
    }));
    EXPECT_EQ(order, QStringList({"b", "d"}));
    EXPECT_EQ(log.find("2005-03-02 08:00:00").value()->idnum, "a");
}

TEST(log_table, date_ranges_are_inclusive_on_the_date) {
    test::temp_database temp;
    data::log_table log(temp.db());
    ASSERT_TRUE(log.insert_all(
        {entry("2005-02-28 23:59:59", "before"), entry("2005-03-01 00:00:00", "first"),
         entry("2005-03-01 23:59:59", "last"), entry("2005-03-02 00:00:00", "after")}));
    QStringList seen;
    EXPECT_TRUE(log.walk_dates("2005-03-01", "2005-03-01", [&](const data::log_row& row) {
        seen << row.idnum;
        return true;
    }));
    EXPECT_EQ(seen, QStringList({"first", "last"}));

    EXPECT_EQ(*log.remove_dates("2005-03-01", "2005-03-01"), 2);
    EXPECT_EQ(*log.remove_dates("2006-01-01", "2006-12-31"), 0);
    EXPECT_EQ(*log.count(), 2);
}

TEST(log_table, updates_and_removes_one_of_equal_rows) {
    test::temp_database temp;
    data::log_table log(temp.db());
    ASSERT_TRUE(
        log.insert_all({entry("2005-03-01 08:00:00", "a"), entry("2005-03-01 08:00:00", "b")}));
    data::log_row first = **log.find("2005-03-01 08:00:00");
    first.granted = "N";
    EXPECT_TRUE(log.update(first));
    EXPECT_TRUE(log.remove(first.id));
    EXPECT_EQ(log.remove(first.id).error(), QStringLiteral("no log row %1").arg(first.id));
    std::vector<data::log_row> left;
    EXPECT_TRUE(log.walk([&](const data::log_row& row) {
        left.push_back(row);
        return true;
    }));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].idnum, "b");
    EXPECT_EQ(left[0].granted, "Y");
}

TEST(transaction, rolls_back_unless_committed_and_nests) {
    test::temp_database temp;
    data::users_table users(temp.db());
    {
        data::transaction tx(temp.db());
        ASSERT_TRUE(tx.active());
        ASSERT_TRUE(users.insert(user("1")));
    }
    EXPECT_EQ(*users.count(), 0);
    {
        data::transaction outer(temp.db());
        ASSERT_TRUE(users.insert(user("1")));
        {
            data::transaction inner(temp.db());
            ASSERT_TRUE(users.insert(user("2")));
        }
        EXPECT_TRUE(users.insert_all({user("3")}));
        EXPECT_TRUE(outer.commit().ok());
    }
    QStringList ids;
    ASSERT_TRUE(users.walk([&](const data::user_row& row) { ids << row.userid; }));
    EXPECT_EQ(ids, QStringList({"1", "3"}));
}

}  // namespace
}  // namespace zep
