#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
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
    QTest::keyClicks(dialog->first_name(), first);
    QTest::keyClick(dialog->first_name(), Qt::Key_Return);
    QTest::keyClicks(dialog->last_name(), last);
    QTest::keyClick(dialog->last_name(), Qt::Key_Return);
    QTest::keyClicks(dialog->id_number(), id);
    QTest::keyClick(dialog->id_number(), Qt::Key_Return);
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
    EXPECT_EQ(screen->heading()->text(), QStringLiteral("Readers/Schedules"));
    EXPECT_FALSE(screen->times_row()->isVisible());

    program.window->menus().add_new_user->trigger();
    gui::newuser_dialog* dialog = screen->user_dialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add New User"));
    QTest::keyClicks(dialog->first_name(), QStringLiteral("Ann"));
    QTest::keyClick(dialog->first_name(), Qt::Key_Return);
    EXPECT_EQ(dialog->focusWidget(), dialog->last_name());
    QTest::keyClick(dialog->last_name(), Qt::Key_Down);
    EXPECT_EQ(dialog->focusWidget(), dialog->id_number());
    QTest::keyClick(dialog->id_number(), Qt::Key_Up);
    EXPECT_EQ(dialog->focusWidget(), dialog->last_name());
    QTest::keyClicks(dialog->last_name(), QStringLiteral(" Smith "));
    QTest::keyClick(dialog->last_name(), Qt::Key_Return);
    QTest::keyClicks(dialog->id_number(), QStringLiteral("1234"));
    QTest::keyClick(dialog->id_number(), Qt::Key_Return);

    // Stored trimmed with no access; the dialog waits for the next user.
    EXPECT_EQ(data::users_table(program.db()).find(QStringLiteral("1234")),
              (data::user_row{"1234", "Smith", "Ann", records::access_string::blank()}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->first_name()->text().isEmpty());
    EXPECT_TRUE(dialog->id_number()->text().isEmpty());
    EXPECT_EQ(dialog->focusWidget(), dialog->first_name());
    // The first user becomes the current one.
    EXPECT_EQ(screen->heading()->text(), QStringLiteral("Readers/Schedules for Ann Smith"));

    type_user(dialog, "Bob", "Brown", "77");
    EXPECT_EQ(column_texts(screen->user_list(), 0), (QStringList{"Brown", "Smith"}));

    type_user(dialog, "Carl", "Cole", "1234");
    for (QLineEdit* box : {dialog->first_name(), dialog->last_name(), dialog->id_number()}) {
        box->clear();
    }
    QTest::keyClick(dialog->id_number(), Qt::Key_Return);
    dialog->last_name()->setText(QStringLiteral("Doe"));
    dialog->save_user();
    dialog->first_name()->setText(QStringLiteral("Dan"));
    dialog->id_number()->setText(QStringLiteral("  "));
    dialog->save_user();
    EXPECT_EQ(program.answers.messages,
              (QStringList{"User ID already being used", "Last Name cannot be blank",
                           "First Name cannot be blank", "ID Number cannot be blank"}));
    EXPECT_EQ(data::users_table(program.db()).count(), 2);

    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST(users_screen, modifying_closes_the_dialog_and_keeps_the_assignments) {
    records_program program;
    program.add_user("10", "Adams", "Amy",
                     records::access_string::with_slot(records::access_string::blank(), 3, "005"));
    program.add_user("20", "Brown", "Bob");
    auto* screen = program.open<gui::users_form>("usersform");
    click(screen->user_list(), row_with(screen->user_list(), 2, "10"));

    program.window->menus().modify_user->trigger();
    gui::newuser_dialog* dialog = screen->user_dialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Modify User"));
    EXPECT_EQ(dialog->typed().lastname, QStringLiteral("Adams"));
    dialog->id_number()->setText(QStringLiteral("20"));
    dialog->save_user();
    EXPECT_EQ(program.answers.messages, QStringList{"ID number already being used"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), dialog->id_number());

    // Same ID, new name: allowed, and the dialog closes.
    dialog->id_number()->setText(QStringLiteral("10"));
    dialog->last_name()->setText(QStringLiteral("Baker"));
    QTest::keyClick(dialog->id_number(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(column_texts(screen->user_list(), 0), (QStringList{"Baker", "Brown"}));
    EXPECT_EQ(screen->heading()->text(), QStringLiteral("Readers/Schedules for Amy Baker"));
    EXPECT_EQ(program.access_of("10"), records::access_string::with_slot(records::access_string::blank(), 3, "005"));
    EXPECT_EQ(screen->assignment_list()->topLevelItemCount(), 1);

    // A new ID moves the row and keeps its access.
    click(screen->user_list(), row_with(screen->user_list(), 2, "10"));
    screen->lmu();
    dialog->id_number()->setText(QStringLiteral("11"));
    dialog->save_user();
    EXPECT_EQ(program.access_of("11"), records::access_string::with_slot(records::access_string::blank(), 3, "005"));
    EXPECT_TRUE(program.access_of("10").isEmpty());
}

TEST(users_screen, list_sorts_on_the_clicked_header_and_the_menu_follows_the_list) {
    records_program program;
    auto* screen = program.open<gui::users_form>("usersform");
    right_click(screen->user_list());
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
    EXPECT_EQ(column_texts(screen->user_list(), 0), (QStringList{"Adams", "Brown", "Clark"}));
    EXPECT_EQ(screen->current_user().userid, QStringLiteral("1"));
    QHeaderView* header = screen->user_list()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(column_texts(screen->user_list(), 1), (QStringList{"Al", "Bo", "Cy"}));
    // Clicking again keeps it ascending.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(column_texts(screen->user_list(), 1), (QStringList{"Al", "Bo", "Cy"}));
    right_click(screen->user_list());
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
    QTreeWidget* list = screen->user_list();

    click(list, row_with(list, 0, "Brown"));
    program.window->menus().delete_user->trigger();
    EXPECT_EQ(column_texts(list, 0), (QStringList{"Adams", "Clark"}));
    EXPECT_EQ(screen->current_user().userid, QStringLiteral("3"));
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Clark"));

    screen->ldu();  // the last row: its neighbour above takes its place
    EXPECT_EQ(screen->current_user().userid, QStringLiteral("1"));
    EXPECT_EQ(screen->heading()->text(), QStringLiteral("Readers/Schedules for Al Adams"));

    screen->ldu();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(screen->heading()->text(), QStringLiteral("Readers/Schedules"));
    EXPECT_FALSE(screen->times_row()->isVisible());
    EXPECT_EQ(data::users_table(program.db()).count(), 0);
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
