#pragma once

#include <QMainWindow>
#include <QMap>
#include <memory>

#include "gui/shell/dialog_operator.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_registry.h"

class QAction;
class QStackedWidget;

namespace zep::program {
struct session;
}

namespace zep::gui {

class side_menu;

// Which side menu and which of its screens were shown last.
struct navigation_state {
    QString current_menu = QStringLiteral("command");
    QString command_screen = QStringLiteral("commform");
    QString database_screen = QStringLiteral("usersform");
};

// The main window `zepmain`: the menu bar, the two side menus at the left edge and the
// working screen beside them. It owns the session and, when it closes, writes the
// settings back.
class main_window final : public QMainWindow {
    Q_OBJECT
  public:
    // `answers` answers the operator questions (dialogs when null).
    explicit main_window(std::unique_ptr<program::session> state, operator_port* answers = nullptr);
    ~main_window() override;

    program::session& state() { return *state_; }
    job_runner& jobs() { return *jobs_; }
    screen_registry& registry() { return registry_; }
    shell_menus& menus() { return menus_; }
    side_menu* command_menu() const { return command_menu_; }
    side_menu* database_menu() const { return database_menu_; }

    // The menu bar's actions.
    void show_commands();
    void show_database();
    void show_password();
    void show_override();
    void show_help();
    void show_about();
    void show_beta();
    // A side-menu entry was chosen.
    void open_entry(side_menu* menu, const QString& screen);

    // The screen shown in the working area, made on first use and kept.
    QWidget* show_screen(const QString& name);
    // False when the window already closed.
    bool open() const { return !closed_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void fit_to_screen(QSize wanted);
    void place_beside(QWidget* window) const;
    bool leave_current_screen();
    void build_menu_bar();
    void build_popup_menus();
    void set_busy(bool busy);
    void show_text_window(const QString& name, const QString& title, const QString& text);

    std::unique_ptr<program::session> state_;
    navigation_state navigation_;
    dialog_operator dialogs_;
    operator_port* answers_ = nullptr;
    std::unique_ptr<job_runner> jobs_;
    screen_registry registry_;
    shell_menus menus_;
    side_menu* command_menu_ = nullptr;
    side_menu* database_menu_ = nullptr;
    QStackedWidget* side_menus_ = nullptr;
    QStackedWidget* working_area_ = nullptr;
    QMap<QString, QWidget*> screens_;
    QMap<QString, QWidget*> text_windows_;
    bool closed_ = false;
    bool close_when_idle_ = false;  // closing waits for the running job to stop
};

}  // namespace zep::gui
