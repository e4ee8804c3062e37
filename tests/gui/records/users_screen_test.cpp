#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "core/data/users_table.h"
#include "core/records/access_string.h"
#include "gui/records/newuser_dialog.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/users_form.h"
#include "tests/gui/records/records_test_support.h"

namespace zep::test {
namespace {

void type_user(gui::newuser_dialog* dialog, const QString& first, const QString& last,
               const QString& id) {
    for (const auto& [box, text] : {std::pair{"first_name", first}, std::pair{"last_name", last},
                                    std::pair{"id_number", id}}) {
        QTest::keyClicks(child<QLineEdit>(dialog, box), text);
        QTest::keyClick(child<QLineEdit>(dialog, box), Qt::Key_Return);
    }
}

void right_click(QTreeWidget* list) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            list->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list->viewport(), &event);
}

TEST(users_screen, adding_users_keeps_the_dialog_open_and_refuses_blanks_and_duplicates) {
    records_program program;
    auto* screen = program.open<gui::users_form>("usersform");
    ASSERT_NE(screen, nullptr);
    QTreeWidget* users = child<QTreeWidget>(screen, "user_list");
    QLabel* heading = child<QLabel>(screen, "assignments_heading");
    EXPECT_EQ(heading->text(), QStringLiteral("Readers/Schedules"));
    EXPECT_FALSE(child<QWidget>(screen, "weekly_times")->isVisible());

    program.window->menus().add_new_user->trigger();
    auto* dialog = child<gui::newuser_dialog>(screen, "newuser");
    auto* first_box = child<QLineEdit>(dialog, "first_name");
    auto* last_box = child<QLineEdit>(dialog, "last_name");
    auto* id_box = child<QLineEdit>(dialog, "id_number");
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add New User"));
    QTest::keyClicks(first_box, QStringLiteral("Ann"));
    QTest::keyClick(first_box, Qt::Key_Return);
    EXPECT_EQ(dialog->focusWidget(), last_box);
    QTest::keyClick(last_box, Qt::Key_Down);
    EXPECT_EQ(dialog->focusWidget(), id_box);
    QTest::keyClick(id_box, Qt::Key_Up);
    EXPECT_EQ(dialog->focusWidget(), last_box);
    QTest::keyClicks(last_box, QStringLiteral(" Smith "));
    QTest::keyClick(last_box, Qt::Key_Return);
    QTest::keyClicks(id_box, QStringLiteral("1234"));
    QTest::keyClick(id_box, Qt::Key_Return);

    // Stored trimmed with no access; the dialog waits for the next user.
    EXPECT_EQ(data::users_table(program.db()).find(QStringLiteral("1234")).value(),
              (data::user_row{"1234", "Smith", "Ann", records::access_string::blank()}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(first_box->text().isEmpty());
    EXPECT_TRUE(id_box->text().isEmpty());
    EXPECT_EQ(dialog->focusWidget(), first_box);
    // The first user becomes the current one.
    EXPECT_EQ(heading->text(), QStringLiteral("Readers/Schedules for Ann Smith"));

    type_user(dialog, "Bob", "Brown", "77");
    EXPECT_EQ(column_texts(users, 0), (QStringList{"Brown", "Smith"}));

    type_user(dialog, "Carl", "Cole", "1234");
    for (QLineEdit* box : {first_box, last_box, id_box}) {
        box->clear();
    }
    QTest::keyClick(id_box, Qt::Key_Return);
    last_box->setText(QStringLiteral("Doe"));
    dialog->save_user();
    first_box->setText(QStringLiteral("Dan"));
    id_box->setText(QStringLiteral("  "));
    dialog->save_user();
    EXPECT_EQ(program.answers.messages,
              (QStringList{"User ID already being used", "Last Name cannot be blank",
                           "First Name cannot be blank", "ID Number cannot be blank"}));
    EXPECT_EQ(*data::users_table(program.db()).count(), 2);

    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST(users_screen, modifying_closes_the_dialog_and_keeps_the_assignments) {
    records_program program;
    program.add_user("10", "Adams", "Amy",
                     records::access_string::with_slot(records::access_string::blank(), 3, "005"));
    program.add_user("20", "Brown", "Bob");
    auto* screen = program.open<gui::users_form>("usersform");
    QTreeWidget* users = child<QTreeWidget>(screen, "user_list");
    QLabel* heading = child<QLabel>(screen, "assignments_heading");
    click(users, row_with(users, 2, "10"));

    program.window->menus().modify_user->trigger();
    auto* dialog = child<gui::newuser_dialog>(screen, "newuser");
    auto* last_box = child<QLineEdit>(dialog, "last_name");
    auto* id_box = child<QLineEdit>(dialog, "id_number");
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Modify User"));
    EXPECT_EQ(dialog->typed().lastname, QStringLiteral("Adams"));
    id_box->setText(QStringLiteral("20"));
    dialog->save_user();
    EXPECT_EQ(program.answers.messages, QStringList{"ID number already being used"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), id_box);

    // Same ID, new name: allowed, and the dialog closes.
    id_box->setText(QStringLiteral("10"));
    last_box->setText(QStringLiteral("Baker"));
    QTest::keyClick(id_box, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(column_texts(users, 0), (QStringList{"Baker", "Brown"}));
    EXPECT_EQ(heading->text(), QStringLiteral("Readers/Schedules for Amy Baker"));
    EXPECT_EQ(program.access_of("10"),
              records::access_string::with_slot(records::access_string::blank(), 3, "005"));
    EXPECT_EQ(child<QTreeWidget>(screen, "assignment_list")->topLevelItemCount(), 1);

    // A new ID moves the row and keeps its access.
    click(users, row_with(users, 2, "10"));
    screen->lmu();
    id_box->setText(QStringLiteral("11"));
    dialog->save_user();
    EXPECT_EQ(program.access_of("11"),
              records::access_string::with_slot(records::access_string::blank(), 3, "005"));
    EXPECT_TRUE(program.access_of("10").isEmpty());
}

TEST(users_screen, list_sorts_on_the_clicked_header_and_the_menu_follows_the_list) {
    records_program program;
    auto* screen = program.open<gui::users_form>("usersform");
    QTreeWidget* users = child<QTreeWidget>(screen, "user_list");
    right_click(users);
    const gui::shell_menus& menus = program.window->menus();
    EXPECT_TRUE(menus.user_menu->isVisible());
    EXPECT_FALSE(menus.modify_user->isEnabled());
    EXPECT_FALSE(menus.delete_user->isEnabled());
    EXPECT_TRUE(menus.add_new_user->isEnabled());
    menus.user_menu->close();

    program.add_user("3", "Clark", "Al");
    program.add_user("1", "Adams", "Cy");
    program.add_user("2", "Brown", "Bo");
    screen->loadup();
    EXPECT_EQ(column_texts(users, 0), (QStringList{"Adams", "Brown", "Clark"}));
    EXPECT_EQ(screen->current_user().userid, QStringLiteral("1"));
    QHeaderView* header = users->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(column_texts(users, 1), (QStringList{"Al", "Bo", "Cy"}));
    // Clicking again keeps it ascending.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(column_texts(users, 1), (QStringList{"Al", "Bo", "Cy"}));
    right_click(users);
    EXPECT_TRUE(menus.modify_user->isEnabled());
    EXPECT_TRUE(menus.delete_user->isEnabled());
    menus.user_menu->close();
}

TEST(users_screen, deleting_users_selects_the_row_now_in_place) {
    records_program program;
    program.add_user("1", "Adams", "Al");
    program.add_user("2", "Brown", "Bo");
    program.add_user("3", "Clark", "Cy");
    auto* screen = program.open<gui::users_form>("usersform");
    QTreeWidget* list = child<QTreeWidget>(screen, "user_list");
    QLabel* heading = child<QLabel>(screen, "assignments_heading");

    click(list, row_with(list, 0, "Brown"));
    program.window->menus().delete_user->trigger();
    EXPECT_EQ(column_texts(list, 0), (QStringList{"Adams", "Clark"}));
    EXPECT_EQ(screen->current_user().userid, QStringLiteral("3"));
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Clark"));

    screen->ldu();  // the last row: its neighbour above takes its place
    EXPECT_EQ(screen->current_user().userid, QStringLiteral("1"));
    EXPECT_EQ(heading->text(), QStringLiteral("Readers/Schedules for Al Adams"));

    screen->ldu();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(heading->text(), QStringLiteral("Readers/Schedules"));
    EXPECT_FALSE(child<QWidget>(screen, "weekly_times")->isVisible());
    EXPECT_EQ(*data::users_table(program.db()).count(), 0);
    EXPECT_TRUE(program.answers.messages.isEmpty());
    EXPECT_TRUE(program.answers.questions.isEmpty());

    // Nothing to work on: the register says so.
    screen->add_reader_schedule();
    screen->clear_schedules();
    screen->delsch();
    EXPECT_EQ(program.answers.messages,
              (QStringList{"There are no users in the database. Add a user first",
                           "There are no users in the database. Add a user first"}));
}

}  // namespace
}  // namespace zep::test
