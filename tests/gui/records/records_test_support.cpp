#include "tests/gui/records/records_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "gui/shell/side_menu.h"
#include "tests/support/rows.h"

namespace zep::test {

records_program::records_program() {
    window->show();
}

QWidget* records_program::open_screen(const QString& screen) {
    window->show_database();
    QPushButton* entry = menu_entry(window->database_menu(), screen);
    if (!entry) return nullptr;
    QTest::mouseClick(entry, Qt::LeftButton);
    QWidget* shown = current_screen(*window);
    EXPECT_EQ(shown->objectName(), screen);
    return shown;
}

void records_program::add_reader(int number, const QString& name) {
    data::readers_table readers(db());
    data::reader_row row = test::reader_row(number, "");
    row.readername = name;
    ASSERT_TRUE(readers.find(row.readernum).value() ? readers.update(row) : readers.insert(row));
}

void records_program::add_schedule(int number, const QString& name, const QString& day) {
    data::schedule_row row;
    row.schedulenum = static_cast<qint16>(number);
    row.schedulename = name;
    row.monday = row.tuesday = row.wednesday = row.thursday = row.friday = day;
    data::schedules_table schedules(db());
    ASSERT_TRUE(schedules.find(row.schedulenum).value() ? schedules.update(row)
                                                        : schedules.insert(row));
}

void records_program::add_user(const QString& id, const QString& last, const QString& first,
                               const QString& access) {
    ASSERT_TRUE(data::users_table(db()).insert({id, last, first, access}));
}

QString records_program::access_of(const QString& id) {
    const auto row = data::users_table(db()).find(id);
    return row && *row ? (*row)->schedules : QString();
}

QStringList column_texts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

QTreeWidgetItem* row_with(const QTreeWidget* list, int column, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly, column);
    EXPECT_FALSE(found.isEmpty()) << "no row " << text.toStdString();
    return found.isEmpty() ? nullptr : found.first();
}

static QPoint centre_of(QTreeWidget* list, QTreeWidgetItem* item) {
    list->scrollToItem(item);
    return list->visualItemRect(item).center();
}

void click(QTreeWidget* list, QTreeWidgetItem* item) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of(list, item));
}

void double_click(QTreeWidget* list, QTreeWidgetItem* item) {
    const QPoint at = centre_of(list, item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void click_header(QHeaderView* header, int section) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
}

void press(QWidget* parent, const char* name) {
    auto* button = child<QAbstractButton>(parent, QString::fromLatin1(name));
    if (button) QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

}  // namespace zep::test
