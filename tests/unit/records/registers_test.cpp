#include <gtest/gtest.h>

#include <QSqlQuery>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/readers_register.h"
#include "core/records/record_change.h"
#include "core/records/schedules_register.h"
#include "core/records/users_register.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"
#include "tests/support/scripted_operator.h"

namespace zep::records {
namespace {

const QString blank_slots(254, QLatin1Char(' '));

class users_register_test : public ::testing::Test {
  protected:
    void SetUp() override {
        data::reader_row gate = test::reader_row(126, "");
        gate.readername = "Gate";
        ASSERT_TRUE(data::readers_table(temp.db()).insert(gate));
        data::schedule_row day;
        day.schedulenum = 12;
        day.schedulename = "Day";
        day.monday = "08001700";
        ASSERT_TRUE(data::schedules_table(temp.db()).insert(day));
    }

    data::users_table users() { return data::users_table(temp.db()); }
    std::optional<data::user_row> add(const QString& first, const QString& last,
                                      const QString& id) {
        return reg.add_user({first, last, id});
    }
    QString access(const QString& id) { return users().find(id).value()->schedules; }

    test::temp_database temp;
    test::scripted_operator person;
    users_register reg{temp.db(), person};
};

// An ID that no reader could take is refused as it is typed.
TEST_F(users_register_test, add_checks_blanks_in_order_then_the_id_then_duplicates) {
    EXPECT_FALSE(add("", " ", ""));
    EXPECT_FALSE(add("", "Smith", ""));
    EXPECT_FALSE(add("Ann", "Smith", "  "));
    EXPECT_FALSE(add("Ann", "Smith", "1234567890123456789"));
    EXPECT_FALSE(add("Ann", "Smith", "12\u001f34"));
    ASSERT_TRUE(add(" Ann ", " Smith", " 1234 "));
    EXPECT_TRUE(add("Bo", "Li", "123456789012345678"));
    EXPECT_FALSE(add("Bob", "Jones", "1234"));
    EXPECT_EQ(person.messages,
              (QStringList{"Last Name cannot be blank", "First Name cannot be blank",
                           "ID Number cannot be blank", "The ID may have at most 18 characters",
                           "The ID may hold only printable characters that a reader can take",
                           "User ID already being used"}));
    EXPECT_EQ(*users().find("1234"), (data::user_row{"1234", "Smith", "Ann", blank_slots}));
}

TEST_F(users_register_test, modify_refuses_another_users_id_and_keeps_assignments) {
    add("Ann", "Smith", "1");
    add("Bob", "Jones", "2");
    reg.store_assignment("1", {"003", "005"});
    EXPECT_FALSE(reg.modify_user("1", {"Ann", "Smith", "2"}));
    EXPECT_EQ(person.messages, QStringList{"ID number already being used"});
    EXPECT_TRUE(reg.modify_user("1", {"Anne", "Smith", " 1 "}));
    EXPECT_EQ(users().find("1").value()->firstname, "Anne");
    EXPECT_TRUE(reg.modify_user("1", {"Anne", "Smith", "9"}));  // a new ID
    EXPECT_EQ(*users().find("1"), std::nullopt);

    EXPECT_FALSE(reg.modify_user("gone", {"A", "B", "C"}));
    EXPECT_EQ(person.messages.last(), "internal database error");
    EXPECT_FALSE(reg.modify_user("9", {"A", "", "C"}));
    EXPECT_EQ(person.messages.last(), "Last Name cannot be blank");
}

TEST_F(users_register_test, assignments_of_one_reader_and_of_all_remaining) {
    add("Ann", "Smith", "1");
    ASSERT_TRUE(reg.begin_assignment("1"));

    auto added = reg.store_assignment("1", {"126", "012"});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].reader + "|" + added[0].schedule, "126  Gate|012  Day");
    EXPECT_EQ(access("1"), QString(252, ' ') + "12");

    reg.store_assignment("1", {"005", "000"});
    EXPECT_EQ(check_choice(access("1"), {"005", "001"}).error(),
              "This user already has this reader defined");
    EXPECT_TRUE(check_choice(access("1"), {"998", "001"}));
    EXPECT_EQ(check_choice(access("1"), {"004", ""}).error(),
              "Please select a reader and schedule");

    added = reg.store_assignment("1", {"998", "000"});
    EXPECT_EQ(added.size(), 125u);
    EXPECT_EQ(access("1"), QString(252, '0') + "12");
    const QString before = access("1");
    EXPECT_TRUE(reg.store_assignment("1", {}).empty());  // a cancelled picker
    EXPECT_EQ(access("1"), before);

    const auto list = assignment_list(temp.db(), access("1"));
    ASSERT_EQ(list.size(), 127u);
    EXPECT_EQ(list.front().reader + "|" + list.front().schedule, "000  |000");
    EXPECT_EQ(list.back().reader + "|" + list.back().schedule, "126  Gate|012  Day");
    EXPECT_EQ(weekly_times(temp.db(), "012  Day")[0], "0000 - 0000");
    // A short string written by another program reads as blanks and is stored full length.
    ASSERT_TRUE(users().insert({"2", "Lee", "Al", "01"}));
    reg.store_assignment("2", {"002", "009"});
    EXPECT_EQ(access("2"), "01  09" + QString(248, ' '));
    EXPECT_TRUE(person.messages.isEmpty());
}

TEST_F(users_register_test, removing_assignments_and_users) {
    EXPECT_FALSE(reg.begin_assignment("1"));
    EXPECT_FALSE(reg.clear_schedules("1"));
    EXPECT_EQ(person.messages,
              QStringList(2, "There are no users in the database. Add a user first"));
    add("Ann", "Smith", "1");
    EXPECT_FALSE(reg.begin_assignment("x"));
    EXPECT_EQ(person.messages.last(), "You must select a user first");

    reg.store_assignment("1", {"998", "000"});
    EXPECT_FALSE(reg.delete_assignment("1", 110));  // answered No
    EXPECT_EQ(person.questions, QStringList{"Delete this reader for this user"});
    person.confirm_answers = {true};
    EXPECT_TRUE(reg.delete_assignment("1", 110));
    EXPECT_EQ(access("1"), QString(220, '0') + "  " + QString(32, '0'));
    // Erasing is asked first, naming the person; No leaves everything as it was.
    EXPECT_FALSE(reg.clear_schedules("1"));
    EXPECT_FALSE(reg.delete_user("1"));
    EXPECT_EQ(person.questions.mid(2),
              (QStringList{"Remove every reader and schedule assigned to Ann Smith (ID 1)?",
                           "Delete the user Ann Smith (ID 1) and every reader and schedule "
                           "assigned to them?"}));
    EXPECT_EQ(*users().count(), 1);
    person.confirm_answers = {true, true};
    EXPECT_TRUE(reg.clear_schedules("1"));
    EXPECT_EQ(access("1"), blank_slots);

    // A user someone else deleted meanwhile is already what the operator wanted.
    EXPECT_TRUE(reg.delete_user("nobody"));
    EXPECT_TRUE(reg.delete_user("1"));
    EXPECT_EQ(*users().count(), 0);
}

// Two operators on one database, each on a connection of their own and each with the row
// as their screen read it: the second save over a row the first changed writes nothing and
// says so; deleting a user the other just deleted is done, not an error.
TEST_F(users_register_test, two_operators_saving_the_same_records) {
    ASSERT_TRUE(add("Ann", "Smith", "1"));
    auto connection = data::database_file::open(temp.path(), test::unique_connection_name());
    ASSERT_TRUE(connection);
    data::database_file& other_db = **connection;
    test::scripted_operator other_person;
    users_register other(other_db, other_person);
    const data::user_row shown = *users().find("1").value();

    ASSERT_TRUE(other.modify_user("1", {"Ann", "Jones", "1"}, &shown));
    EXPECT_FALSE(reg.modify_user("1", {"Anne", "Smith", "1"}, &shown));
    EXPECT_TRUE(reg.changed_elsewhere());
    EXPECT_TRUE(reg.store_assignment("1", {"126", "012"}, &shown).empty());
    EXPECT_EQ(person.messages, QStringList(2, changed_elsewhere_text));
    EXPECT_EQ(*users().find("1").value(), (data::user_row{"1", "Jones", "Ann", blank_slots}));

    person.confirm_answers = other_person.confirm_answers = {true};
    EXPECT_TRUE(other.delete_user("1"));
    EXPECT_TRUE(reg.delete_user("1"));
    EXPECT_EQ(person.messages.size(), 2);
    EXPECT_EQ(*users().count(), 0);

    // A reader's form as both screens loaded it: the second update is refused likewise.
    test::scripted_operator desk_a, desk_b;
    readers_loadup(temp.db(), desk_a);
    const reader_form as_read =
        reader_form_from_row(*data::readers_table(temp.db()).find(5).value());
    reader_form a = as_read, b = as_read;
    a.name = "Front";
    b.name = "Back";
    EXPECT_EQ(update_reader(other_db, desk_a, a, &as_read), reader_update::stored);
    EXPECT_EQ(update_reader(temp.db(), desk_b, b, &as_read), reader_update::changed_elsewhere);
    EXPECT_EQ(desk_b.messages, QStringList{changed_elsewhere_text});
    EXPECT_EQ(data::readers_table(temp.db()).find(5).value()->readername, "Front");
}

// A write the database refuses is never taken for one done. (A read-only database, through
// the command line, is the reliability tests' case.)
TEST(register_writes, that_fail_say_internal_database_error_and_change_nothing) {
    test::temp_database temp;
    test::scripted_operator person;
    readers_loadup(temp.db(), person);
    schedules_loadup(temp.db(), person);
    ASSERT_TRUE(data::readers_table(temp.db()).remove(100));
    ASSERT_TRUE(data::schedules_table(temp.db()).remove(50));
    const QString slot_5 = QString(10, ' ') + "00" + QString(242, ' ');
    ASSERT_TRUE(data::users_table(temp.db()).insert({"1", "Smith", "Ann", slot_5}));
    for (const char* table : {"users", "readers", "schedules"}) {
        for (const char* change : {"INSERT", "UPDATE", "DELETE"}) {
            ASSERT_TRUE(
                QSqlQuery(temp.db().connection()).exec(test::refusing_trigger(change, table)));
        }
    }
    users_register reg(temp.db(), person);
    const auto tables = [&temp] {
        return std::tuple(*data::users_table(temp.db()).all(),
                          *data::readers_table(temp.db()).all(),
                          *data::schedules_table(temp.db()).all());
    };
    const auto before = tables();
    reader_form reader;
    reader.readernum = 3;
    schedule_form schedule = idle_schedule_form();
    schedule.schedulenum = 4;
    person.confirm_answers = {true, true, true};  // delete, clear, remove one reader

    EXPECT_FALSE(reg.add_user({"Bob", "Jones", "2"}));
    EXPECT_FALSE(reg.modify_user("1", {"Anne", "Smith", "1"}));
    EXPECT_FALSE(reg.modify_user("1", {"Anne", "Smith", "9"}));
    EXPECT_FALSE(reg.delete_user("1"));
    EXPECT_TRUE(reg.store_assignment("1", {"003", "005"}).empty());
    EXPECT_FALSE(reg.clear_schedules("1"));
    EXPECT_FALSE(reg.delete_assignment("1", 5));
    EXPECT_EQ(update_reader(temp.db(), person, reader), reader_update::refused);
    EXPECT_EQ(update_schedule(temp.db(), person, schedule), schedule_update::refused);
    EXPECT_EQ(readers_loadup(temp.db(), person).size(), 126u);
    EXPECT_EQ(schedules_loadup(temp.db(), person).size(), 98u);
    EXPECT_EQ(person.messages, QStringList(11, "Internal Database Error"));
    EXPECT_EQ(tables(), before);
}

TEST(readers_register, loadup_creates_the_missing_rows_of_0_to_126_once) {
    test::temp_database temp;
    test::scripted_operator person;
    ASSERT_TRUE(data::readers_table(temp.db()).insert(test::reader_row(7, "T")));
    const auto rows = readers_loadup(temp.db(), person);
    ASSERT_EQ(rows.size(), 127u);
    // The rows found first.
    EXPECT_EQ(QList<int>({rows[0].readernum, rows[1].readernum, rows[126].readernum}),
              QList<int>({7, 0, 126}));
    data::reader_row created;
    created.protocol = "N";
    EXPECT_EQ(data::readers_table(temp.db()).find(0).value(), created);
    EXPECT_EQ(readers_loadup(temp.db(), person).size(), 127u);
    EXPECT_EQ(*data::readers_table(temp.db()).count(), 127);
    EXPECT_TRUE(person.messages.isEmpty());
}

TEST(readers_register, comm_mode_loads_and_stores_back_and_dependent_fields_follow) {
    struct mode_case {
        const char* stored;
        reader_form_mode mode;
        int port, speed;
        const char* shown_and_stored;
    };
    const mode_case cases[] = {
        {"Com2 19200", reader_form_mode::serial, 2, 19200, "Com2 19200"},
        {"T", reader_form_mode::tcp, 0, 0, "tcp/ip"},
        {"", reader_form_mode::none, 0, 0, ""},
    };
    for (const mode_case& c : cases) {
        const data::reader_row row = test::reader_row(3, c.stored);
        const reader_form form = reader_form_from_row(row);
        EXPECT_EQ(form.mode, c.mode) << c.stored;
        EXPECT_EQ(form.port, c.port) << c.stored;
        EXPECT_EQ(form.speed, c.speed) << c.stored;
        EXPECT_EQ(reader_columns(row)[5], c.shown_and_stored);
        EXPECT_EQ(reader_row_from_form(form).commmode, c.shown_and_stored);
    }
    reader_form form;
    form.port = 4;
    select_mode(form, reader_form_mode::serial);  // an earlier port stays
    EXPECT_EQ(comm_mode_text(form), "Com4 9600");
    set_speed_ticked(form, 9600, false);  // the speeds act as a pair
    EXPECT_EQ(comm_mode_text(form), "Com4 19200");
    const reader_form_enabled serial = enabled_fields(form);
    EXPECT_TRUE(serial.ports && serial.speeds && !serial.ip_address && !serial.network_address);
    form.protocol = true;
    select_mode(form, reader_form_mode::tcp);
    const reader_form_enabled tcp = enabled_fields(form);
    EXPECT_TRUE(tcp.ip_address && tcp.tcp_port && tcp.network_address && !tcp.ports);
    EXPECT_EQ(reader_row_from_form(form).protocol, "Y");
    form.protocol = false;
    EXPECT_EQ(reader_row_from_form(form).protocol, "N");
}

TEST(readers_register, update_validates_then_stores_the_row) {
    const auto refusal = [](const char* time, const char* ip) {
        reader_form typed;
        typed.time_difference = time;
        typed.ip_address = ip;
        return validate_reader_form(typed).error();
    };
    for (const char* ok : {"-24", "24", "", "0", "-"}) EXPECT_EQ(refusal(ok, ""), "") << ok;
    for (const char* bad : {"25", "-25", "100"})
        EXPECT_EQ(refusal(bad, ""), "Invalid time differential") << bad;
    for (const char* ok : {"10.1.2.3", "", "  ", "1.2.3.", ".1.2.3", "999.x.1.2"})
        EXPECT_EQ(refusal("", ok), "") << ok;
    for (const char* bad : {"10.1.2", "10..1.2", "1.2.3.4.5", "1...2"})
        EXPECT_EQ(refusal("", bad), "Invalid ip address") << bad;

    test::temp_database temp;
    test::scripted_operator person;
    readers_loadup(temp.db(), person);
    reader_form form = reader_form_from_row(test::reader_row(12, ""));
    form.time_difference = "-5";
    select_mode(form, reader_form_mode::serial);
    form.port = 3;
    set_speed_ticked(form, 19200, true);
    form.ip_address = "10.0.0.9";  // written whatever the mode
    EXPECT_EQ(update_reader(temp.db(), person, form), reader_update::stored);
    data::reader_row expected = test::reader_row(12, "Com3 19200");
    expected.timezone = "-5";
    expected.ipaddress = "10.0.0.9";
    EXPECT_EQ(data::readers_table(temp.db()).find(12).value(), expected);
    form.time_difference = "25";
    EXPECT_EQ(update_reader(temp.db(), person, form), reader_update::refused);
    EXPECT_EQ(person.messages, QStringList{"Invalid time differential"});
    EXPECT_EQ(data::readers_table(temp.db()).find(12).value(), expected);
    form.time_difference.clear();
    form.readernum = 200;
    EXPECT_EQ(update_reader(temp.db(), person, form), reader_update::not_in_table);
}

TEST(schedules_register, loadup_creates_rows_1_to_99_and_update_stores_eight_characters) {
    test::temp_database temp;
    test::scripted_operator person;
    ASSERT_EQ(schedules_loadup(temp.db(), person).size(), 99u);
    EXPECT_EQ(schedules_loadup(temp.db(), person).back().schedulenum, 99);
    EXPECT_EQ(*data::schedules_table(temp.db()).count(), 99);
    const auto columns = schedule_columns(**data::schedules_table(temp.db()).find(1));
    EXPECT_EQ(QStringList(columns.begin(), columns.end()).join('|'),
              "001||0000 - 0000|0000 - 0000|0000 - 0000|0000 - 0000|0000 - 0000|0000 - 0000|"
              "0000 - 0000");

    schedule_form form = idle_schedule_form();
    form.schedulenum = 4;
    form.name = "Day shift";
    form.boxes[6] = "0800";
    form.boxes[7] = "1730";
    EXPECT_EQ(update_schedule(temp.db(), person, form), schedule_update::stored);
    const auto stored = data::schedules_table(temp.db()).find(4).value();
    EXPECT_EQ(stored->schedulename + "|" + stored->wednesday, "Day shift|08001730");
    EXPECT_EQ(schedule_columns(*stored)[5], "0800 - 1730");
    form.boxes[13] = "2400";
    form.name = "changed";
    EXPECT_EQ(update_schedule(temp.db(), person, form), schedule_update::refused);
    EXPECT_EQ(person.messages, QStringList{"Time cannot be > 2359"});
    EXPECT_EQ(data::schedules_table(temp.db()).find(4).value()->schedulename, "Day shift");
}

TEST(schedules_register, time_boxes_their_checks_copy_buttons_and_arrows) {
    const auto refusal = [](const QString& box) {
        schedule_boxes boxes;
        boxes.fill("0000");
        boxes[9] = box;
        return validate_schedule_times(boxes).error();
    };
    for (const char* ok : {"2359", "0000", "1275", "0999"}) EXPECT_EQ(refusal(ok), "") << ok;
    EXPECT_EQ(refusal("2400"), "Time cannot be > 2359");
    for (const char* bad : {"236", "800", "", "08000"})
        EXPECT_EQ(refusal(bad), "All times must be 4 digits long") << bad;

    const auto copied = [](void (*copy)(schedule_boxes&)) {
        schedule_boxes boxes{"0100", "0200", "0800", "1700"};
        for (QString& box : boxes) box = box.isEmpty() ? "0000" : box;
        copy(boxes);
        return QStringList(boxes.begin(), boxes.end()).join(' ');
    };
    EXPECT_EQ(copied(copy_monday_to_friday),
              "0100 0200 0800 1700 0800 1700 0800 1700 0800 1700 0800 1700 0000 0000");
    EXPECT_EQ(copied(copy_monday_to_saturday),
              "0100 0200 0800 1700 0800 1700 0800 1700 0800 1700 0800 1700 0800 1700");
    EXPECT_EQ(copied(copy_sunday_to_saturday),
              "0100 0200 0100 0200 0100 0200 0100 0200 0100 0200 0100 0200 0100 0200");
    EXPECT_EQ(box_below(1), 3);
    EXPECT_EQ(box_above(3), 1);
    EXPECT_FALSE(box_below(12) || box_above(1));
}

}  // namespace
}  // namespace zep::records
