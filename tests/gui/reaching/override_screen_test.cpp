// The override screen: its boxes show the selection, and clicks and "Clear All" change it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include "gui/autorun/override_form.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/rows.h"

namespace zep {
namespace {

QCheckBox* box(const QWidget& form, int readernum) {
    return form.findChild<QCheckBox*>(
        QStringLiteral("reader_%1").arg(readernum, 3, 10, QLatin1Char('0')));
}

TEST(override_screen, boxes_show_and_change_the_selection) {
    std::vector<data::reader_row> rows;
    for (int k = 0; k < 10; ++k) {
        rows.push_back(test::reader_row(k, "T"));
        rows.back().active = k == 1 || k == 7 ? "Y" : "";
        rows.back().location = k == 7 ? "Gate B" : "Yard";
    }
    autorun::override_selection selection;
    {
        gui::override_form form(rows, selection);
        EXPECT_TRUE(form.isModal());
        EXPECT_EQ(form.findChildren<QCheckBox*>().size(), records::reader_slots);
        EXPECT_EQ(box(form, 7)->text(), "007 Gate B");
        EXPECT_TRUE(box(form, 7)->isChecked());
        box(form, 7)->click();
        box(form, 3)->click();
    }
    EXPECT_EQ(selection.targets(rows), records::target_flags().set(1).set(3));
    gui::override_form again(rows, selection);
    EXPECT_TRUE(box(again, 3)->isChecked());
    auto* clear_all = again.findChild<QPushButton*>("clear_all");
    EXPECT_EQ(clear_all->text(), "Clear All");
    clear_all->click();
    EXPECT_FALSE(box(again, 1)->isChecked());
    EXPECT_TRUE(selection.targets(rows).none());
}

}  // namespace
}  // namespace zep
