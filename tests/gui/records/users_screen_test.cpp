#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include "core/data/users_table.h"
#include "gui/records/newuser_dialog.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/users_form.h"
#include "gui/records/users_import_dialog.h"
#include "tests/gui/records/records_test_support.h"
#include "tests/support/data/temp_database.h"

namespace zep::test {
namespace {

struct users_screen : ::testing::Test {
    records_program program;
    gui::users_form* screen = program.open<gui::users_form>("usersform");
    QTreeWidget* users = child<QTreeWidget>(screen, "user_list");
    QLabel* heading = child<QLabel>(screen, "assignments_heading");
    gui::newuser_dialog* dialog = child<gui::newuser_dialog>(screen, "newuser");
    const gui::shell_menus& menus = program.window->menus();

    QLineEdit* box(const char* name) { return child<QLineEdit>(dialog, name); }
    void type_into(const char* name, const QString& text) {
        QTest::keyClicks(box(name), text);
        QTest::keyClick(box(name), Qt::Key_Return);
    }
    void add_user(const QString& first, const QString& last, const QString& id) {
        type_into("first_name", first);
        type_into("last_name", last);
        type_into("id_number", id);
    }
    // Whether the user list's menu offers Modify and Delete.
    bool menu_offers_changes() {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                users->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(users->viewport(), &event);
        EXPECT_TRUE(menus.user_menu->isVisible());
        menus.user_menu->close();
        return menus.modify_user->isEnabled() && menus.delete_user->isEnabled();
    }
};

TEST_F(users_screen, adding_users_moves_through_the_fields_and_keeps_the_dialog_open) {
    menus.add_new_user->trigger();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Add New User");
    type_into("first_name", "Ann");
    EXPECT_EQ(dialog->focusWidget(), box("last_name"));
    QTest::keyClick(box("last_name"), Qt::Key_Down);
    QTest::keyClick(box("id_number"), Qt::Key_Up);
    EXPECT_EQ(dialog->focusWidget(), box("last_name"));
    type_into("last_name", " Smith ");
    type_into("id_number", "1234");
    EXPECT_EQ(data::users_table(program.db()).find("1234").value()->lastname, "Smith");
    EXPECT_EQ(dialog->typed().firstname, "");
    EXPECT_EQ(dialog->focusWidget(), box("first_name"));
    EXPECT_EQ(heading->text(), "Readers/Schedules for Ann Smith");  // the first user is current

    // A refusal, and a write the database refuses: told, and the list stays as the table.
    add_user("Bob", "Brown", "77");
    add_user("Bob", "Brown", "1234");
    EXPECT_EQ(dialog->focusWidget(), box("id_number"));
    ASSERT_TRUE(QSqlQuery(program.db().connection()).exec(refusing_trigger("INSERT", "users")));
    add_user("Cy", "Cole", "5");
    EXPECT_EQ(program.answers.messages,
              (QStringList{"User ID already being used", "Internal Database Error"}));
    EXPECT_EQ(column_texts(users, 0), (QStringList{"Brown", "Smith"}));
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    // OK saves as Enter in the ID does; Cancel closes with nothing stored.
    menus.add_new_user->trigger();
    box("first_name")->setText("Di");
    box("last_name")->setText("Dane");
    box("id_number")->setText("6");
    child<QPushButton>(dialog, "newuser_cancel")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(data::users_table(program.db()).find("6").value());
    ASSERT_TRUE(QSqlQuery(program.db().connection()).exec(dropping_trigger("INSERT", "users")));
    menus.add_new_user->trigger();
    box("first_name")->setText("Di");
    box("last_name")->setText("Dane");
    box("id_number")->setText("6");
    child<QPushButton>(dialog, "newuser_ok")->click();
    EXPECT_TRUE(data::users_table(program.db()).find("6").value());
}

TEST_F(users_screen, modifying_closes_the_dialog_and_keeps_the_assignments) {
    program.add_user("10", "Adams", "Amy", "      05" + QString(246, ' '));
    program.add_user("20", "Brown", "Bob");
    screen->loadup();
    menus.modify_user->trigger();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Modify User");
    EXPECT_EQ(box("last_name")->text(), "Adams");
    box("id_number")->setText("20");
    dialog->save_user();
    EXPECT_EQ(program.answers.messages, QStringList{"ID number already being used"});
    EXPECT_EQ(dialog->focusWidget(), box("id_number"));
    box("id_number")->setText("11");
    box("last_name")->setText("Baker");
    QTest::keyClick(box("id_number"), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(column_texts(users, 2), (QStringList{"11", "20"}));
    EXPECT_EQ(heading->text(), "Readers/Schedules for Amy Baker");
    EXPECT_EQ(child<QTreeWidget>(screen, "assignment_list")->topLevelItemCount(), 1);
}

TEST_F(users_screen, the_list_sorts_on_the_clicked_header_and_deleting_selects_the_next_row) {
    EXPECT_FALSE(menu_offers_changes());
    program.add_user("3", "Clark", "Al");
    program.add_user("1", "Adams", "Cy");
    program.add_user("2", "Brown", "Bo");
    screen->loadup();
    EXPECT_EQ(screen->current_user().userid, "1");
    click_header(users->header(), 1);
    click_header(users->header(), 1);  // again: still ascending
    EXPECT_EQ(column_texts(users, 1), (QStringList{"Al", "Bo", "Cy"}));
    EXPECT_TRUE(menu_offers_changes());

    // Each deletion asks first, naming the user; No keeps the row.
    click(users, row_with(users, 0, "Brown"));
    menus.delete_user->trigger();
    EXPECT_EQ(program.answers.questions,
              QStringList{"Delete the user Bo Brown (ID 2) and every reader and schedule "
                          "assigned to them?"});
    EXPECT_EQ(users->topLevelItemCount(), 3);
    program.answers.confirm_answers = {true, true, true};
    menus.delete_user->trigger();
    EXPECT_EQ(column_texts(users, 0), (QStringList{"Clark", "Adams"}));
    EXPECT_EQ(screen->current_user().userid, "1");  // the row now in its place
    screen->ldu();  // the last row: its neighbour above takes its place
    EXPECT_EQ(heading->text(), "Readers/Schedules for Al Clark");
    screen->ldu();
    EXPECT_EQ(heading->text(), "Readers/Schedules");
    EXPECT_EQ(*data::users_table(program.db()).count(), 0);
    // With no user left the assignment buttons still answer.
    press(screen, "add_reader_schedule_button");
    press(screen, "clear_schedules_button");
    EXPECT_EQ(program.answers.messages,
              QStringList(2, "There are no users in the database. Add a user first"));
}

TEST_F(users_screen, clicking_the_current_user_again_selects_it_again) {
    program.add_user("1", "Adams", "Al", "      05" + QString(246, ' '));
    screen->loadup();
    QTreeWidget* assignments = child<QTreeWidget>(screen, "assignment_list");
    click(assignments, assignments->topLevelItem(0));
    EXPECT_TRUE(child<QWidget>(screen, "weekly_times")->isVisible());
    // Another program gave the user a second reader meanwhile.
    ASSERT_TRUE(data::users_table(program.db()).update({"1", "Adams", "Al", "0005"}));
    click(users, users->topLevelItem(0));
    EXPECT_FALSE(child<QWidget>(screen, "weekly_times")->isVisible());
    EXPECT_EQ(column_texts(assignments, 0), (QStringList{"000  ", "001  "}));
}

// The import preview, answered while it is open: `act` runs on it once it shows.
void on_preview(const std::function<void(gui::users_import_dialog*)>& act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* preview = qobject_cast<gui::users_import_dialog*>(window)) act(preview);
        }
    });
}

TEST_F(users_screen, a_csv_import_is_previewed_and_written_only_on_import) {
    program.add_schedule(5, "Day");
    program.add_user("2", "Old", "Name");
    screen->loadup();
    const QString csv = program.folder.path() + "/users.csv";
    write_file(csv, "userid,lastname,firstname,reader_003\n1,Adams,Al,5\n2,New,Name,\n3,,X,\n");
    program.answers.file_answers = {csv};
    on_preview([](gui::users_import_dialog* preview) {
        EXPECT_EQ(child<QLabel>(preview, "import_summary")->text(),
                  "1 faulty lines: nothing can be imported until they are mended");
        EXPECT_EQ(child<QListWidget>(preview, "import_faults")->item(0)->text(),
                  "line 4: the last name is empty");
        EXPECT_FALSE(child<QPushButton>(preview, "import_button")->isEnabled());
        preview->reject();
    });
    press(screen, "import_users_button");
    EXPECT_EQ(column_texts(users, 0), QStringList{"Old"});

    write_file(csv, "userid,lastname,firstname,reader_003\n1,Adams,Al,5\n2,New,Name,\n");
    program.answers.file_answers = {csv};
    on_preview([](gui::users_import_dialog* preview) {
        EXPECT_EQ(child<QLabel>(preview, "import_summary")->text(),
                  "1 added, 1 updated, 0 unchanged");
        auto* rows = child<QTreeWidget>(preview, "import_preview");
        EXPECT_EQ(column_texts(rows, 3), (QStringList{"003:05", ""}));
        child<QPushButton>(preview, "import_button")->click();
    });
    press(screen, "import_users_button");
    EXPECT_EQ(column_texts(users, 0), (QStringList{"Adams", "New"}));
    EXPECT_EQ(program.answers.status_lines.last(), "1 added, 1 updated, 0 unchanged");

    program.answers.file_answers = {csv + ".out"};
    press(screen, "export_users_button");
    EXPECT_EQ(file_bytes(csv + ".out"),
              "userid,lastname,firstname,reader_003\r\n1,Adams,Al,05\r\n2,New,Name,\r\n");
    EXPECT_EQ(program.answers.file_requests.last(), "save|users.csv|CSV (*.csv)|*.csv");
}

struct assignments_screen : users_screen {
    void SetUp() override {
        program.add_reader(1, "Lobby");
        program.add_reader(126, "Back gate");
        program.add_schedule(5, "Day shift");
        program.add_schedule(12, "Night shift", "22000600");
        program.add_user("1234", "Smith", "Ann", "  05" + QString(250, ' '));
        screen->loadup();
    }

    QTreeWidget* assignments() const { return child<QTreeWidget>(screen, "assignment_list"); }
    QString shown(const char* label) const { return child<QLabel>(screen, label)->text(); }
    // Null once the picker has closed.
    gui::readerpop_dialog* picker() const { return screen->findChild<gui::readerpop_dialog*>(); }
    bool picker_closed() const {
        return wait_until([this] { return picker() == nullptr; });
    }
    void choose(const QString& reader, const QString& schedule) {
        auto* readers = child<QTreeWidget>(picker(), "reader_list");
        auto* schedules = child<QTreeWidget>(picker(), "schedule_list");
        double_click(readers, row_with(readers, 0, reader));
        double_click(schedules, row_with(schedules, 0, schedule));
    }
};

TEST_F(assignments_screen, one_reader_goes_into_its_slot_and_shows_its_weekly_times) {
    press(screen, "add_reader_schedule_button");
    ASSERT_TRUE(picker() && picker()->isVisible());
    EXPECT_EQ(picker()->windowTitle(), "Add Reader and Schedule for user Ann Smith,  ID:1234");
    EXPECT_EQ(column_texts(child<QTreeWidget>(picker(), "schedule_list"), 3),
              (QStringList{"0800 - 1700", "2200 - 0600"}));
    press(picker(), "finished_button");
    EXPECT_EQ(program.answers.messages, QStringList{"Please select a reader and schedule"});
    choose("126", "012");
    EXPECT_EQ(child<QLabel>(picker(), "selected_reader")->text(), "126  Back gate");
    EXPECT_EQ(child<QLabel>(picker(), "selected_schedule")->text(), "012  Night shift");
    press(picker(), "finished_button");
    ASSERT_TRUE(picker_closed());
    EXPECT_EQ(program.access_of("1234"), "  05" + QString(248, ' ') + "12");
    EXPECT_EQ(column_texts(assignments(), 1), (QStringList{"005  Day shift", "012  Night shift"}));
    click(assignments(), assignments()->topLevelItem(1));
    EXPECT_EQ(shown("times_monday"), "2200 - 0600");

    // Esc after choosing stores nothing.
    press(screen, "add_reader_schedule_button");
    EXPECT_FALSE(child<QWidget>(screen, "weekly_times")->isVisible());
    choose("001", "005");
    QTest::keyClick(picker(), Qt::Key_Escape);
    ASSERT_TRUE(picker_closed());
    EXPECT_EQ(program.access_of("1234"), "  05" + QString(248, ' ') + "12");
}

TEST_F(assignments_screen, all_remaining_readers_at_all_times_then_delete_one_and_clear) {
    press(screen, "add_reader_schedule_button");
    press(picker(), "all_remaining_button");
    press(picker(), "all_times_button");
    EXPECT_EQ(child<QLabel>(picker(), "selected_reader")->text(), "998  all remaining");
    EXPECT_EQ(child<QLabel>(picker(), "selected_schedule")->text(), "000  No schedule (all times)");
    press(picker(), "finished_button");
    ASSERT_TRUE(picker_closed());
    EXPECT_EQ(program.access_of("1234"), "0005" + QString(250, '0'));
    ASSERT_EQ(assignments()->topLevelItemCount(), 127);
    click(assignments(), row_with(assignments(), 0, "126  Back gate"));
    EXPECT_EQ(shown("times_saturday"), "All times");

    program.answers.confirm_answers = {true};
    program.window->menus().delete_schedule->trigger();
    EXPECT_EQ(program.answers.questions, QStringList{"Delete this reader for this user"});
    EXPECT_EQ(program.access_of("1234"), "0005" + QString(248, '0') + "  ");
    EXPECT_EQ(assignments()->topLevelItemCount(), 126);
    program.answers.confirm_answers = {true};
    press(screen, "clear_schedules_button");
    EXPECT_EQ(program.answers.questions.last(),
              "Remove every reader and schedule assigned to Ann Smith (ID 1234)?");
    EXPECT_EQ(program.access_of("1234"), QString(254, ' '));
    EXPECT_EQ(assignments()->topLevelItemCount(), 0);
    EXPECT_TRUE(program.answers.messages.isEmpty());
}

}  // namespace
}  // namespace zep::test
