#pragma once

#include <QString>
#include <QTreeWidget>

#include "tests/gui/gui_test_support.h"

namespace zep::test {

// A shown main window on a fresh database, with helpers to fill the registers and to
// reach the Database screens the way the operator does: the Database menu, then the
// side-menu entry.
struct records_program : running_program {
    records_program();
    data::database_file& db() { return *state().db; }

    // Clicks the Database side menu's entry for `screen` and returns the screen shown.
    template <typename Screen>
    Screen* open(const char* screen) {
        return qobject_cast<Screen*>(open_screen(QString::fromLatin1(screen)));
    }
    QWidget* open_screen(const QString& screen);

    void add_reader(int number, const QString& name);
    void add_schedule(int number, const QString& name, const QString& day = "08001700");
    void add_user(const QString& id, const QString& last, const QString& first,
                  const QString& access = {});
    QString access_of(const QString& id);
    void add_log(const QString& date_time, const QString& reader, const QString& last,
                 const QString& first, const QString& idnum, const QString& location,
                 const QString& granted = "Y");
};

// The texts of one column of a list, top to bottom.
QStringList column_texts(const QTreeWidget* list, int column);
QTreeWidgetItem* row_with(const QTreeWidget* list, int column, const QString& text);
// Double-clicks a list row as the operator does.
void double_click(QTreeWidget* list, QTreeWidgetItem* item);
void click(QTreeWidget* list, QTreeWidgetItem* item);

}  // namespace zep::test
