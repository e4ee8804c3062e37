#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "gui/records/activity_chart.h"
#include "gui/records/archive_form.h"
#include "gui/records/dbutil_form.h"
#include "gui/records/readers_form.h"
#include "gui/records/schedules_form.h"
#include "tests/gui/records/records_test_support.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace zep::test {
namespace {

bool checked(QWidget* screen, const char* name) {
    return child<QAbstractButton>(screen, name)->isChecked();
}
bool enabled(QWidget* screen, const char* name) {
    return child<QWidget>(screen, name)->isEnabled();
}

TEST(readers_screen, opens_with_all_readers_and_edits_one_through_its_rules) {
    records_program program;
    auto* screen = program.open<gui::readers_form>("readersform");
    QTreeWidget* list = child<QTreeWidget>(screen, "reader_list");
    QLabel* heading = child<QLabel>(screen, "reader_heading");
    ASSERT_EQ(list->topLevelItemCount(), 127);
    EXPECT_EQ(list->headerItem()->text(7), "Protocol  Address");
    EXPECT_FALSE(enabled(screen, "name_box") || enabled(screen, "update_reader_button"));

    click(list, row_with(list, 0, "002"));
    EXPECT_EQ(heading->text(), "Reader 002");
    EXPECT_FALSE(enabled(screen, "port_com1"));
    press(screen, "mode_serial");
    EXPECT_TRUE(checked(screen, "port_com1") && checked(screen, "speed_9600"));
    press(screen, "port_com2");
    press(screen, "speed_19200");
    press(screen, "protocol_tick");
    QTest::keyClicks(child<QLineEdit>(screen, "network_address_box"), "1x2");
    auto* time = child<QLineEdit>(screen, "time_difference_box");
    QTest::keyClicks(time, "-2a5");
    press(screen, "update_reader_button");
    EXPECT_EQ(program.answers.messages, QStringList{"Invalid time differential"});
    EXPECT_EQ(heading->text(), "Reader 002");
    time->setText("-24");
    press(screen, "update_reader_button");
    EXPECT_TRUE(heading->text().isEmpty());
    EXPECT_FALSE(enabled(screen, "name_box"));
    const auto stored = data::readers_table(program.db()).find(2).value();
    EXPECT_EQ(stored->commmode + stored->protocol + stored->address422 + stored->timezone,
              "Com2 19200Y12-24");
    EXPECT_EQ(row_with(list, 0, "002")->text(6), "Y");
    click(list, row_with(list, 0, "002"));
    EXPECT_TRUE(checked(screen, "mode_serial") && checked(screen, "port_com2") &&
                checked(screen, "speed_19200"));
}

TEST(schedules_screen, edits_a_schedule_with_the_copy_buttons_and_its_checks) {
    records_program program;
    auto* screen = program.open<gui::schedules_form>("schedulesform");
    QTreeWidget* list = child<QTreeWidget>(screen, "schedule_list");
    const auto box = [screen](int n) {
        return child<QLineEdit>(screen, QStringLiteral("time_box_%1").arg(n));
    };
    ASSERT_EQ(list->topLevelItemCount(), 99);
    EXPECT_FALSE(box(0)->isEnabled());
    double_click(list, row_with(list, 0, "004"));
    EXPECT_EQ(child<QLabel>(screen, "schedule_heading")->text(), "Schedule 004");
    box(2)->clear();
    QTest::keyClicks(box(2), "08:00");
    box(3)->setText("1730");
    press(screen, "copy_mf");
    QTest::keyClick(box(2), Qt::Key_Down);
    EXPECT_EQ(screen->focusWidget(), box(4));
    box(6)->setText("2400");
    press(screen, "update_schedule_button");
    EXPECT_EQ(program.answers.messages, QStringList{"Time cannot be > 2359"});
    box(6)->setText("0800");
    child<QLineEdit>(screen, "schedule_name_box")->setText("Office");
    press(screen, "update_schedule_button");
    const auto stored = data::schedules_table(program.db()).find(4).value();
    EXPECT_EQ(stored->schedulename + stored->wednesday + stored->saturday,
              "Office0800173000000000");
    EXPECT_EQ(row_with(list, 0, "004")->text(4), "0800 - 1730");
    EXPECT_TRUE(box(0)->isEnabled());
}

// The side-menu entry of the screen shown reads it afresh; Esc closes it until chosen again.
TEST(register_screens, the_entry_again_reloads_escape_closes_and_unsaved_edits_ask_first) {
    records_program program;
    program.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(program.window.get()));
    // Each change lands in column 1 of the screen's list: a first name, a reader's, a schedule's.
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"usersform", [&] { program.add_user("1", "Adams", "Late"); }},
        {"readersform", [&] { program.add_reader(5, "Late"); }},
        {"schedulesform", [&] { program.add_schedule(7, "Late"); }},
    };
    for (const auto& [name, change_elsewhere] : cases) {
        QWidget* screen = program.open_screen(name);
        auto* list = screen->findChild<QTreeWidget*>();
        change_elsewhere();
        EXPECT_TRUE(list->findItems("Late", Qt::MatchExactly, 1).isEmpty());
        program.open_screen(name);
        EXPECT_EQ(list->findItems("Late", Qt::MatchExactly, 1).size(), 1) << name;
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_FALSE(screen->isVisible()) << name;
        EXPECT_EQ(program.open_screen(name), screen);
        EXPECT_TRUE(screen->isVisible()) << name;
    }

    // Unsaved edits are asked about first: Cancel stays, No drops them, Yes saves them.
    QWidget* readers = program.open_screen("readersform");
    QTreeWidget* list = child<QTreeWidget>(readers, "reader_list");
    click(list, row_with(list, 0, "002"));
    auto* name = child<QLineEdit>(readers, "name_box");
    name->setText("Gate");
    click(list, row_with(list, 0, "003"));
    QTest::mouseClick(menu_entry(program.window->database_menu(), "schedulesform"), Qt::LeftButton);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Escape);
    EXPECT_EQ(current_screen(*program.window), readers);
    EXPECT_TRUE(readers->isVisible() && name->text() == "Gate");
    EXPECT_EQ(program.answers.questions, QStringList(3, "Save the changes?"));
    program.answers.choice_answers = {false, true};
    click(list, row_with(list, 0, "003"));
    name->setText("Door");
    QWidget* schedules = program.open_screen("schedulesform");
    EXPECT_EQ(current_screen(*program.window), schedules);
    data::readers_table table(program.db());
    EXPECT_EQ(table.find(2).value()->readername + table.find(3).value()->readername, "Door");
}

TEST(main_window, says_in_the_status_bar_what_start_up_could_not_use) {
    program_folder folder;
    folder.save([](program::session&) {});
    ASSERT_EQ(run_sql(folder.db_path(), {"UPDATE settings SET proxidlen = NULL"}), "");
    scripted_operator answers;
    gui::main_window window(folder.start(), &answers);
    EXPECT_EQ(window.state().settings.proxidlen, 16);
    EXPECT_EQ(window.statusBar()->currentMessage(),
              "Settings field \"proxidlen\" holds \"\", not a 16-bit number: "
              "its default 16 is used");
}

QString cell(const QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

struct log_screens : ::testing::Test {
    // The archive with `text` typed into the filter box `name`, applied at once.
    void type_filter(gui::archive_form* screen, const char* name, const QString& text) {
        auto* box = child<QLineEdit>(screen, name);
        box->clear();
        QTest::keyClicks(box, text);
        screen->apply_filter();
    }

    records_program program;

    void SetUp() override {
        std::vector<data::log_row> rows = {log_row("2005-03-02 09:00:00", "9", 3, "Smith"),
                                           log_row("2005-03-01 08:00:00", "1234", 5, "Li ", false),
                                           log_row("2005-02-28 23:59:59", "7", 5, "Adams")};
        for (data::log_row& row : rows) row.firstname = "Bo";
        ASSERT_TRUE(data::log_table(program.db()).insert_all(rows));
    }
    QString out(const char* name) { return program.folder.path() + "/zep." + name; }
};

TEST_F(log_screens, archive_lists_the_log_sorted_on_the_clicked_column_a_page_at_a_time) {
    auto* screen = program.open<gui::archive_form>("archive");
    QTableView* view = child<QTableView>(screen, "log_list");
    ASSERT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(view->model()->headerData(4, Qt::Horizontal).toString() + cell(view, 0, 0),
              "Granted2005-02-28 23:59:59");
    click_header(view->horizontalHeader(), 1);
    EXPECT_EQ(cell(view, 1, 1) + cell(view, 2, 1), "Li,BoSmith,Bo");

    // A long log: the view holds a page, not the table, until it scrolls.
    std::vector<data::log_row> rows;
    for (int i = 0; i < 1000; ++i) {
        rows.push_back(log_row("2006-01-01 00:00:00", "", 1,
                               QStringLiteral("Zed%1").arg(i, 4, 10, QLatin1Char('0'))));
    }
    ASSERT_TRUE(data::log_table(program.db()).insert_all(rows));
    press(screen, "refresh_button");
    EXPECT_LT(view->model()->rowCount(), 1003);
    EXPECT_TRUE(wait_until([&] {
        view->scrollToBottom();
        return view->model()->rowCount() == 1003;
    }));
    EXPECT_EQ(cell(view, 1002, 1), "Zed0999,");
}

TEST_F(log_screens, the_archive_filters_the_list_its_export_and_its_chart) {
    auto* screen = program.open<gui::archive_form>("archive");
    QTableView* view = child<QTableView>(screen, "log_list");
    QLabel* count = child<QLabel>(screen, "archive_count");
    EXPECT_EQ(count->text(), "3 rows");
    child<QComboBox>(screen, "filter_reader")->setCurrentText("5");
    screen->apply_filter();
    EXPECT_EQ(count->text(), "2 matching rows");
    child<QComboBox>(screen, "filter_outcome")->setCurrentIndex(2);  // refused
    EXPECT_EQ(count->text(), "1 matching rows");
    EXPECT_EQ(cell(view, 0, 1), "Li,Bo");
    child<QComboBox>(screen, "filter_outcome")->setCurrentIndex(0);
    type_filter(screen, "filter_match", "ADA");
    EXPECT_EQ(count->text(), "1 matching rows");
    type_filter(screen, "filter_from", "13-45-2005");
    EXPECT_EQ(count->text(),
              "From: not understood (dates are MM-DD-YYYY [hh:mm], readers 0 to 126)");
    EXPECT_EQ(view->model()->rowCount(), 1);  // the list stays as it was
    press(screen, "clear_filter_button");
    EXPECT_EQ(count->text(), "3 rows");

    type_filter(screen, "filter_to", "03-01-2005");
    program.answers.file_answers = {out("csv")};
    press(screen, "export_csv_button");
    EXPECT_EQ(file_bytes(out("csv")),
              "datetime,reader,location,idnum,lastname,firstname,granted\r\n"
              "2005-02-28 23:59:59,005,,7,Adams,Bo,Y\r\n"
              "2005-03-01 08:00:00,005,,1234,Li,Bo,N\r\n");
    EXPECT_EQ(program.answers.status_lines.last(), "2 rows written to " + out("csv"));

    // The chart: two days hour by hour; a click lists that hour.
    auto* tabs = child<QTabWidget>(screen, "archive_tabs");
    auto* chart = child<gui::activity_chart>(screen, "activity_chart");
    tabs->setCurrentWidget(chart);
    ASSERT_EQ(chart->bar_count(), 48);
    EXPECT_EQ(chart->bar_text(32), "2005-03-01 08:00-08:59: 0 granted, 1 refused");
    EXPECT_EQ(chart->info_text(),
              "1 granted, 1 refused. Point at a bar for its counts; click it to list that hour.");
    chart->click_bar(32);
    EXPECT_EQ(child<QLineEdit>(screen, "filter_from")->text(), "03-01-2005 08:00");
    EXPECT_EQ(child<QLineEdit>(screen, "filter_to")->text(), "03-01-2005 08:59");
    EXPECT_EQ(tabs->currentWidget(), view);
    EXPECT_EQ(count->text(), "1 matching rows");
    // The whole log spans three days: a bar per day.
    press(screen, "clear_filter_button");
    tabs->setCurrentWidget(chart);
    EXPECT_EQ(chart->bar_count(), 3);
    program.answers.file_answers = {out("png")};
    press(screen, "save_chart_button");
    EXPECT_TRUE(file_bytes(out("png")).startsWith("\x89PNG"));
    if (const QString shots = qEnvironmentVariable("ZEP_SCREENSHOTS"); !shots.isEmpty()) {
        QTest::qWait(200);
        program.window->grab().save(shots + "/archive_chart.png");
    }
}

TEST_F(log_screens, utilities_show_the_remembered_choices_export_delete_and_list_employees) {
    program.state().marker = {true, false};
    auto* screen = program.open<gui::dbutil_form>("dbutil");
    EXPECT_TRUE(child<QRadioButton>(screen, "comma_delimited")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(screen, "add_to_all_active")->isChecked());
    EXPECT_EQ(child<QLineEdit>(screen, "delete_start_date")->text(),
              QDate::currentDate().toString("MM-dd-yyyy"));
    child<QLineEdit>(screen, "export_start_date")->setText("03-01-2005");
    child<QLineEdit>(screen, "export_end_date")->setText("03-02-2005");
    QTest::keyClicks(child<QLineEdit>(screen, "export_reader"), "x5");
    program.answers.file_answers = {out("comma")};
    press(screen, "export_log_button");
    EXPECT_EQ(file_bytes(out("comma")), "2005-03-01 08:00:00,Li,Bo,1234,005,,N\r\r\n");
    EXPECT_EQ(child<QLabel>(screen, "dbutil_status")->text(), "1 row written to " + out("comma"));
    press(screen, "fixed_format");
    EXPECT_TRUE(program.state().marker.export_fixed);

    child<QLineEdit>(screen, "delete_start_date")->setText("03-01-2005");
    child<QLineEdit>(screen, "delete_end_date")->setText("03-02-2005");
    press(screen, "delete_log_button");  // No: nothing goes
    program.answers.confirm_answers = {true};
    press(screen, "delete_log_button");
    EXPECT_EQ(program.answers.questions,
              QStringList(2, "Delete 2 log records from 03-01-2005 to 03-02-2005?"));
    program.add_user("1234", "Smith", "Ann");
    program.answers.file_answers = {out("employees")};
    press(screen, "export_employees_button");
    EXPECT_EQ(file_bytes(out("employees")), "Smith,Ann                          1234\r\r\n");
    EXPECT_EQ(program.answers.messages,
              (QStringList{"Export Complete", "Deletion Complete - 2 Records Deleted",
                           "Export Complete"}));

    // A series: the question counts the new IDs only; No adds none.
    program.add_reader(4, "Door");
    QTest::keyClicks(child<QLineEdit>(screen, "series_start"), "1233");
    QTest::keyClicks(child<QLineEdit>(screen, "series_end"), "1235");
    QTest::keyClicks(child<QLineEdit>(screen, "series_schedule"), "0");
    program.answers.confirm_answers = {false, true};
    press(screen, "add_series_button");
    press(screen, "add_series_button");
    EXPECT_EQ(program.answers.questions.mid(2),
              QStringList(2, "Add 2 users with the IDs 1233 to 1235?"));
    EXPECT_EQ(program.answers.messages.last(), "Added 2 users (1 already existed)");
    EXPECT_EQ(program.access_of("1235").mid(8, 2), "00");
}

}  // namespace
}  // namespace zep::test
