#include "core/records/users_register.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/access_string.h"
#include "core/records/readers_register.h"
#include "core/records/schedules_register.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"

namespace zep {
namespace {

class users_register_test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(records::readers_loadup(temp.db()));
        ASSERT_TRUE(records::schedules_loadup(temp.db()));
        data::reader_row gate = **data::readers_table(temp.db()).find(126);
        gate.readername = QStringLiteral("Gate");
        ASSERT_TRUE(data::readers_table(temp.db()).update(gate));
        data::schedule_row day = **data::schedules_table(temp.db()).find(12);
        day.schedulename = QStringLiteral("Day");
        day.monday = QStringLiteral("08001700");
        ASSERT_TRUE(data::schedules_table(temp.db()).update(day));
    }

    std::optional<data::user_row> add(const char* first, const char* last, const char* id) {
        return reg.add_user(
            {QString::fromLatin1(first), QString::fromLatin1(last), QString::fromLatin1(id)});
    }
    QString access(const char* id) {
        return data::users_table(temp.db()).find(QString::fromLatin1(id)).value()->schedules;
    }

    test::temp_database temp;
    test::scripted_operator person;
    records::users_register reg{temp.db(), person};
};

TEST_F(users_register_test, add_checks_blanks_in_order_then_duplicates) {
    EXPECT_FALSE(add("", " ", ""));
    EXPECT_FALSE(add("", "Smith", ""));
    EXPECT_FALSE(add("Ann", "Smith", "  "));
    const auto added = add(" Ann ", " Smith", " 1234 ");
    ASSERT_TRUE(added);
    EXPECT_FALSE(add("Bob", "Jones", "1234"));
    EXPECT_EQ(person.messages,
              (QStringList{"Last Name cannot be blank", "First Name cannot be blank",
                           "ID Number cannot be blank", "User ID already being used"}));
    const auto stored = data::users_table(temp.db()).find(QStringLiteral("1234")).value();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->lastname, QStringLiteral("Smith"));
    EXPECT_EQ(stored->firstname, QStringLiteral("Ann"));
    EXPECT_EQ(stored->schedules, records::access_string::blank());
}

TEST_F(users_register_test, modify_refuses_another_users_id_and_keeps_assignments) {
    add("Ann", "Smith", "1");
    add("Bob", "Jones", "2");
    reg.store_assignment(QStringLiteral("1"), {QStringLiteral("003"), QStringLiteral("005")});

    EXPECT_FALSE(
        reg.modify_user(QStringLiteral("1"),
                        {QStringLiteral("Ann"), QStringLiteral("Smith"), QStringLiteral("2")}));
    EXPECT_EQ(person.messages, QStringList{"ID number already being used"});

    // Same ID: allowed, names change.
    EXPECT_TRUE(
        reg.modify_user(QStringLiteral("1"),
                        {QStringLiteral("Anne"), QStringLiteral("Smith"), QStringLiteral(" 1 ")}));
    EXPECT_EQ(data::users_table(temp.db()).find(QStringLiteral("1")).value()->firstname,
              QStringLiteral("Anne"));

    // New ID: the row moves and keeps its slots.
    EXPECT_TRUE(
        reg.modify_user(QStringLiteral("1"),
                        {QStringLiteral("Anne"), QStringLiteral("Smith"), QStringLiteral("9")}));
    EXPECT_EQ(*data::users_table(temp.db()).find(QStringLiteral("1")), std::nullopt);
    EXPECT_EQ(records::access_string::slot(access("9"), 3), QStringLiteral("05"));

    EXPECT_FALSE(reg.modify_user(QStringLiteral("gone"),
                                 {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(person.messages.last(), QStringLiteral("internal database error"));
    EXPECT_FALSE(reg.modify_user(QStringLiteral("9"),
                                 {QStringLiteral("A"), QStringLiteral(""), QStringLiteral("C")}));
    EXPECT_EQ(person.messages.last(), QStringLiteral("Last Name cannot be blank"));
}

TEST_F(users_register_test, assignments_single_all_remaining_and_list) {
    add("Ann", "Smith", "1");
    const auto user = reg.begin_assignment(QStringLiteral("1"));
    ASSERT_TRUE(user);
    EXPECT_EQ(records::picker_caption(*user),
              QStringLiteral("Add Reader and Schedule for user Ann Smith,  ID:1"));

    auto added =
        reg.store_assignment(QStringLiteral("1"), {QStringLiteral("126"), QStringLiteral("012")});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].reader, QStringLiteral("126  Gate"));
    EXPECT_EQ(added[0].schedule, QStringLiteral("012  Day"));
    EXPECT_EQ(access("1").mid(252, 2), QStringLiteral("12"));

    reg.store_assignment(QStringLiteral("1"), {QStringLiteral("005"), QStringLiteral("000")});
    EXPECT_EQ(
        records::check_choice(access("1"), {QStringLiteral("005"), QStringLiteral("001")}).error(),
        QStringLiteral("This user already has this reader defined"));
    EXPECT_TRUE(records::check_choice(access("1"), {QStringLiteral("998"), QStringLiteral("001")}));
    EXPECT_EQ(records::check_choice(access("1"), {QString(), QStringLiteral("001")}).error(),
              QStringLiteral("Please select a reader and schedule"));
    EXPECT_EQ(records::check_choice(access("1"), {QStringLiteral("004"), QString()}).error(),
              QStringLiteral("Please select a reader and schedule"));

    added =
        reg.store_assignment(QStringLiteral("1"), {QStringLiteral("998"), QStringLiteral("000")});
    EXPECT_EQ(added.size(), 125u);
    EXPECT_EQ(added.front().schedule, QStringLiteral("000"));
    EXPECT_EQ(records::access_string::slot(access("1"), 126), QStringLiteral("12"));
    EXPECT_EQ(records::access_string::slot(access("1"), 0), QStringLiteral("00"));

    // A cancelled picker stores nothing.
    const QString before = access("1");
    EXPECT_TRUE(reg.store_assignment(QStringLiteral("1"), {}).empty());
    EXPECT_EQ(access("1"), before);

    const auto list = records::assignment_list(temp.db(), access("1"));
    ASSERT_EQ(list.size(), 127u);
    EXPECT_EQ(list.front().reader, QStringLiteral("000  "));
    EXPECT_EQ(list.back().schedule, QStringLiteral("012  Day"));
    EXPECT_EQ(records::assignments_heading(QStringLiteral(" Ann "), QStringLiteral("Smith ")),
              QStringLiteral("Readers/Schedules for Ann Smith"));
}

TEST_F(users_register_test, weekly_times_row) {
    for (const QString& cell : records::weekly_times(temp.db(), QStringLiteral("000"))) {
        EXPECT_EQ(cell, QStringLiteral("All times"));
    }
    const auto day = records::weekly_times(temp.db(), QStringLiteral("012  Day"));
    EXPECT_EQ(day[1], QStringLiteral("0800 - 1700"));
    EXPECT_EQ(day[0], QStringLiteral("0000 - 0000"));
}

TEST_F(users_register_test, delete_assignment_clear_and_delete_user) {
    EXPECT_FALSE(reg.begin_assignment(QStringLiteral("1")));
    EXPECT_FALSE(reg.clear_schedules(QStringLiteral("1")));
    EXPECT_EQ(
        person.messages,
        QStringList(2, QStringLiteral("There are no users in the database. Add a user first")));
    add("Ann", "Smith", "1");
    EXPECT_FALSE(reg.begin_assignment(QStringLiteral("x")));
    EXPECT_EQ(person.messages.last(), QStringLiteral("You must select a user first"));

    reg.store_assignment(QStringLiteral("1"), {QStringLiteral("998"), QStringLiteral("000")});
    EXPECT_FALSE(reg.delete_assignment(QStringLiteral("1"), 110));  // answered No
    EXPECT_EQ(person.questions, QStringList{"Delete this reader for this user"});
    person.confirm_answers = {true};
    EXPECT_TRUE(reg.delete_assignment(QStringLiteral("1"), 110));
    QString expected = records::access_string::with_all_remaining(records::access_string::blank(),
                                                                  QStringLiteral("000"));
    expected.replace(220, 2, QStringLiteral("  "));
    EXPECT_EQ(access("1"), expected);

    EXPECT_TRUE(reg.clear_schedules(QStringLiteral("1")));
    EXPECT_EQ(access("1"), records::access_string::blank());

    EXPECT_FALSE(reg.delete_user(QStringLiteral("nobody")));
    EXPECT_EQ(person.messages.last(), QStringLiteral("Internal Database Error"));
    EXPECT_TRUE(reg.delete_user(QStringLiteral("1")));
    EXPECT_EQ(*data::users_table(temp.db()).count(), 0);

    // A table that cannot be read is never taken for an ID that is free.
    ASSERT_TRUE(QSqlQuery(temp.db().connection()).exec(QStringLiteral("DROP TABLE users")));
    EXPECT_FALSE(add("Bob", "Jones", "2"));
    EXPECT_EQ(person.messages.last(), QStringLiteral("Internal Database Error"));
}

TEST(users_list, sorting_and_selection_after_delete) {
    std::vector<data::user_row> rows = {
        {QStringLiteral("3"), QStringLiteral("Brown"), QStringLiteral("Zoe"), {}},
        {QStringLiteral("1"), QStringLiteral("Adams"), QStringLiteral("Yan"), {}},
        {QStringLiteral("2"), QStringLiteral("Brown"), QStringLiteral("Abe"), {}}};
    records::sort_user_list(rows, 0);
    EXPECT_EQ(rows[0].userid, QStringLiteral("1"));
    EXPECT_EQ(rows[1].userid, QStringLiteral("3"));  // equal names keep their order
    records::sort_user_list(rows, 1);
    EXPECT_EQ(rows[0].firstname, QStringLiteral("Abe"));
    records::sort_user_list(rows, 2);
    EXPECT_EQ(rows[2].userid, QStringLiteral("3"));

    EXPECT_EQ(records::selection_after_delete(1, 3), 1);
    EXPECT_EQ(records::selection_after_delete(3, 3), 2);
    EXPECT_EQ(records::selection_after_delete(0, 0), -1);
}

}  // namespace
}  // namespace zep
