// The Database screens as the operator reaches them: the Database menu, then the side-menu
// entry; each on a fresh database filled through the registers' tables.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "gui/records/activity_chart.h"
#include "gui/records/archive_form.h"
#include "gui/records/dbutil_form.h"
#include "gui/records/newuser_dialog.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/readers_form.h"
#include "gui/records/schedules_form.h"
#include "gui/records/users_form.h"
#include "gui/records/users_import_dialog.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace zep::test {
namespace {

struct records_program : running_program {
    records_program() { window->show(); }
    data::database_file& db() { return *state().db; }

    // Clicks the Database side menu's entry for `screen` and returns the screen shown.
    QWidget* open_screen(const QString& screen) {
        window->show_database();
        QPushButton* entry = menu_entry(window->database_menu(), screen);
        if (!entry) return nullptr;
        QTest::mouseClick(entry, Qt::LeftButton);
        QWidget* shown = current_screen(*window);
        EXPECT_EQ(shown->objectName(), screen);
        return shown;
    }
    template <typename Screen>
    Screen* open(const char* screen) {
        return qobject_cast<Screen*>(open_screen(screen));
    }

    void add_reader(int number, const QString& name) {
        data::readers_table readers(db());
        data::reader_row row = reader_row(number, "");
        row.readername = name;
        ASSERT_TRUE(readers.find(row.readernum).value() ? readers.update(row)
                                                        : readers.insert(row));
    }
    void add_schedule(int number, const QString& name, const QString& day = "08001700") {
        data::schedule_row row;
        row.schedulenum = static_cast<qint16>(number);
        row.schedulename = name;
        row.monday = row.tuesday = row.wednesday = row.thursday = row.friday = day;
        data::schedules_table schedules(db());
        ASSERT_TRUE(schedules.find(row.schedulenum).value() ? schedules.update(row)
                                                            : schedules.insert(row));
    }
    void add_user(const QString& id, const QString& last, const QString& first,
                  const QString& access = QString(254, ' ')) {
        ASSERT_TRUE(data::users_table(db()).insert({id, last, first, access}));
    }
    QString access_of(const QString& id) {
        const auto row = data::users_table(db()).find(id);
        return row && *row ? (*row)->schedules : QString();
    }
};

// The texts of one column of a list, top to bottom.
QStringList column_texts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

QTreeWidgetItem* row_with(const QTreeWidget* list, int column, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly, column);
    EXPECT_FALSE(found.isEmpty()) << "no row " << text.toStdString();
    return found.isEmpty() ? nullptr : found.first();
}

// Clicks (twice: double-clicks) a list row, as the operator does.
void click(QTreeWidget* list, QTreeWidgetItem* item, bool twice = false) {
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void click_header(QHeaderView* header, int section) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
}

// Clicks the button named `name` under `parent`, near its left edge (ticks and options
// take clicks on their box and caption only).
void press(QWidget* parent, const char* name) {
    auto* button = child<QAbstractButton>(parent, name);
    if (button) QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

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
    // Cancel closes with nothing stored; OK saves as Enter in the ID does.
    ASSERT_TRUE(QSqlQuery(program.db().connection()).exec(dropping_trigger("INSERT", "users")));
    for (const bool ok : {false, true}) {
        menus.add_new_user->trigger();
        box("first_name")->setText("Di");
        box("last_name")->setText("Dane");
        box("id_number")->setText("6");
        child<QPushButton>(dialog, ok ? "newuser_ok" : "newuser_cancel")->click();
        EXPECT_NE(dialog->isVisible(), !ok);
        EXPECT_EQ(data::users_table(program.db()).find("6").value().has_value(), ok);
    }
}

// Clicking the current user again reads it afresh.
TEST_F(users_screen, modifying_closes_the_dialog_keeps_the_assignments_and_a_click_rereads) {
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
    QTreeWidget* assignments = child<QTreeWidget>(screen, "assignment_list");
    ASSERT_EQ(assignments->topLevelItemCount(), 1);
    click(assignments, assignments->topLevelItem(0));
    EXPECT_TRUE(child<QWidget>(screen, "weekly_times")->isVisible());
    // Another program gave the user a second reader meanwhile.
    ASSERT_TRUE(data::users_table(program.db()).update({"11", "Baker", "Amy", "0005"}));
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

TEST_F(users_screen, the_list_sorts_deleting_selects_the_next_row_and_imports_are_previewed) {
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

    // A CSV import is previewed, and written only on Import.
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
        click(readers, row_with(readers, 0, reader), true);
        click(schedules, row_with(schedules, 0, schedule), true);
    }
};

TEST_F(assignments_screen, one_reader_or_all_remaining_go_into_their_slots_with_their_times) {
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

    // All remaining readers at all times; then one deleted, and all cleared.
    press(screen, "add_reader_schedule_button");
    press(picker(), "all_remaining_button");
    press(picker(), "all_times_button");
    EXPECT_EQ(child<QLabel>(picker(), "selected_reader")->text(), "998  all remaining");
    EXPECT_EQ(child<QLabel>(picker(), "selected_schedule")->text(), "000  No schedule (all times)");
    press(picker(), "finished_button");
    ASSERT_TRUE(picker_closed());
    EXPECT_EQ(program.access_of("1234"), "0005" + QString(248, '0') + "12");
    ASSERT_EQ(assignments()->topLevelItemCount(), 127);
    click(assignments(), row_with(assignments(), 0, "125  "));
    EXPECT_EQ(shown("times_saturday"), "All times");

    program.answers.confirm_answers = {true};
    program.window->menus().delete_schedule->trigger();
    EXPECT_EQ(program.answers.questions, QStringList{"Delete this reader for this user"});
    EXPECT_EQ(program.access_of("1234"), "0005" + QString(246, '0') + "  12");
    EXPECT_EQ(assignments()->topLevelItemCount(), 126);
    program.answers.confirm_answers = {true};
    press(screen, "clear_schedules_button");
    EXPECT_EQ(program.answers.questions.last(),
              "Remove every reader and schedule assigned to Ann Smith (ID 1234)?");
    EXPECT_EQ(program.access_of("1234"), QString(254, ' '));
    EXPECT_EQ(assignments()->topLevelItemCount(), 0);
    EXPECT_EQ(program.answers.messages.size(), 1);
}

bool checked(QWidget* screen, const char* name) {
    return child<QAbstractButton>(screen, name)->isChecked();
}
bool enabled(QWidget* screen, const char* name) {
    return child<QWidget>(screen, name)->isEnabled();
}

// Unsaved edits are asked about before they could be lost.
TEST(register_screens, open_with_all_rows_edit_one_through_its_rules_and_reload_on_entry) {
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

    // A schedule, with the copy buttons and the time checks.
    auto* schedules = program.open<gui::schedules_form>("schedulesform");
    list = child<QTreeWidget>(schedules, "schedule_list");
    const auto box = [=](int n) {
        return child<QLineEdit>(schedules, QString("time_box_%1").arg(n));
    };
    ASSERT_EQ(list->topLevelItemCount(), 99);
    EXPECT_FALSE(box(0)->isEnabled());
    click(list, row_with(list, 0, "004"), true);
    EXPECT_EQ(child<QLabel>(schedules, "schedule_heading")->text(), "Schedule 004");
    box(2)->clear();
    QTest::keyClicks(box(2), "08:00");
    box(3)->setText("1730");
    press(schedules, "copy_mf");
    QTest::keyClick(box(2), Qt::Key_Down);
    EXPECT_EQ(schedules->focusWidget(), box(4));
    box(6)->setText("2400");
    press(schedules, "update_schedule_button");
    EXPECT_EQ(program.answers.messages.last(), "Time cannot be > 2359");
    box(6)->setText("0800");
    child<QLineEdit>(schedules, "schedule_name_box")->setText("Office");
    press(schedules, "update_schedule_button");
    const auto schedule = data::schedules_table(program.db()).find(4).value();
    EXPECT_EQ(schedule->schedulename + schedule->wednesday + schedule->saturday,
              "Office0800173000000000");
    EXPECT_EQ(row_with(list, 0, "004")->text(4), "0800 - 1730");
    EXPECT_TRUE(box(0)->isEnabled());

    // The side-menu entry of the screen shown reads it afresh; Esc closes it until chosen again.
    program.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(program.window.get()));
    // Each change lands in column 1 of the screen's list: a first name, a reader's, a schedule's.
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"usersform", [&] { program.add_user("1", "Adams", "Late"); }},
        {"readersform", [&] { program.add_reader(5, "Late"); }},
        {"schedulesform", [&] { program.add_schedule(7, "Late"); }},
    };
    for (const auto& [name, change_elsewhere] : cases) {
        QWidget* shown = program.open_screen(name);
        auto* rows = shown->findChild<QTreeWidget*>();
        change_elsewhere();
        EXPECT_TRUE(rows->findItems("Late", Qt::MatchExactly, 1).isEmpty());
        program.open_screen(name);
        EXPECT_EQ(rows->findItems("Late", Qt::MatchExactly, 1).size(), 1) << name;
        rows->setFocus();
        QTest::keyClick(rows, Qt::Key_Escape);
        EXPECT_FALSE(shown->isVisible()) << name;
        EXPECT_EQ(program.open_screen(name), shown);
        EXPECT_TRUE(shown->isVisible()) << name;
    }

    // Unsaved edits are asked about first: Cancel stays, No drops them, Yes saves them.
    QWidget* readers = program.open_screen("readersform");
    list = child<QTreeWidget>(readers, "reader_list");
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
    EXPECT_EQ(program.open_screen("schedulesform"), schedules);
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

TEST_F(log_screens, the_archive_sorts_filters_exports_and_charts_the_log_a_page_at_a_time) {
    auto* screen = program.open<gui::archive_form>("archive");
    QTableView* view = child<QTableView>(screen, "log_list");
    QLabel* count = child<QLabel>(screen, "archive_count");
    EXPECT_EQ(count->text(), "3 rows");
    EXPECT_EQ(view->model()->headerData(4, Qt::Horizontal).toString() + cell(view, 0, 0),
              "Granted2005-02-28 23:59:59");
    click_header(view->horizontalHeader(), 1);
    EXPECT_EQ(cell(view, 1, 1) + cell(view, 2, 1), "Li,BoSmith,Bo");

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

    // A long log: the view holds a page, not the table, until it scrolls.
    std::vector<data::log_row> rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back(
            log_row("2006-01-01 00:00:00", "", 1, QString("Zed%1").arg(i, 4, 10, QChar(u'0'))));
    ASSERT_TRUE(data::log_table(program.db()).insert_all(rows));
    tabs->setCurrentWidget(view);
    press(screen, "refresh_button");
    EXPECT_LT(view->model()->rowCount(), 1003);
    EXPECT_TRUE(wait_until([&] {
        view->scrollToBottom();
        return view->model()->rowCount() == 1003;
    }));
    EXPECT_EQ(cell(view, 1002, 1), "Zed0999,");
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
