#include <gtest/gtest.h>

#include "data/readers_table.h"
#include "data/schedules_table.h"
#include "data/temp_database.h"
#include "records/readers_register.h"
#include "records/schedules_register.h"
#include "scripted_operator.h"

namespace zep {
namespace {

TEST(readers_register, loadup_creates_rows_0_to_126_once) {
    test::temp_database temp;
    reader_row gate;
    gate.readernum = 7;
    gate.readername = QStringLiteral("Gate");
    gate.protocol = QStringLiteral("Y");
    readers_table(temp.db()).insert(gate);
    const auto rows = readers_loadup(temp.db());
    ASSERT_EQ(rows.size(), 127u);
    EXPECT_EQ(rows.front().readername, QStringLiteral("Gate"));  // found rows first
    EXPECT_EQ(rows[1].readernum, 0);
    EXPECT_EQ(rows.back().readernum, 126);
    const auto created = readers_table(temp.db()).find(0);
    ASSERT_TRUE(created);
    EXPECT_EQ(created->protocol, QStringLiteral("N"));
    EXPECT_TRUE(created->readername.isEmpty() && created->commmode.isEmpty() &&
                created->Port.isEmpty() && created->active.isEmpty());
    EXPECT_EQ(readers_loadup(temp.db()).size(), 127u);
    EXPECT_EQ(readers_table(temp.db()).count(), 127);
}

TEST(readers_register, comm_mode_loads_and_stores_back) {
    reader_row row;
    row.readernum = 3;
    row.commmode = QStringLiteral("Com2 19200");
    reader_form form = reader_form_from_row(row);
    EXPECT_EQ(form.mode, reader_mode::serial);
    EXPECT_EQ(form.port, 2);
    EXPECT_EQ(form.speed, 19200);
    EXPECT_EQ(reader_row_from_form(form).commmode, QStringLiteral("Com2 19200"));

    row.commmode = QStringLiteral("T");
    EXPECT_EQ(reader_columns(row)[5], QStringLiteral("tcp/ip"));
    form = reader_form_from_row(row);
    EXPECT_EQ(form.mode, reader_mode::tcp);
    EXPECT_TRUE(enabled_fields(form).ip_address);
    EXPECT_EQ(reader_row_from_form(form).commmode, QStringLiteral("tcp/ip"));

    row.commmode.clear();
    form = reader_form_from_row(row);
    EXPECT_EQ(form.mode, reader_mode::none);
    EXPECT_FALSE(enabled_fields(form).ports || enabled_fields(form).ip_address);
    EXPECT_TRUE(reader_row_from_form(form).commmode.isEmpty());
}

TEST(readers_register, dependent_field_rules) {
    reader_form form;
    select_mode(form, reader_mode::serial);
    EXPECT_EQ(form.port, 1);
    EXPECT_EQ(form.speed, 9600);
    EXPECT_TRUE(enabled_fields(form).ports && enabled_fields(form).speeds);
    EXPECT_FALSE(enabled_fields(form).ip_address);

    set_speed_ticked(form, 19200, true);
    EXPECT_EQ(form.speed, 19200);
    set_speed_ticked(form, 19200, false);
    EXPECT_EQ(form.speed, 9600);
    form.port = 4;
    select_mode(form, reader_mode::serial);  // an earlier choice stays
    EXPECT_EQ(comm_mode_text(form), QStringLiteral("Com4 9600"));

    EXPECT_FALSE(enabled_fields(form).network_address);
    form.protocol = true;
    EXPECT_TRUE(enabled_fields(form).network_address);
    EXPECT_EQ(reader_row_from_form(form).protocol, QStringLiteral("Y"));
    EXPECT_EQ(reader_columns(reader_row_from_form(form))[6], QStringLiteral("Y"));
    form.protocol = false;
    EXPECT_EQ(reader_row_from_form(form).protocol, QStringLiteral("N"));
    EXPECT_TRUE(reader_columns(reader_row_from_form(form))[6].isEmpty());

    EXPECT_TRUE(time_difference_key(QLatin1Char('-')) && time_difference_key(QLatin1Char('7')));
    EXPECT_FALSE(time_difference_key(QLatin1Char('.')));
    EXPECT_TRUE(ip_address_key(QLatin1Char('.')));
    EXPECT_FALSE(ip_address_key(QLatin1Char('a')) || digits_key(QLatin1Char('-')));
}

TEST(readers_register, update_validation_boundaries) {
    const auto refusal = [](const QString& time, const QString& ip) {
        reader_form form;
        form.time_difference = time;
        form.ip_address = ip;
        return validate_reader_form(form).value_or(QString());
    };
    for (const char* ok : {"-24", "24", "", "0", "-"})
        EXPECT_EQ(refusal(QString::fromLatin1(ok), {}), "") << ok;
    for (const char* bad : {"25", "-25", "100"}) {
        EXPECT_EQ(refusal(QString::fromLatin1(bad), {}), "Invalid time differential") << bad;
    }
    for (const char* ok : {"10.1.2.3", "", "  ", "1.2.3.", ".1.2.3", "999.x.1.2"}) {
        EXPECT_EQ(refusal({}, QString::fromLatin1(ok)), "") << ok;
    }
    for (const char* bad : {"10.1.2", "10..1.2", "1.2.3.4.5", "1...2"}) {
        EXPECT_EQ(refusal({}, QString::fromLatin1(bad)), "Invalid ip address") << bad;
    }
}

TEST(readers_register, update_stores_the_row_or_tells_why_not) {
    test::temp_database temp;
    readers_loadup(temp.db());
    test::scripted_operator person;
    reader_form form = reader_form_from_row(*readers_table(temp.db()).find(12));
    form.name = QStringLiteral("Dock");
    form.time_difference = QStringLiteral("-5");
    form.active = true;
    select_mode(form, reader_mode::serial);
    form.port = 3;
    set_speed_ticked(form, 19200, true);
    form.ip_address = QStringLiteral("10.0.0.9");
    EXPECT_EQ(update_reader(temp.db(), person, form), reader_update::stored);
    const auto stored = readers_table(temp.db()).find(12);
    EXPECT_EQ(stored->readername, QStringLiteral("Dock"));
    EXPECT_EQ(stored->commmode, QStringLiteral("Com3 19200"));
    EXPECT_EQ(stored->active, QStringLiteral("Y"));
    EXPECT_EQ(stored->timezone, QStringLiteral("-5"));
    EXPECT_EQ(stored->ipaddress, QStringLiteral("10.0.0.9"));  // written whatever the mode

    form.time_difference = QStringLiteral("25");
    EXPECT_EQ(update_reader(temp.db(), person, form), reader_update::refused);
    EXPECT_EQ(person.messages, QStringList{"Invalid time differential"});
    EXPECT_EQ(readers_table(temp.db()).find(12)->timezone, QStringLiteral("-5"));

    form.time_difference.clear();
    form.readernum = 200;
    EXPECT_EQ(update_reader(temp.db(), person, form), reader_update::not_in_table);
}

TEST(schedules_register, loadup_creates_rows_1_to_99_shown_as_0000_0000) {
    test::temp_database temp;
    const auto rows = schedules_loadup(temp.db());
    ASSERT_EQ(rows.size(), 99u);
    EXPECT_EQ(rows.front().schedulenum, 1);
    EXPECT_EQ(rows.back().schedulenum, 99);
    const auto stored = schedules_table(temp.db()).find(50);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->schedulename.isEmpty());
    EXPECT_EQ(stored->saturday, QStringLiteral("00000000"));
    EXPECT_FALSE(schedules_table(temp.db()).find(0));
    const auto columns = schedule_columns(rows.front());
    EXPECT_EQ(columns[0], QStringLiteral("001"));
    EXPECT_EQ(columns[2], QStringLiteral("0000 - 0000"));
    EXPECT_EQ(schedules_loadup(temp.db()).size(), 99u);
}

TEST(schedules_register, time_box_validation_boundaries) {
    const auto refusal = [](const QString& box) {
        schedule_boxes boxes;
        boxes.fill(QStringLiteral("0000"));
        boxes[9] = box;
        return validate_schedule_times(boxes).value_or(QString());
    };
    for (const char* ok : {"2359", "0000", "1275", "0999"})
        EXPECT_EQ(refusal(QString::fromLatin1(ok)), "") << ok;
    EXPECT_EQ(refusal(QStringLiteral("2400")), "Time cannot be > 2359");
    EXPECT_EQ(refusal(QStringLiteral("236")), "All times must be 4 digits long");
    EXPECT_EQ(refusal(QStringLiteral("800")), "All times must be 4 digits long");
    EXPECT_EQ(refusal(QString()), "All times must be 4 digits long");
    EXPECT_EQ(refusal(QStringLiteral("08000")), "All times must be 4 digits long");
}

TEST(schedules_register, copy_buttons_and_arrow_moves) {
    schedule_form form = idle_schedule_form();
    form.boxes[0] = QStringLiteral("0100");
    form.boxes[1] = QStringLiteral("0200");
    form.boxes[2] = QStringLiteral("0800");
    form.boxes[3] = QStringLiteral("1700");
    schedule_boxes mf = form.boxes;
    copy_monday_to_friday(mf);
    EXPECT_EQ(mf[10], QStringLiteral("0800"));
    EXPECT_EQ(mf[11], QStringLiteral("1700"));
    EXPECT_EQ(mf[12], QStringLiteral("0000"));  // Saturday untouched
    EXPECT_EQ(mf[0], QStringLiteral("0100"));   // Sunday untouched
    schedule_boxes ms = form.boxes;
    copy_monday_to_saturday(ms);
    EXPECT_EQ(ms[13], QStringLiteral("1700"));
    schedule_boxes ss = form.boxes;
    copy_sunday_to_saturday(ss);
    for (int box = 2; box < 14; box += 2) {
        EXPECT_EQ(ss[box], QStringLiteral("0100"));
        EXPECT_EQ(ss[box + 1], QStringLiteral("0200"));
    }
    EXPECT_EQ(box_below(1), 3);
    EXPECT_EQ(box_above(3), 1);
    EXPECT_FALSE(box_below(12));
    EXPECT_FALSE(box_above(1));
}

TEST(schedules_register, update_stores_days_as_eight_characters) {
    test::temp_database temp;
    schedules_loadup(temp.db());
    test::scripted_operator person;
    schedule_form form = schedule_form_from_row(*schedules_table(temp.db()).find(4));
    form.name = QStringLiteral("Day shift");
    form.boxes[6] = QStringLiteral("0800");
    form.boxes[7] = QStringLiteral("1730");
    EXPECT_EQ(update_schedule(temp.db(), person, form), schedule_update::stored);
    const auto stored = schedules_table(temp.db()).find(4);
    EXPECT_EQ(stored->wednesday, QStringLiteral("08001730"));
    EXPECT_EQ(stored->schedulename, QStringLiteral("Day shift"));
    EXPECT_EQ(schedule_columns(*stored)[5], QStringLiteral("0800 - 1730"));
    EXPECT_EQ(schedule_form_from_row(*stored).boxes[7], QStringLiteral("1730"));
    EXPECT_EQ(stored_day(QStringLiteral("0800 - 1730")), QStringLiteral("08001730"));

    form.boxes[13] = QStringLiteral("2400");
    form.name = QStringLiteral("changed");
    EXPECT_EQ(update_schedule(temp.db(), person, form), schedule_update::refused);
    EXPECT_EQ(person.messages, QStringList{"Time cannot be > 2359"});
    EXPECT_EQ(schedules_table(temp.db()).find(4)->schedulename, QStringLiteral("Day shift"));
}

}  // namespace
}  // namespace zep
