// The override screen: what it shows when it opens, how clicks and "Clear All" change the
// selection, and how the main window's menu opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenuBar>
#include <QPushButton>

#include "core/data/readers_table.h"
#include "gui/autorun/override_form.h"
#include "tests/gui/gui_test_support.h"

namespace zep {
namespace {

data::reader_row row(int number, const QString& location, bool active) {
    data::reader_row r;
    r.readernum = static_cast<qint16>(number);
    r.location = location;
    r.active = active ? QStringLiteral("Y") : QString();
    return r;
}

// Ten readers, 1, 7 and 9 active; reader 7 is at Gate B.
std::vector<data::reader_row> ten_readers() {
    std::vector<data::reader_row> rows;
    for (int k = 0; k < 10; ++k) {
        rows.push_back(row(k, k == 7 ? QStringLiteral("Gate B") : QStringLiteral("Yard"),
                           k == 1 || k == 7 || k == 9));
    }
    return rows;
}

QCheckBox* box(const QWidget& form, int readernum) {
    const QString name = QStringLiteral("reader_%1").arg(readernum, 3, 10, QLatin1Char('0'));
    return form.findChild<QCheckBox*>(name);
}

std::vector<int> checked(const gui::override_form& form) {
    std::vector<int> numbers;
    for (int k = 0; k < records::reader_slots; ++k) {
        if (box(form, k)->isChecked()) numbers.push_back(k);
    }
    return numbers;
}

std::vector<int> selected(const autorun::override_selection& selection) {
    std::vector<int> numbers;
    for (int k = 0; k < records::reader_slots; ++k) {
        if (selection.selected(k)) numbers.push_back(k);
    }
    return numbers;
}

TEST(override_screen, first_opening_copies_the_active_marks) {
    autorun::override_selection selection;
    gui::override_form form(ten_readers(), selection);
    EXPECT_TRUE(form.isModal());
    EXPECT_EQ(box(form, 7)->text(), "007 Gate B");
    EXPECT_EQ(box(form, 0)->text(), "000 Yard");
    EXPECT_NE(box(form, 126), nullptr);
    EXPECT_EQ(form.findChildren<QCheckBox*>().size(), records::reader_slots);
    // Numbers past the end of a short table stay unchecked.
    EXPECT_EQ(checked(form), (std::vector<int>{1, 7, 9}));
    EXPECT_FALSE(selection.pending());
    EXPECT_EQ(selected(selection), (std::vector<int>{1, 7, 9}));
}

TEST(override_screen, later_openings_show_the_selection_as_it_was_left) {
    autorun::override_selection selection;
    {
        gui::override_form form(ten_readers(), selection);
        box(form, 7)->click();
        box(form, 3)->click();
        form.close();
    }
    EXPECT_EQ(selected(selection), (std::vector<int>{1, 3, 9}));

    // The table changed meanwhile; the screen still shows what the operator picked.
    std::vector<data::reader_row> rows = ten_readers();
    for (data::reader_row& r : rows) r.active = QStringLiteral("Y");
    gui::override_form again(rows, selection);
    EXPECT_EQ(checked(again), (std::vector<int>{1, 3, 9}));
}

TEST(override_screen, clear_all_unchecks_every_box) {
    autorun::override_selection selection;
    gui::override_form form(ten_readers(), selection);
    auto* clear_all = form.findChild<QPushButton*>(QStringLiteral("clear_all"));
    ASSERT_NE(clear_all, nullptr);
    EXPECT_EQ(clear_all->text(), "Clear All");
    clear_all->click();
    EXPECT_TRUE(checked(form).empty());
    EXPECT_TRUE(selected(selection).empty());
    EXPECT_TRUE(selection.targets(ten_readers()).none());
}

QAction* override_action(gui::main_window& window) {
    return window.menuBar()->findChild<QAction*>(QStringLiteral("menu_override"));
}

TEST(override_screen, the_menu_refuses_an_empty_table_and_opens_it_modally_otherwise) {
    test::running_program program;
    gui::main_window& window = *program.window;
    ASSERT_NE(override_action(window), nullptr);
    override_action(window)->trigger();
    EXPECT_EQ(program.answers.messages, QStringList{"There are no readers in the system"});
    EXPECT_EQ(window.findChild<gui::override_form*>(), nullptr);

    ASSERT_TRUE(
        data::readers_table(*program.state().db).insert(row(7, QStringLiteral("Gate B"), true)));
    override_action(window)->trigger();
    auto* form = window.findChild<gui::override_form*>();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_NE(form->windowModality(), Qt::NonModal);
    EXPECT_EQ(box(*form, 7)->text(), "007 Gate B");
    EXPECT_TRUE(box(*form, 7)->isChecked());

    box(*form, 7)->click();
    form->close();
    EXPECT_TRUE(test::wait_until([&] { return !window.findChild<gui::override_form*>(); }));
    EXPECT_FALSE(autorun::program_override_selection().pending());
    EXPECT_FALSE(autorun::program_override_selection().selected(7));
    EXPECT_EQ(program.answers.messages.size(), 1);
}

}  // namespace
}  // namespace zep
