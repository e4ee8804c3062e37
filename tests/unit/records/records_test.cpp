// The registers behind the Database screens, the log's exports, archive and filters, and
// the bulk imports, exports and series of users.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSqlQuery>
#include <QTime>
#include <algorithm>
#include <random>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/access_string.h"
#include "core/records/employee_export.h"
#include "core/records/log_archive.h"
#include "core/records/log_delete.h"
#include "core/records/log_export.h"
#include "core/records/readers_register.h"
#include "core/records/record_change.h"
#include "core/records/schedules_register.h"
#include "core/records/users_csv.h"
#include "core/records/users_register.h"
#include "core/records/users_series.h"
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

// An ID that no reader could take is refused as it is typed. A modify may not take another
// user's ID, and keeps the assignments.
TEST_F(users_register_test, add_and_modify_check_blanks_in_order_then_the_id_then_duplicates) {
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

    add("Ann", "Smith", "1");
    add("Bob", "Jones", "2");
    reg.store_assignment("1", {"003", "005"});
    EXPECT_FALSE(reg.modify_user("1", {"Ann", "Smith", "2"}));
    EXPECT_EQ(person.messages.last(), "ID number already being used");
    EXPECT_TRUE(reg.modify_user("1", {"Anne", "Smith", " 1 "}));
    EXPECT_EQ(users().find("1").value()->firstname, "Anne");
    EXPECT_TRUE(reg.modify_user("1", {"Anne", "Smith", "9"}));  // a new ID
    EXPECT_EQ(*users().find("1"), std::nullopt);
    EXPECT_EQ(access("9"), QString(6, ' ') + "05" + QString(246, ' '));

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

TEST(readers_register, loadup_creates_the_missing_rows_of_0_to_126_once_and_update_stores) {
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

    // An update validates the form, then stores the row.
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

TEST(readers_register, comm_mode_loads_and_stores_back_dependent_fields_follow_checks) {
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
        EXPECT_EQ(std::tuple(form.mode, form.port, form.speed, reader_columns(row)[5],
                             reader_row_from_form(form).commmode),
                  std::tuple(c.mode, c.port, c.speed, c.shown_and_stored, c.shown_and_stored));
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
}

TEST(schedules_register, loadup_creates_rows_1_to_99_and_update_stores_checked_times) {
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

    // The time boxes: their checks, copy buttons and arrows.
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

data::log_row entry(const char* when, const char* reader, const char* last, const char* first,
                    const char* id = "12345", const char* location = "Front door",
                    bool granted = true) {
    data::log_row row =
        test::log_row(when, QString::fromUtf8(id), 0, QString::fromUtf8(last), granted);
    row.readernum = reader;
    row.firstname = QString::fromUtf8(first);
    row.location = QString::fromUtf8(location);
    return row;
}

class exports_test : public ::testing::Test {
  protected:
    QString out() const { return temp.folder() + "/out.txt"; }
    dbutil_outcome export_range(const char* from, const char* to, bool fixed = true,
                                const char* reader = "", const char* id = "") {
        person.file_answers.push_back(out());
        return export_log(temp.db(), person, {from, to, reader, id, fixed});
    }
    void store(const std::vector<data::log_row>& rows) {
        ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    }

    test::temp_database temp;
    test::scripted_operator person;
};

TEST_F(exports_test, both_layouts_cut_pad_or_trim_each_field_and_end_in_cr_cr_lf) {
    store({entry("2005-03-01 10:00:00", "5", "Li", "Bo"),
           entry("2005-03-01 10:00:01", "126", "Abcdefghijklmnopqrstuvwxy", "B",
                 "1234567890123456789012", "A very long location"),
           entry("2005-03-01 10:00:02", "7", "Abcdefghijklmnopqrs uvwxy", " Bo ", " 42 ",
                 "   Lobby        east", false),
           entry("2005-03-01 10:00:03", "12", "ÉlèveÉlèveÉlèveÉlève", "x", "z", "café")});
    EXPECT_EQ(export_range("03-01-2005", "03-01-2005"), dbutil_outcome::done);
    EXPECT_EQ(test::file_bytes(out()),
              QString("2005-03-01 10:00:00 Li                   Bo                   "
                      "12345              005 Front door      Y\r\r\n"
                      "2005-03-01 10:00:01 Abcdefghijklmnopqrst B                    "
                      "123456789012345678 126 A very long loc Y\r\r\n"
                      "2005-03-01 10:00:02 Abcdefghijklmnopqrs   Bo                   "
                      "42                007    Lobby        N\r\r\n"
                      "2005-03-01 10:00:03 ÉlèveÉlèveÉlèveÉlève x                    "
                      "z                  012 café            Y\r\r\n")
                  .toLatin1());
    // Comma delimited: cut first, then trimmed, so a long name loses its tail first.
    EXPECT_EQ(export_range("03-01-2005", "03-01-2005", false), dbutil_outcome::done);
    EXPECT_EQ(test::file_bytes(out()),
              QString("2005-03-01 10:00:00,Li,Bo,12345,005,Front door,Y\r\r\n"
                      "2005-03-01 10:00:01,Abcdefghijklmnopqrst,B,123456789012345678,126,"
                      "A very long loc,Y\r\r\n"
                      "2005-03-01 10:00:02,Abcdefghijklmnopqrs,Bo,42,007,Lobby,N\r\r\n"
                      "2005-03-01 10:00:03,ÉlèveÉlèveÉlèveÉlève,x,z,012,café,Y\r\r\n")
                  .toLatin1());
    EXPECT_EQ(person.file_requests.first(), "save|extract.txt|Text (*.txt)|*.txt");
    EXPECT_EQ(person.progress_texts,
              (QStringList{"Preparing Export", "", "4 rows written to " + out(), "Preparing Export",
                           "", "4 rows written to " + out()}));
    EXPECT_EQ(person.messages, QStringList(2, "Export Complete"));
}

TEST_F(exports_test, date_ranges_are_inclusive_for_export_and_delete_and_filters_apply) {
    store({entry("2005-02-28 23:59:59", "5", "A", "a", "1"),
           entry("2005-03-01 00:00:00", "5", "B", "b", "2"),
           entry("2005-03-01 23:59:59", "6", "C", "c", "1"),
           entry("2005-03-02 00:00:00", "5", "D", "d", "1")});
    const auto exported = [&](const char* from, const char* to, const char* reader = "",
                              const char* id = "") {
        export_range(from, to, true, reader, id);
        QByteArray names;
        for (const QByteArray& line : test::file_bytes(out()).split('\n')) {
            if (!line.isEmpty()) names += line.at(20);
        }
        return names;
    };
    EXPECT_EQ(exported("03-01-2005", "03-01-2005"), "BC");
    EXPECT_EQ(exported("02-28-2005", "03-02-2005", "0"), "ABCD");
    EXPECT_EQ(exported("02-28-2005", "03-02-2005", "5"), "ABD");
    EXPECT_EQ(exported("02-28-2005", "03-02-2005", "", " 1 "), "ACD");
    EXPECT_EQ(exported("03-03-2005", "03-09-2005"), "");

    const auto remove = [&](const char* from, const char* to) {
        EXPECT_EQ(delete_log_dates(temp.db(), person, from, to), dbutil_outcome::done);
        return person.messages.last();
    };
    // Nothing in range: nothing to ask. Records in range: the count asked first, a No and the
    // records left are the command line's test.
    EXPECT_EQ(remove("03-05-2005", "03-09-2005"), "Deletion Complete - 0 Records Deleted");
    EXPECT_TRUE(person.questions.isEmpty());
    person.confirm_answers = {true};
    EXPECT_EQ(remove("03-01-2005", "03-01-2005"), "Deletion Complete - 2 Records Deleted");
    EXPECT_EQ(person.progress_texts.last(), "");
    EXPECT_TRUE(person.progress_texts.contains("Deleting Records"));
}

TEST_F(exports_test, refusals_write_nothing_and_the_employee_list_layout) {
    EXPECT_EQ(export_range("01-01-2005", "01-01-2005", true, "127"), dbutil_outcome::refused);
    EXPECT_EQ(export_range("02-30-2005", "01-01-2005"), dbutil_outcome::refused);
    EXPECT_EQ(export_range("01-01-2005", "01-01-205"), dbutil_outcome::refused);
    EXPECT_EQ(delete_log_dates(temp.db(), person, "03-01-2005", "13-01-2005"),
              dbutil_outcome::refused);
    EXPECT_EQ(person.messages, (QStringList{"Reader number must be < 127",
                                            "Export Start Date is not a valid date (mm-dd-yyyy)",
                                            "Export End Date is not a valid date (mm-dd-yyyy)",
                                            "Delete End Date is not a valid date (mm-dd-yyyy)"}));
    EXPECT_TRUE(person.file_requests.isEmpty());
    EXPECT_FALSE(QFile::exists(out()));

    // An empty log leaves the chosen file empty, and has nothing to delete.
    test::write_file(out(), "old");
    person.file_answers.clear();
    EXPECT_EQ(export_range("01-01-2005", "01-01-2005"), dbutil_outcome::refused);
    EXPECT_EQ(test::file_bytes(out()), "");
    EXPECT_EQ(delete_log_dates(temp.db(), person, "01-01-2005", "01-01-2005"),
              dbutil_outcome::refused);
    EXPECT_EQ(person.messages.mid(4), QStringList(2, "There are no items in the log file"));
    person.file_answers = {std::nullopt};
    EXPECT_EQ(export_log(temp.db(), person, {"01-01-2005", "01-01-2005", "", "", true}),
              dbutil_outcome::cancelled);
    test::write_file(out(), "old");
    person.file_answers = {out()};
    EXPECT_EQ(export_employees(temp.db(), person), dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(), "There are no employees in the file");
    EXPECT_EQ(test::file_bytes(out()), "");

    // The employee list's layout.

    ASSERT_TRUE(data::users_table(temp.db()).insert_all(
        {{"1234", "Smith", "Ann", {}}, {"0999", "Abcdefghijklmnopqrstuvwxyz", "Longfirst", {}}}));
    person.file_answers = {out()};
    EXPECT_EQ(export_employees(temp.db(), person), dbutil_outcome::done);
    EXPECT_EQ(person.file_requests.last(), "save|employees.txt|Text (*.txt)|*.txt");
    EXPECT_EQ(test::file_bytes(out()),
              "Abcdefghijklmnopqrstuvwxyz,Lon     0999\r\r\n"
              "Smith,Ann                          1234\r\r\n");
    EXPECT_EQ(person.messages.last(), "Export Complete");
}

TEST_F(exports_test, a_write_or_read_that_fails_is_reported_not_complete) {
    // Both tables spread over the whole file, so that cutting it leaves the start of each.
    for (int chunk = 0; chunk < 10; ++chunk) {
        std::vector<data::log_row> log;
        std::vector<data::user_row> users;
        for (int i = chunk * 300; i < (chunk + 1) * 300; ++i) {
            const QTime time = QTime::fromMSecsSinceStartOfDay(i * 1000);
            log.push_back(test::log_row("2005-03-01 " + time.toString("hh:mm:ss"), ""));
            users.push_back({QString::number(10000 + i), "Smith", "Ann", {}});
        }
        store(log);
        ASSERT_TRUE(data::users_table(temp.db()).insert_all(users));
    }
    const std::function<dbutil_outcome()> exports[] = {
        [&] {
            return export_log(temp.db(), person, {"03-01-2005", "03-01-2005", "", "", true});
        },
        [&] { return export_employees(temp.db(), person); }};
    const std::pair<QString, QString> unwritable[] = {
        {temp.folder() + "/missing/out.txt",
         "Export failed: " + temp.folder() + "/missing/out.txt: No such file or directory"},
        {"/dev/full", "Export failed: /dev/full: No space left on device"}};
    for (const auto& run : exports) {
        for (const auto& [file, message] : unwritable) {
            person.file_answers = {file};
            EXPECT_EQ(run(), dbutil_outcome::refused);
            EXPECT_EQ(person.messages.last(), message);
        }
    }
    if (test::server_backend()) return;  // a file cut short is the file's own failure
    temp.close();
    test::cut_short(temp.path());
    temp.reopen();
    for (const auto& run : exports) {
        person.file_answers = {out()};
        EXPECT_EQ(run(), dbutil_outcome::refused);
        EXPECT_TRUE(
            person.messages.last().startsWith("Export failed: database disk image is malformed"))
            << person.messages.last().toStdString();
        const qsizetype lines = test::file_bytes(out()).count("\r\r\n");
        EXPECT_TRUE(lines > 0 && lines < 3000) << lines;  // it failed part way
    }
}

// Pages of `limit` rows read one after the other, each row given by `mark`.
template <typename Mark>
QString read_through(log_archive& archive, int limit, Mark mark) {
    QString marks;
    for (qint64 offset = 0;; offset += limit) {
        const auto page = archive.fetch(offset, limit);
        if (page.empty()) return marks;
        for (const archive_row& row : page) marks += mark(row);
    }
}

TEST(log_archive, pages_continue_after_the_last_row_and_jump_back) {
    test::temp_database temp;
    std::vector<data::log_row> rows;
    const char* readers[] = {"12", "7", "100", "7"};
    const char* names[] = {"Cole", "Adams", "Baker", "Adams"};
    for (int i = 3; i >= 0; --i) {
        rows.push_back(test::log_row(QString("2005-03-01 10:0%1:00").arg(i), "", 1, names[i]));
        rows.back().readernum = readers[i];
        rows.back().firstname = " first ";
    }
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    log_archive archive(temp.db());
    EXPECT_EQ(archive.refresh(), 4);
    const auto minute = [](const archive_row& row) { return row.date_time.at(15); };
    EXPECT_EQ(read_through(archive, 3, minute), "0123");
    EXPECT_EQ(archive.fetch(2, 1)[0].date_time, "2005-03-01 10:02:00");  // a jump back
    const auto first = archive.fetch(0, 1);
    EXPECT_EQ(first[0].name + "|" + first[0].readernum, "Cole,first|12");
    archive.sort_by(2);
    EXPECT_EQ(archive.sort_column(), 2);
}

// Rows written by other programs may hold NULL where ours hold text: each row still shows
// once, in every order, when the pages meet in the middle of such rows.
TEST(log_archive, sorts_on_each_column_with_null_keys_as_empty_text) {
    test::temp_database temp;
    ASSERT_EQ(
        test::run_sql(
            temp.path(),
            {"INSERT INTO log (\"DateTime\", readernum, lastname, firstname, location, granted) "
             "VALUES (NULL, '7', 'Cole', 'a', NULL, 'Y'), "
             "('2005-03-01 10:00:00', NULL, NULL, 'b', 'Lobby', NULL), "
             "(NULL, '3', 'Adams', 'c', '', 'N'), "
             "('2005-03-01 09:00:00', '12', 'Baker', 'd', NULL, 'Y'), "
             "('', NULL, NULL, 'e', 'Gate', 'Y'), (NULL, '3', NULL, 'f', NULL, NULL)"}),
        "");
    log_archive archive(temp.db());
    EXPECT_EQ(archive.refresh(), 6);
    const auto first_name = [](const archive_row& row) { return row.name.back(); };
    // Date/Time keeps the index's order: NULL before empty text.
    const char* orders[] = {"acfedb", "befcda", "ebdcfa", "acfdeb", "fbcaed"};
    for (int column = 0; column < 5; ++column) {
        archive.sort_by(column);
        EXPECT_EQ(read_through(archive, 2, first_name), orders[column]) << column;
        EXPECT_EQ(read_through(archive, 1, first_name), orders[column]) << column;
    }
    archive.sort_by(1);
    EXPECT_EQ(archive.fetch(0, 1)[0].name, ",b");
}

QString with_access(std::initializer_list<std::pair<int, const char*>> slots) {
    QString access = access_string::blank();
    for (const auto& [reader, code] : slots) access.replace(2 * reader, 2, QLatin1String(code));
    return access;
}

class bulk_users_test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(data::schedules_table(temp.db()).insert({5, "Day"}));
        ASSERT_TRUE(data::schedules_table(temp.db()).insert({12, "Night"}));
    }
    QString file(const QByteArray& bytes) {
        return test::write_file(temp.folder() + "/users.csv", bytes);
    }
    std::vector<data::user_row> users() { return *data::users_table(temp.db()).all(); }
    users_import_plan plan(const QByteArray& bytes, bool replace = false) {
        const auto planned = plan_users_import(temp.db(), file(bytes), replace);
        EXPECT_TRUE(planned) << planned.error().toStdString();
        return planned ? *planned : users_import_plan{};
    }

    test::temp_database temp;
};

TEST_F(bulk_users_test, any_faulty_line_refuses_the_whole_file_with_each_fault_named) {
    ASSERT_TRUE(data::users_table(temp.db()).insert({"1", "Kept", "Anne", with_access({})}));
    const users_import_plan faulty = plan(
        "userid,lastname,firstname,reader_003\r\n"
        "1,Changed,Anne,05\r\n"         // line 2: fine alone
        ",No,Id,\r\n"                   // 3
        "1234567890123456789,L,F,\r\n"  // 4: 19 characters
        "7,Only,two\r\n"                // 5
        "8,A,B,7\r\n"                   // 6: no schedule 07
        "9,A,B,x1\r\n"                  // 7
        "1,Again,Anne,\r\n"             // 8: duplicate of line 2
        "10,\xce\xa9mega,B,\r\n"        // 9: not Latin-1
        "\"11\",\"two\nlines\",B,\r\n"  // 10-11: a line break in a name
        "12,,B,\r\n"                    // 12
        "1\x01,A,B,\r\n");              // 13: a control character in the ID
    EXPECT_EQ(faulty.faults,
              (QStringList{"line 3: the ID is empty",
                           "line 4: the ID 1234567890123456789 has more than 18 characters",
                           "line 5: 3 fields, the header has 4",
                           "line 6: reader_003: there is no schedule 07",
                           "line 7: reader_003: \"x1\" is not a schedule code",
                           "line 8: the ID 1 is on line 2 too",
                           "line 9: a name holds a character that cannot be stored (not Latin-1)",
                           "line 10: a name holds a control character (a line break or tab)",
                           "line 12: the last name is empty",
                           "line 13: the ID 1\x01 holds a character no reader can take"}));
    EXPECT_FALSE(apply_users_import(temp.db(), faulty));
    EXPECT_EQ(users().size(), 1u);
    EXPECT_EQ(users()[0].lastname, "Kept");

    // The header alone is enough to refuse: columns that are no reader, or come twice.
    EXPECT_EQ(
        plan("userid,lastname,firstname,reader_127,reader_001,reader_001,door\n1,A,B,,,,\n").faults,
        (QStringList{"line 1: column \"reader_127\": there is no reader above 126",
                     "line 1: column \"reader_001\" comes twice",
                     "line 1: column \"door\" is neither a name nor reader_NNN"}));
    EXPECT_EQ(plan("id,last,first\n1,A,B\n").faults,
              QStringList{"line 1: the header must begin userid,lastname,firstname"});
    EXPECT_EQ(plan("userid,lastname,firstname\n\"1,A,B\n").faults,
              QStringList{"line 2: a quote is never closed"});
    EXPECT_EQ(plan("userid,lastname,firstname\n1,\xff,B\n").faults,
              QStringList{"the file is not UTF-8 text"});
    EXPECT_FALSE(plan_users_import(temp.db(), temp.folder() + "/missing.csv", false));
}

TEST_F(bulk_users_test, imports_add_and_update_only_what_the_file_names) {
    ASSERT_TRUE(data::users_table(temp.db()).insert_all(
        {{"1", "Old", "Anne", with_access({{3, "12"}, {9, "05"}})},
         {"2", "Same", "Bob", with_access({{3, "05"}})},
         {"3", "Absent", "Cy", with_access({{9, "12"}})}}));
    // A BOM, a spreadsheet's "5" for "05", columns in any order, blank lines and CR LF.
    const QByteArray csv =
        "\xef\xbb\xbfuserid,lastname,firstname,reader_009,reader_003\r\n"
        "1,New,Anne,,5\r\n"
        "\r\n"
        "2,Same,Bob,,05\r\n"
        " 4 ,\"'=Sum, Jr\",\"D\"\"x\",12,\r\n";
    const users_import_plan merged = plan(csv);
    ASSERT_TRUE(merged.ok()) << merged.faults.join('\n').toStdString();
    EXPECT_EQ(import_summary(merged), "1 added, 1 updated, 1 unchanged");
    ASSERT_TRUE(apply_users_import(temp.db(), merged));
    std::vector<data::user_row> stored = users();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0], (data::user_row{"1", "New", "Anne", with_access({{3, "05"}})}));
    EXPECT_EQ(stored[2], (data::user_row{"3", "Absent", "Cy", with_access({{9, "12"}})}));
    EXPECT_EQ(stored[3], (data::user_row{"4", "=Sum, Jr", "D\"x", with_access({{9, "12"}})}));

    // --replace: readers whose column the file lacks lose the user's access.
    const users_import_plan replaced =
        plan("userid,lastname,firstname,reader_009\n2,Same,Bob,\n", true);
    EXPECT_EQ(import_summary(replaced), "0 added, 1 updated, 0 unchanged");
    ASSERT_TRUE(apply_users_import(temp.db(), replaced));
    EXPECT_EQ(users()[1].schedules, access_string::blank());
}

TEST_F(bulk_users_test, an_export_imported_again_changes_nothing) {
    ASSERT_TRUE(data::users_table(temp.db()).insert_all(
        {{"0007", "Émile", "+Zoë", with_access({{126, "12"}, {0, "05"}})},
         {"A-1", "@home", "-x", with_access({})},
         {"B 2", "O\"Neil, Jr", "Ann", with_access({{40, "05"}})}}));
    const QString out = temp.folder() + "/out.csv";
    ASSERT_EQ(export_users_csv(temp.db(), out).value_or(-1), 3);
    const QByteArray bytes = test::file_bytes(out);
    EXPECT_TRUE(bytes.startsWith("userid,lastname,firstname,reader_000,reader_040,reader_126\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nA-1,'@home,'-x,,,\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nB 2,\"O\"\"Neil, Jr\",Ann,,05,\r\n"));
    const auto again = plan_users_import(temp.db(), out, true);
    ASSERT_TRUE(again && again->ok());
    EXPECT_EQ(import_summary(*again), "0 added, 0 updated, 3 unchanged");
}

TEST_F(bulk_users_test, a_series_skips_stored_ids_and_gives_access_at_active_readers_only) {
    data::reader_row active = test::reader_row(4, "tcp/ip"), idle = test::reader_row(6, "tcp/ip");
    idle.active.clear();
    ASSERT_TRUE(data::readers_table(temp.db()).insert_all({active, idle}));
    ASSERT_TRUE(data::users_table(temp.db()).insert({"0003", "Mine", "Own", with_access({})}));

    const auto planned = plan_series(temp.db(), {"0001", "0010", "5", true});
    ASSERT_TRUE(planned);
    EXPECT_EQ(planned->ids.front(), "0001");
    EXPECT_EQ(planned->ids.back(), "0010");
    EXPECT_EQ(planned->question(), "Add 9 users with the IDs 0001 to 0010?");
    EXPECT_EQ(add_series(temp.db(), *planned).value_or(""), "Added 9 users (1 already existed)");
    const std::vector<data::user_row> stored = users();
    ASSERT_EQ(stored.size(), 10u);
    EXPECT_EQ(stored[2], (data::user_row{"0003", "Mine", "Own", with_access({})}));
    EXPECT_EQ(stored[9], (data::user_row{"0010", "Card", "0010", with_access({{4, "05"}})}));

    // Without "all active readers" the new users have no access; a second run adds none.
    const auto bare = plan_series(temp.db(), {"98", "101", "", false});
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->ids, (QStringList{"98", "99", "100", "101"}));
    EXPECT_EQ(add_series(temp.db(), *bare).value_or(""), "Added 4 users (0 already existed)");
    EXPECT_EQ(users().back().schedules, access_string::blank());
    EXPECT_EQ(add_series(temp.db(), *bare).value_or(""), "Added 0 users (4 already existed)");

    const auto refusal = [&](series_request request) {
        const auto refused = plan_series(temp.db(), request);
        return refused ? QString() : refused.error();
    };
    EXPECT_EQ(refusal({"1", "100001", "", false}), "A series may hold at most 100,000 IDs");
    EXPECT_EQ(plan_series(temp.db(), {"1", "100000", "", false}).value().ids.size(), 100'000);
    EXPECT_EQ(refusal({"10", "9", "", false}), "End Number must not be below Start Number");
    EXPECT_EQ(refusal({"1x", "9", "", false}), "Start Number and End Number must be digits");
    EXPECT_EQ(refusal({"1", "9999999999999999999", "", false}), "An ID may have at most 18 digits");
    EXPECT_EQ(refusal({"1", "2", "100", true}), "Schedule # must be a number from 0 to 99");
    EXPECT_EQ(refusal({"1", "2", "7", true}), "There is no schedule 7");
}

bool passes(const data::log_row& row, const data::log_filter& f) {
    const auto contains = [&](const QString& text) {
        return text.contains(f.match, Qt::CaseInsensitive);
    };
    const QString to = f.to.size() == 10 ? f.to + " 99" : f.to;
    return (f.from.isEmpty() || row.DateTime >= f.from) && (to.isEmpty() || row.DateTime <= to) &&
           (f.reader < 0 || row.readernum.toInt() == f.reader) &&
           (f.match.isEmpty() || contains(row.idnum) || contains(row.lastname) ||
            contains(row.firstname)) &&
           (f.granted == data::log_filter::outcome::all ||
            (row.granted == "Y") == (f.granted == data::log_filter::outcome::granted));
}

// The filtered log, paged in every order, against the same rows filtered and sorted here.
TEST(log_filter_test, every_filter_pages_and_charts_the_rows_a_plain_sort_would_keep) {
    test::temp_database temp;
    std::vector<data::log_row> rows;
    std::mt19937 random(7);
    const QDateTime start(QDate(2026, 3, 1), QTime(0, 0));
    const char* names[] = {"Smith", "smithers", "Jones", "O'Hara", "", "Ünal"};
    for (int i = 0; i < 400; ++i) {
        data::log_row row =
            test::log_row(start.addSecs(static_cast<qint64>(random() % (4 * 86400)))
                              .toString("yyyy-MM-dd hh:mm:ss"),
                          QString("%1").arg(random() % 50), static_cast<int>(random() % 4),
                          QString::fromUtf8(names[random() % 6]), random() % 3 != 0);
        row.firstname = QString("F%1").arg(random() % 5);
        row.location = QString("Door %1").arg(random() % 3);
        rows.push_back(row);
    }
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    using outcome = data::log_filter::outcome;
    const std::vector<data::log_filter> filters = {
        {},
        {"2026-03-02", "2026-03-03", -1, "", outcome::all},
        {"2026-03-02 06:00:00", "2026-03-02 18:59:59", 2, "", outcome::refused},
        {"", "", -1, "SMITH", outcome::all},
        {"", "2026-03-01", 0, "1", outcome::granted},
        {"", "", -1, "%", outcome::all},
        {"2026-03-09", "", -1, "", outcome::all}};
    for (const data::log_filter& filter : filters) {
        std::vector<data::log_row> kept;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(kept),
                     [&](const data::log_row& r) { return passes(r, filter); });
        const QString label = filter.from + "|" + filter.to + "|" + filter.match;
        log_archive archive(temp.db());
        archive.set_filter(filter);
        EXPECT_EQ(archive.row_count(), static_cast<qint64>(kept.size())) << label.toStdString();
        for (int column : {0, 1}) {
            // Name order: trimmed "last,first" as text, ties in date order.
            std::vector<QString> expected;
            std::stable_sort(kept.begin(), kept.end(), [&](const auto& a, const auto& b) {
                return column == 0
                           ? a.DateTime < b.DateTime
                           : a.lastname + "," + a.firstname < b.lastname + "," + b.firstname;
            });
            for (const auto& r : kept) expected.push_back(r.DateTime + "/" + r.idnum);
            archive.sort_by(column);
            std::vector<QString> paged;
            for (qint64 at = 0; at < archive.row_count() + 30; at += 30) {
                for (const archive_row& r : archive.fetch(at, 30)) paged.push_back(r.date_time);
            }
            ASSERT_EQ(paged.size(), expected.size()) << label.toStdString();
            for (std::size_t i = 0; i < paged.size(); ++i)
                EXPECT_EQ(paged[i], expected[i].section('/', 0, 0)) << label.toStdString() << i;
        }
        // The CSV holds the same rows in date order.
        qint64 lines = 0;
        ASSERT_EQ(
            write_log_csv(temp.db(), filter, [&](const QByteArray&) { ++lines; }).value_or(-1),
            static_cast<qint64>(kept.size()));
        EXPECT_EQ(lines, static_cast<qint64>(kept.size()) + 1);
    }

    // The chart groups by hour up to two days, and by day beyond.
    // Granted and refused by key, of the chart's bars and of the rows counted here; empty bars
    // left out.
    using bars = std::map<QString, std::pair<qint64, qint64>>;
    const auto tally = [&](const data::log_filter& f, int width) {
        bars counted;
        for (const auto& r : rows) {
            if (passes(r, f))
                (r.granted == "Y" ? counted[r.DateTime.left(width)].first
                                  : counted[r.DateTime.left(width)].second)++;
        }
        return counted;
    };
    const auto shown = [](const log_activity& chart) {
        bars counted;
        for (const data::log_bucket& bar : chart.bars) {
            if (bar.granted + bar.refused > 0) counted[bar.key] = {bar.granted, bar.refused};
        }
        return counted;
    };
    // The whole log spans four days: per day, one bar each, none missing.
    const auto days = activity(temp.db(), {});
    ASSERT_TRUE(days);
    EXPECT_FALSE(days->hourly);
    ASSERT_EQ(days->bars.size(), 4u);
    EXPECT_EQ(days->bars.front().key, "2026-03-01");
    EXPECT_EQ(shown(*days), tally({}, 10));
    // Two days of one reader: 48 hourly bars, empty hours included.
    const data::log_filter two_days{"2026-03-02", "2026-03-03", 1, "", {}};
    const auto hours = activity(temp.db(), two_days);
    ASSERT_TRUE(hours);
    EXPECT_TRUE(hours->hourly);
    ASSERT_EQ(hours->bars.size(), 48u);
    EXPECT_EQ(hours->bars[25].key, "2026-03-03 01");
    EXPECT_EQ(shown(*hours), tally(two_days, 13));
    // Nothing matches: no bars.
    EXPECT_TRUE(activity(temp.db(), {"", "", -1, "nobody", {}})->bars.empty());
}

}  // namespace
}  // namespace zep::records
