#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <map>

#include "core/operator.h"

class QAction;
class QMenu;

namespace zep::program {
struct session;
}

namespace zep::gui {

class job_runner;

// The pop-up menus of the main window that the users screen shows and wires.
struct shell_menus {
    QMenu* user_menu = nullptr;  // "Modify User", "Add New User", "Delete User"
    QAction* modify_user = nullptr;
    QAction* add_new_user = nullptr;
    QAction* delete_user = nullptr;
    QMenu* schedule_menu = nullptr;  // "Delete Schedule"
    QAction* delete_schedule = nullptr;
};

// What every screen is made with.
struct screen_context {
    program::session& state;  // settings in memory, the GUI thread's database connection
    job_runner& jobs;         // the one way to run a reader operation
    operator_port& person;    // dialogs on the GUI thread
    shell_menus& menus;
    QWidget* parent;  // the working area the screen lives in
};

using screen_factory = std::function<QWidget*(screen_context&)>;

// Screen names ("commform", "usersform", ...) to the functions that make them. A name
// without a factory gets a placeholder that names the screen.
class screen_registry {
  public:
    void add(const QString& name, screen_factory factory) { factories_[name] = std::move(factory); }
    const screen_factory* find(const QString& name) const {
        const auto found = factories_.find(name);
        return found == factories_.end() ? nullptr : &found->second;
    }

  private:
    std::map<QString, screen_factory> factories_;
};

// Every screen of this build, one line each.
void register_screens(screen_registry& registry);

// The caption a screen is known by, e.g. "Upload/Download Text Files".
QString screen_caption(const QString& name);

// A labelled stand-in for a screen this build does not have yet.
QWidget* make_placeholder_screen(const QString& name, QWidget* parent);

}  // namespace zep::gui
