#pragma once

#include <QString>
#include <QTreeWidget>

class QHeaderView;

#include "tests/gui/gui_test_support.h"

namespace zep::test {

// A shown main window on a fresh database, with helpers to fill the registers and to reach
// the Database screens as the operator does: the Database menu, then the side-menu entry.
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
                  const QString& access = QString(254, ' '));
    QString access_of(const QString& id);
};

// The texts of one column of a list, top to bottom.
QStringList column_texts(const QTreeWidget* list, int column);
QTreeWidgetItem* row_with(const QTreeWidget* list, int column, const QString& text);
// Clicks and double-clicks a list row, or a list's header, as the operator does.
void click(QTreeWidget* list, QTreeWidgetItem* item);
void double_click(QTreeWidget* list, QTreeWidgetItem* item);
void click_header(QHeaderView* header, int section);
// Clicks the button named `name` under `parent`, near its left edge (ticks and options
// take clicks on their box and caption only).
void press(QWidget* parent, const char* name);

}  // namespace zep::test
