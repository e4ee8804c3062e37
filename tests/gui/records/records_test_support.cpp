#include "tests/gui/records/records_test_support.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/access_string.h"
#include "gui/shell/side_menu.h"

namespace zep::test {

records_program::records_program() {
    window->show();
}

QWidget* records_program::open_screen(const QString& screen) {
    window->show_database();
    QPushButton* entry = menu_entry(window->database_menu(), screen);
    EXPECT_NE(entry, nullptr) << screen.toStdString();
    if (!entry) return nullptr;
    QTest::mouseClick(entry, Qt::LeftButton);
    QWidget* shown = current_screen(*window);
    EXPECT_EQ(shown->objectName(), screen);
    return shown;
}

void records_program::add_reader(int number, const QString& name) {
    data::readers_table readers(db());
    data::reader_row row;
    row.readernum = static_cast<qint16>(number);
    row.readername = name;
    row.protocol = QStringLiteral("N");
    if (readers.find(row.readernum).value()) {
        ASSERT_TRUE(readers.update(row));
    } else {
        ASSERT_TRUE(readers.insert(row));
    }
}

void records_program::add_schedule(int number, const QString& name, const QString& day) {
    data::schedule_row row;
    row.schedulenum = static_cast<qint16>(number);
    row.schedulename = name;
    row.sunday = row.saturday = QStringLiteral("00000000");
    row.monday = row.tuesday = row.wednesday = row.thursday = row.friday = day;
    data::schedules_table schedules(db());
    if (schedules.find(row.schedulenum).value()) {
        ASSERT_TRUE(schedules.update(row));
    } else {
        ASSERT_TRUE(schedules.insert(row));
    }
}

void records_program::add_user(const QString& id, const QString& last, const QString& first,
                               const QString& access) {
    const QString schedules = access.isEmpty() ? records::access_string::blank() : access;
    ASSERT_TRUE(data::users_table(db()).insert({id, last, first, schedules}));
}

QString records_program::access_of(const QString& id) {
    const auto row = data::users_table(db()).find(id);
    return row && *row ? (*row)->schedules : QString();
}

void records_program::add_log(const QString& date_time, const QString& reader, const QString& last,
                              const QString& first, const QString& idnum, const QString& location,
                              const QString& granted) {
    data::log_row row;
    row.DateTime = date_time;
    row.readernum = reader;
    row.lastname = last;
    row.firstname = first;
    row.idnum = idnum;
    row.location = location;
    row.granted = granted;
    ASSERT_TRUE(data::log_table(db()).insert(row));
}

QStringList column_texts(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

QTreeWidgetItem* row_with(const QTreeWidget* list, int column, const QString& text) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(column) == text) return list->topLevelItem(i);
    }
    ADD_FAILURE() << "no row " << text.toStdString();
    return nullptr;
}

namespace {

QPoint centre_of(QTreeWidget* list, QTreeWidgetItem* item) {
    list->scrollToItem(item);
    return list->visualItemRect(item).center();
}

}  // namespace

void double_click(QTreeWidget* list, QTreeWidgetItem* item) {
    const QPoint at = centre_of(list, item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void click(QTreeWidget* list, QTreeWidgetItem* item) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of(list, item));
}

}  // namespace zep::test
