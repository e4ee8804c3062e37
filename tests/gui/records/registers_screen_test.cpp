#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "gui/records/readers_form.h"
#include "gui/records/schedules_form.h"
#include "tests/gui/records/records_test_support.h"

namespace zep::test {
namespace {

// Ticks and options take clicks on their box and caption only, so click near the left.
void press(QWidget* parent, const char* name) {
    auto* button = child<QAbstractButton>(parent, name);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Start and end of each day, Sunday first: boxes 0..13.
QLineEdit* time_box(QWidget* screen, int box) {
    return child<QLineEdit>(screen, QStringLiteral("time_box_%1").arg(box));
}

TEST(readers_screen, opens_with_all_readers_and_edits_one_through_its_rules) {
    records_program program;
    data::reader_row tcp_row;
    tcp_row.readernum = 7;
    tcp_row.commmode = QStringLiteral("T");
    tcp_row.protocol = QStringLiteral("N");
    ASSERT_TRUE(data::readers_table(program.db()).insert(tcp_row));
    auto* screen = program.open<gui::readers_form>("readersform");
    ASSERT_NE(screen, nullptr);
    QTreeWidget* list = child<QTreeWidget>(screen, "reader_list");
    QLabel* heading = child<QLabel>(screen, "reader_heading");
    ASSERT_EQ(list->topLevelItemCount(), 127);
    EXPECT_EQ(*data::readers_table(program.db()).count(), 127);
    EXPECT_EQ(list->headerItem()->text(7), QStringLiteral("Protocol  Address"));
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("007"));
    EXPECT_EQ(list->topLevelItem(0)->text(5), QStringLiteral("tcp/ip"));
    // Idle: nothing can be edited.
    EXPECT_FALSE(child<QLineEdit>(screen, "name_box")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(screen, "update_reader_button")->isEnabled());

    click(list, row_with(list, 0, "002"));
    EXPECT_EQ(heading->text(), QStringLiteral("Reader 002"));
    EXPECT_FALSE(child<QRadioButton>(screen, "port_com1")->isEnabled());
    press(screen, "mode_serial");
    EXPECT_TRUE(child<QRadioButton>(screen, "port_com1")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(screen, "speed_9600")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(screen, "ip_address_box")->isEnabled());
    press(screen, "port_com2");
    press(screen, "speed_19200");
    EXPECT_FALSE(child<QCheckBox>(screen, "speed_9600")->isChecked());
    press(screen, "speed_19200");  // unticking one ticks the other
    EXPECT_TRUE(child<QCheckBox>(screen, "speed_9600")->isChecked());
    press(screen, "speed_19200");
    EXPECT_FALSE(child<QLineEdit>(screen, "network_address_box")->isEnabled());
    press(screen, "protocol_tick");
    EXPECT_TRUE(child<QLineEdit>(screen, "network_address_box")->isEnabled());

    auto* time = child<QLineEdit>(screen, "time_difference_box");
    QTest::keyClicks(time, QStringLiteral("-2a5"));
    EXPECT_EQ(time->text(), QStringLiteral("-25"));
    QTest::keyClicks(child<QLineEdit>(screen, "name_box"), QStringLiteral("Gate"));
    QTest::keyClicks(child<QLineEdit>(screen, "network_address_box"), QStringLiteral("1x2"));
    press(screen, "update_reader_button");
    EXPECT_EQ(program.answers.messages, QStringList{"Invalid time differential"});
    EXPECT_EQ(heading->text(), QStringLiteral("Reader 002"));
    time->setText(QStringLiteral("-24"));
    press(screen, "update_reader_button");
    EXPECT_TRUE(heading->text().isEmpty());
    EXPECT_FALSE(child<QLineEdit>(screen, "name_box")->isEnabled());

    const auto stored = data::readers_table(program.db()).find(2).value();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->commmode, QStringLiteral("Com2 19200"));
    EXPECT_EQ(stored->protocol, QStringLiteral("Y"));
    EXPECT_EQ(stored->address422, QStringLiteral("12"));
    EXPECT_EQ(stored->readername, QStringLiteral("Gate"));
    EXPECT_EQ(row_with(list, 0, "002")->text(6), QStringLiteral("Y"));

    // Reloading shows the same choices.
    click(list, row_with(list, 0, "002"));
    EXPECT_TRUE(child<QRadioButton>(screen, "mode_serial")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(screen, "port_com2")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(screen, "speed_19200")->isChecked());
}

TEST(readers_screen, refuses_ip_addresses_without_three_single_dots) {
    records_program program;
    auto* screen = program.open<gui::readers_form>("readersform");
    QTreeWidget* list = child<QTreeWidget>(screen, "reader_list");
    click(list, row_with(list, 0, "007"));
    press(screen, "mode_tcp");
    auto* ip = child<QLineEdit>(screen, "ip_address_box");
    EXPECT_TRUE(ip->isEnabled());
    for (const char* refused : {"10.1.2", "10..1.2"}) {
        ip->setText(QString::fromLatin1(refused));
        press(screen, "update_reader_button");
    }
    EXPECT_EQ(program.answers.messages, (QStringList{"Invalid ip address", "Invalid ip address"}));
    QTest::keyClicks(ip, QStringLiteral("x"));
    ip->setText(QStringLiteral("1.2.3."));
    QTest::keyClicks(child<QLineEdit>(screen, "tcp_port_box"), QStringLiteral("10:01"));
    press(screen, "update_reader_button");
    EXPECT_EQ(program.answers.messages.size(), 2);
    const auto stored = data::readers_table(program.db()).find(7).value();
    EXPECT_EQ(stored->commmode, QStringLiteral("tcp/ip"));
    EXPECT_EQ(stored->ipaddress, QStringLiteral("1.2.3."));
    EXPECT_EQ(stored->Port, QStringLiteral("1001"));
    EXPECT_EQ(stored->protocol, QStringLiteral("N"));
}

TEST(schedules_screen, edits_a_schedule_with_the_copy_buttons_and_its_checks) {
    records_program program;
    auto* screen = program.open<gui::schedules_form>("schedulesform");
    ASSERT_NE(screen, nullptr);
    QTreeWidget* list = child<QTreeWidget>(screen, "schedule_list");
    QLabel* heading = child<QLabel>(screen, "schedule_heading");
    ASSERT_EQ(list->topLevelItemCount(), 99);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("001"));
    EXPECT_EQ(list->topLevelItem(0)->text(4), QStringLiteral("0000 - 0000"));
    EXPECT_EQ(*data::schedules_table(program.db()).count(), 99);
    EXPECT_FALSE(time_box(screen, 0)->isEnabled());
    EXPECT_EQ(time_box(screen, 13)->text(), QStringLiteral("0000"));

    double_click(list, row_with(list, 0, "004"));
    EXPECT_EQ(heading->text(), QStringLiteral("Schedule 004"));
    ASSERT_TRUE(time_box(screen, 2)->isEnabled());
    QLineEdit* monday_start = time_box(screen, 2);
    monday_start->clear();
    QTest::keyClicks(monday_start, QStringLiteral("08:00"));
    EXPECT_EQ(monday_start->text(), QStringLiteral("0800"));
    time_box(screen, 3)->setText(QStringLiteral("1730"));
    time_box(screen, 0)->setText(QStringLiteral("0900"));
    press(screen, "copy_mf");
    EXPECT_EQ(time_box(screen, 10)->text(), QStringLiteral("0800"));
    EXPECT_EQ(time_box(screen, 11)->text(), QStringLiteral("1730"));
    EXPECT_EQ(time_box(screen, 12)->text(), QStringLiteral("0000"));
    EXPECT_EQ(time_box(screen, 0)->text(), QStringLiteral("0900"));
    press(screen, "copy_ms");
    EXPECT_EQ(time_box(screen, 13)->text(), QStringLiteral("1730"));

    // Arrows move to the same box of the next or previous day.
    QTest::keyClick(monday_start, Qt::Key_Down);
    EXPECT_EQ(screen->focusWidget(), time_box(screen, 4));
    QTest::keyClick(time_box(screen, 4), Qt::Key_Up);
    EXPECT_EQ(screen->focusWidget(), monday_start);

    time_box(screen, 6)->setText(QStringLiteral("2400"));
    press(screen, "update_schedule_button");
    time_box(screen, 6)->setText(QStringLiteral("800"));
    press(screen, "update_schedule_button");
    EXPECT_EQ(program.answers.messages,
              (QStringList{"Time cannot be > 2359", "All times must be 4 digits long"}));
    EXPECT_EQ(data::schedules_table(program.db()).find(4).value()->monday,
              QStringLiteral("00000000"));

    time_box(screen, 6)->setText(QStringLiteral("0800"));
    child<QLineEdit>(screen, "schedule_name_box")->setText(QStringLiteral("Office"));
    press(screen, "update_schedule_button");
    const auto stored = data::schedules_table(program.db()).find(4).value();
    EXPECT_EQ(stored->schedulename, QStringLiteral("Office"));
    EXPECT_EQ(stored->wednesday, QStringLiteral("08001730"));
    EXPECT_EQ(stored->sunday, QStringLiteral("09000000"));
    EXPECT_EQ(row_with(list, 0, "004")->text(4), QStringLiteral("0800 - 1730"));
    EXPECT_TRUE(time_box(screen, 0)->isEnabled());

    press(screen, "copy_ss");
    EXPECT_EQ(time_box(screen, 12)->text(), QStringLiteral("0900"));
    EXPECT_EQ(time_box(screen, 3)->text(), QStringLiteral("0000"));
}

TEST(schedules_screen, list_sorts_on_the_clicked_column) {
    records_program program;
    program.add_schedule(2, "Bravo");
    program.add_schedule(1, "Charlie");
    auto* screen = program.open<gui::schedules_form>("schedulesform");
    QTreeWidget* list = child<QTreeWidget>(screen, "schedule_list");
    EXPECT_EQ(column_texts(list, 0).mid(0, 3), (QStringList{"001", "002", "003"}));
    QHeaderView* header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    const QStringList names = column_texts(list, 1);
    EXPECT_EQ(names.mid(97), (QStringList{"Bravo", "Charlie"}));
}

}  // namespace
}  // namespace zep::test
