#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "core/program/startup.h"
#include "gui/shell/main_window.h"
#include "tests/support/scripted_operator.h"

class QPushButton;

namespace zep::test {

// Waits for `condition` while the event loop turns; false when `ms` pass first.
bool wait_until(const std::function<bool()>& condition, int ms = 5000);

// The child of that object name; a missing one fails the test.
template <typename Widget>
Widget* child(const QObject* parent, const QString& name) {
    auto* found = parent->findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

// The screen the main window's working area shows.
QWidget* current_screen(const gui::main_window& window);
// The entry of a side menu that opens `screen`.
QPushButton* menu_entry(const gui::side_menu* menu, const QString& screen);

// Makes the single reader of the communications settings the one at 127.0.0.1:`port`,
// plain or at protocol `address`.
void single_tcp_reader(program::session& state, quint16 port, int address = -1);

// A database in its own folder, started as the program starts it: the file, or with
// ZEP_TEST_DATABASE=postgres a database of its own on the test server.
class program_folder {
  public:
    program_folder();
    ~program_folder();
    QString db_path() const { return db_; }
    // For the files a test keeps beside the database.
    QString path() const { return dir_.path(); }
    // start_up on this folder's database; fails the test when it cannot.
    std::unique_ptr<program::session> start() const;
    // Starts, changes the settings with `edit`, and closes as the program does.
    void save(const std::function<void(program::session&)>& edit) const;

  private:
    QTemporaryDir dir_;
    QString db_;
};

// A started main window whose questions are answered by `answers`.
struct running_program {
    program_folder folder;
    scripted_operator answers;
    std::unique_ptr<gui::main_window> window;

    running_program();
    program::session& state() { return window->state(); }
    // What a screen the test makes itself is made with.
    gui::screen_context screen{state(), window->jobs(), answers, window->menus(), window.get()};
};

}  // namespace zep::test
