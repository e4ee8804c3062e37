#include <gtest/gtest.h>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/records/readers_register.h"
#include "core/records/schedules_register.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"

namespace zep {
namespace {

TEST(readers_register, loadup_creates_rows_0_to_126_once) {
    test::temp_database temp;
    data::reader_row gate;
    gate.readernum = 7;
    gate.readername = QStringLiteral("Gate");
    gate.protocol = QStringLiteral("Y");
    ASSERT_TRUE(data::readers_table(temp.db()).insert(gate));
    const auto rows = records::readers_loadup(temp.db()).value();
    ASSERT_EQ(rows.size(), 127u);
    EXPECT_EQ(rows.front().readername, QStringLiteral("Gate"));  // found rows first
    EXPECT_EQ(rows[1].readernum, 0);
    EXPECT_EQ(rows.back().readernum, 126);
    const auto created = data::readers_table(temp.db()).find(0).value();
    ASSERT_TRUE(created);
    EXPECT_EQ(created->protocol, QStringLiteral("N"));
    EXPECT_TRUE(created->readername.isEmpty() && created->commmode.isEmpty() &&
                created->Port.isEmpty() && created->active.isEmpty());
    EXPECT_EQ(records::readers_loadup(temp.db())->size(), 127u);
    EXPECT_EQ(*data::readers_table(temp.db()).count(), 127);
}

TEST(readers_register, comm_mode_loads_and_stores_back) {
    data::reader_row row;
    row.readernum = 3;
    row.commmode = QStringLiteral("Com2 19200");
    records::reader_form form = records::reader_form_from_row(row);
    EXPECT_EQ(form.mode, records::reader_form_mode::serial);
    EXPECT_EQ(form.port, 2);
    EXPECT_EQ(form.speed, 19200);
    EXPECT_EQ(records::reader_row_from_form(form).commmode, QStringLiteral("Com2 19200"));

    row.commmode = QStringLiteral("T");
    EXPECT_EQ(records::reader_columns(row)[5], QStringLiteral("tcp/ip"));
    form = records::reader_form_from_row(row);
    EXPECT_EQ(form.mode, records::reader_form_mode::tcp);
    EXPECT_TRUE(records::enabled_fields(form).ip_address);
    EXPECT_EQ(records::reader_row_from_form(form).commmode, QStringLiteral("tcp/ip"));

    row.commmode.clear();
    form = records::reader_form_from_row(row);
    EXPECT_EQ(form.mode, records::reader_form_mode::none);
    EXPECT_FALSE(records::enabled_fields(form).ports || records::enabled_fields(form).ip_address);
    EXPECT_TRUE(records::reader_row_from_form(form).commmode.isEmpty());
}

TEST(readers_register, dependent_field_rules) {
    records::reader_form form;
    records::select_mode(form, records::reader_form_mode::serial);
    EXPECT_EQ(form.port, 1);
    EXPECT_EQ(form.speed, 9600);
    EXPECT_TRUE(records::enabled_fields(form).ports && records::enabled_fields(form).speeds);
    EXPECT_FALSE(records::enabled_fields(form).ip_address);

    records::set_speed_ticked(form, 19200, true);
    EXPECT_EQ(form.speed, 19200);
    records::set_speed_ticked(form, 19200, false);
    EXPECT_EQ(form.speed, 9600);
    form.port = 4;
    records::select_mode(form, records::reader_form_mode::serial);  // an earlier choice stays
    EXPECT_EQ(records::comm_mode_text(form), QStringLiteral("Com4 9600"));

    EXPECT_FALSE(records::enabled_fields(form).network_address);
    form.protocol = true;
    EXPECT_TRUE(records::enabled_fields(form).network_address);
    EXPECT_EQ(records::reader_row_from_form(form).protocol, QStringLiteral("Y"));
    EXPECT_EQ(records::reader_columns(records::reader_row_from_form(form))[6], QStringLiteral("Y"));
    form.protocol = false;
    EXPECT_EQ(records::reader_row_from_form(form).protocol, QStringLiteral("N"));
    EXPECT_TRUE(records::reader_columns(records::reader_row_from_form(form))[6].isEmpty());

    EXPECT_TRUE(records::time_difference_key(QLatin1Char('-')) &&
                records::time_difference_key(QLatin1Char('7')));
    EXPECT_FALSE(records::time_difference_key(QLatin1Char('.')));
    EXPECT_TRUE(records::ip_address_key(QLatin1Char('.')));
    EXPECT_FALSE(records::ip_address_key(QLatin1Char('a')) ||
                 records::digits_key(QLatin1Char('-')));
}

TEST(readers_register, update_validation_boundaries) {
    const auto refusal = [](const QString& time, const QString& ip) {
        records::reader_form form;
        form.time_difference = time;
        form.ip_address = ip;
        return records::validate_reader_form(form).error();
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
    ASSERT_TRUE(records::readers_loadup(temp.db()));
    test::scripted_operator person;
    records::reader_form form =
        records::reader_form_from_row(**data::readers_table(temp.db()).find(12));
    form.name = QStringLiteral("Dock");
    form.time_difference = QStringLiteral("-5");
    form.active = true;
    records::select_mode(form, records::reader_form_mode::serial);
    form.port = 3;
    records::set_speed_ticked(form, 19200, true);
    form.ip_address = QStringLiteral("10.0.0.9");
    EXPECT_EQ(records::update_reader(temp.db(), person, form), records::reader_update::stored);
    const auto stored = data::readers_table(temp.db()).find(12).value();
    EXPECT_EQ(stored->readername, QStringLiteral("Dock"));
    EXPECT_EQ(stored->commmode, QStringLiteral("Com3 19200"));
    EXPECT_EQ(stored->active, QStringLiteral("Y"));
    EXPECT_EQ(stored->timezone, QStringLiteral("-5"));
    EXPECT_EQ(stored->ipaddress, QStringLiteral("10.0.0.9"));  // written whatever the mode

    form.time_difference = QStringLiteral("25");
    EXPECT_EQ(records::update_reader(temp.db(), person, form), records::reader_update::refused);
    EXPECT_EQ(person.messages, QStringList{"Invalid time differential"});
    EXPECT_EQ(data::readers_table(temp.db()).find(12).value()->timezone, QStringLiteral("-5"));

    form.time_difference.clear();
    form.readernum = 200;
    EXPECT_EQ(records::update_reader(temp.db(), person, form),
              records::reader_update::not_in_table);
}

TEST(schedules_register, loadup_creates_rows_1_to_99_shown_as_0000_0000) {
    test::temp_database temp;
    const auto rows = records::schedules_loadup(temp.db()).value();
    ASSERT_EQ(rows.size(), 99u);
    EXPECT_EQ(rows.front().schedulenum, 1);
    EXPECT_EQ(rows.back().schedulenum, 99);
    const auto stored = data::schedules_table(temp.db()).find(50).value();
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->schedulename.isEmpty());
    EXPECT_EQ(stored->saturday, QStringLiteral("00000000"));
    EXPECT_EQ(*data::schedules_table(temp.db()).find(0), std::nullopt);
    const auto columns = records::schedule_columns(rows.front());
    EXPECT_EQ(columns[0], QStringLiteral("001"));
    EXPECT_EQ(columns[2], QStringLiteral("0000 - 0000"));
    EXPECT_EQ(records::schedules_loadup(temp.db())->size(), 99u);
}

TEST(schedules_register, time_box_validation_boundaries) {
    const auto refusal = [](const QString& box) {
        records::schedule_boxes boxes;
        boxes.fill(QStringLiteral("0000"));
        boxes[9] = box;
        return records::validate_schedule_times(boxes).error();
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
    records::schedule_form form = records::idle_schedule_form();
    form.boxes[0] = QStringLiteral("0100");
    form.boxes[1] = QStringLiteral("0200");
    form.boxes[2] = QStringLiteral("0800");
    form.boxes[3] = QStringLiteral("1700");
    records::schedule_boxes mf = form.boxes;
    records::copy_monday_to_friday(mf);
    EXPECT_EQ(mf[10], QStringLiteral("0800"));
    EXPECT_EQ(mf[11], QStringLiteral("1700"));
    EXPECT_EQ(mf[12], QStringLiteral("0000"));  // Saturday untouched
    EXPECT_EQ(mf[0], QStringLiteral("0100"));   // Sunday untouched
    records::schedule_boxes ms = form.boxes;
    records::copy_monday_to_saturday(ms);
    EXPECT_EQ(ms[13], QStringLiteral("1700"));
    records::schedule_boxes ss = form.boxes;
    records::copy_sunday_to_saturday(ss);
    for (int box = 2; box < 14; box += 2) {
        EXPECT_EQ(ss[box], QStringLiteral("0100"));
        EXPECT_EQ(ss[box + 1], QStringLiteral("0200"));
    }
    EXPECT_EQ(records::box_below(1), 3);
    EXPECT_EQ(records::box_above(3), 1);
    EXPECT_FALSE(records::box_below(12));
    EXPECT_FALSE(records::box_above(1));
}

TEST(schedules_register, update_stores_days_as_eight_characters) {
    test::temp_database temp;
    ASSERT_TRUE(records::schedules_loadup(temp.db()));
    test::scripted_operator person;
    records::schedule_form form =
        records::schedule_form_from_row(**data::schedules_table(temp.db()).find(4));
    form.name = QStringLiteral("Day shift");
    form.boxes[6] = QStringLiteral("0800");
    form.boxes[7] = QStringLiteral("1730");
    EXPECT_EQ(records::update_schedule(temp.db(), person, form), records::schedule_update::stored);
    const auto stored = data::schedules_table(temp.db()).find(4).value();
    EXPECT_EQ(stored->wednesday, QStringLiteral("08001730"));
    EXPECT_EQ(stored->schedulename, QStringLiteral("Day shift"));
    EXPECT_EQ(records::schedule_columns(*stored)[5], QStringLiteral("0800 - 1730"));
    EXPECT_EQ(records::schedule_form_from_row(*stored).boxes[7], QStringLiteral("1730"));
    EXPECT_EQ(records::stored_day(QStringLiteral("0800 - 1730")), QStringLiteral("08001730"));

    form.boxes[13] = QStringLiteral("2400");
    form.name = QStringLiteral("changed");
    EXPECT_EQ(records::update_schedule(temp.db(), person, form), records::schedule_update::refused);
    EXPECT_EQ(person.messages, QStringList{"Time cannot be > 2359"});
    EXPECT_EQ(data::schedules_table(temp.db()).find(4).value()->schedulename,
              QStringLiteral("Day shift"));
}

}  // namespace
}  // namespace zep
