#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "core/records/access_string.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/users_form.h"
#include "tests/gui/records/records_test_support.h"

namespace zep::test {
namespace {

QPushButton* button(QWidget* parent, const char* name) {
    auto* found = parent->findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

struct assignment_fixture : ::testing::Test {
    records_program program;
    gui::users_form* screen = nullptr;

    void SetUp() override {
        program.add_reader(1, "Lobby");
        program.add_reader(3, "Front door");
        program.add_reader(126, "Back gate");
        program.add_schedule(5, "Day shift");
        program.add_schedule(12, "Night shift", "22000600");
        program.add_user("1234", "Smith", "Ann");
        screen = program.open<gui::users_form>("usersform");
    }

    // Null once the picker has closed.
    gui::readerpop_dialog* picker() const {
        return screen->findChild<gui::readerpop_dialog*>(QStringLiteral("readerpop"));
    }
    QTreeWidget* assignments() const { return child<QTreeWidget>(screen, "assignment_list"); }
    QWidget* times_row() const { return child<QWidget>(screen, "weekly_times"); }
    QLabel* times(const char* day) const {
        return child<QLabel>(screen, QStringLiteral("times_") + QLatin1String(day));
    }

    // The picker's label of the reader or schedule chosen.
    static QString shown(gui::readerpop_dialog* picker, const char* label) {
        return child<QLabel>(picker, label)->text();
    }

    gui::readerpop_dialog* open_picker() {
        QTest::mouseClick(button(screen, "add_reader_schedule_button"), Qt::LeftButton);
        gui::readerpop_dialog* picker = this->picker();
        EXPECT_NE(picker, nullptr);
        EXPECT_TRUE(picker && picker->isVisible());
        return picker;
    }

    void choose(gui::readerpop_dialog* picker, const QString& reader, const QString& schedule) {
        auto* readers = child<QTreeWidget>(picker, "reader_list");
        auto* schedules = child<QTreeWidget>(picker, "schedule_list");
        double_click(readers, row_with(readers, 0, reader));
        double_click(schedules, row_with(schedules, 0, schedule));
    }
};

TEST_F(assignment_fixture, one_reader_and_schedule_go_into_the_readers_slot) {
    gui::readerpop_dialog* picker = open_picker();
    EXPECT_EQ(picker->windowTitle(),
              QStringLiteral("Add Reader and Schedule for user Ann Smith,  ID:1234"));
    EXPECT_EQ(column_texts(child<QTreeWidget>(picker, "reader_list"), 0),
              (QStringList{"001", "003", "126"}));
    EXPECT_EQ(column_texts(child<QTreeWidget>(picker, "schedule_list"), 3),
              (QStringList{"0800 - 1700", "2200 - 0600"}));

    QTest::mouseClick(button(picker, "finished_button"), Qt::LeftButton);
    EXPECT_EQ(program.answers.messages, QStringList{"Please select a reader and schedule"});
    EXPECT_TRUE(picker->isVisible());

    choose(picker, "126", "012");
    EXPECT_EQ(shown(picker, "selected_reader"), QStringLiteral("126  Back gate"));
    EXPECT_EQ(shown(picker, "selected_schedule"), QStringLiteral("012  Night shift"));
    QTest::mouseClick(button(picker, "finished_button"), Qt::LeftButton);
    EXPECT_TRUE(wait_until([this] { return this->picker() == nullptr; }));

    const QString access = program.access_of("1234");
    EXPECT_EQ(access.mid(252, 2), QStringLiteral("12"));
    EXPECT_EQ(access.left(252), QString(252, QLatin1Char(' ')));
    QTreeWidget* list = assignments();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("126  Back gate"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("012  Night shift"));

    // The weekly times of the clicked assignment.
    click(list, list->topLevelItem(0));
    EXPECT_TRUE(times_row()->isVisible());
    EXPECT_EQ(times("monday")->text(), QStringLiteral("2200 - 0600"));
    EXPECT_EQ(times("sunday")->text(), QStringLiteral("0000 - 0000"));

    // The same reader again is refused; cancelling stores nothing.
    picker = open_picker();
    EXPECT_FALSE(times_row()->isVisible());
    choose(picker, "126", "005");
    QTest::mouseClick(button(picker, "finished_button"), Qt::LeftButton);
    EXPECT_EQ(program.answers.messages.last(),
              QStringLiteral("This user already has this reader defined"));
    QTest::mouseClick(button(picker, "cancel_button"), Qt::LeftButton);
    EXPECT_TRUE(wait_until([this] { return this->picker() == nullptr; }));
    EXPECT_EQ(program.access_of("1234"), access);
}

TEST_F(assignment_fixture, escape_after_choosing_stores_nothing) {
    gui::readerpop_dialog* picker = open_picker();
    choose(picker, "003", "005");
    QTest::keyClick(picker, Qt::Key_Escape);
    EXPECT_TRUE(wait_until([this] { return this->picker() == nullptr; }));
    EXPECT_EQ(program.access_of("1234"), records::access_string::blank());
    EXPECT_EQ(assignments()->topLevelItemCount(), 0);
}

TEST_F(assignment_fixture, all_remaining_readers_fill_only_the_empty_slots) {
    QString access = records::access_string::with_slot(records::access_string::blank(), 1, "005");
    access = records::access_string::with_slot(access, 5, "012");
    program.add_user("77", "Adams", "Al", access);
    screen->loadup();
    ASSERT_EQ(screen->current_user().userid, QStringLiteral("77"));
    EXPECT_EQ(assignments()->topLevelItemCount(), 2);

    gui::readerpop_dialog* picker = open_picker();
    QTest::mouseClick(button(picker, "all_remaining_button"), Qt::LeftButton);
    QTest::mouseClick(button(picker, "all_times_button"), Qt::LeftButton);
    EXPECT_EQ(shown(picker, "selected_reader"), QStringLiteral("998  all remaining"));
    EXPECT_EQ(shown(picker, "selected_schedule"), QStringLiteral("000  No schedule (all times)"));
    QTest::mouseClick(button(picker, "finished_button"), Qt::LeftButton);
    EXPECT_TRUE(wait_until([this] { return this->picker() == nullptr; }));
    EXPECT_TRUE(program.answers.messages.isEmpty());

    const QString stored = program.access_of("77");
    for (int r = 0; r < records::access_string::reader_count; ++r) {
        const QString expected = r == 1 ? "05" : r == 5 ? "12" : "00";
        EXPECT_EQ(records::access_string::slot(stored, r), expected) << r;
    }
    QTreeWidget* list = assignments();
    ASSERT_EQ(list->topLevelItemCount(), 127);
    EXPECT_EQ(list->topLevelItem(0)->text(0).left(3), QStringLiteral("000"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("005  Day shift"));
    EXPECT_EQ(list->topLevelItem(126)->text(0), QStringLiteral("126  Back gate"));
    EXPECT_EQ(list->topLevelItem(126)->text(1), QStringLiteral("000"));

    click(list, list->topLevelItem(126));
    for (const char* day :
         {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"}) {
        EXPECT_EQ(times(day)->text(), QStringLiteral("All times")) << day;
    }
}

TEST_F(assignment_fixture, deleting_an_assignment_asks_and_blanks_that_slot_only) {
    QString access = records::access_string::with_slot(records::access_string::blank(), 110, "005");
    access = records::access_string::with_slot(access, 3, "012");
    program.add_user("55", "Adams", "Al", access);
    screen->loadup();
    QTreeWidget* list = assignments();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    click(list, row_with(list, 0, "110  "));
    EXPECT_TRUE(times_row()->isVisible());

    program.answers.confirm_answers = {false, true};
    program.window->menus().delete_schedule->trigger();
    EXPECT_FALSE(times_row()->isVisible());
    EXPECT_EQ(program.access_of("55"), access);
    click(list, row_with(list, 0, "110  "));
    program.window->menus().delete_schedule->trigger();
    EXPECT_EQ(program.answers.questions, (QStringList{"Delete this reader for this user",
                                                      "Delete this reader for this user"}));
    const QString stored = program.access_of("55");
    EXPECT_EQ(stored.mid(220, 2), QStringLiteral("  "));
    EXPECT_EQ(stored, records::access_string::without_slot(access, 110));
    EXPECT_EQ(column_texts(list, 0), QStringList{"003  Front door"});

    // Clearing takes every assignment, without a question.
    QTest::mouseClick(button(screen, "clear_schedules_button"), Qt::LeftButton);
    EXPECT_EQ(program.access_of("55"), records::access_string::blank());
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(program.answers.questions.size(), 2);
}

}  // namespace
}  // namespace zep::test
