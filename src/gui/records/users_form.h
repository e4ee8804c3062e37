#pragma once

#include <QPointer>
#include <array>

#include "core/records/users_register.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/records_widgets.h"
#include "gui/shell/screen_registry.h"

class QPushButton;

namespace zep::gui {

class newuser_dialog;

// `usersform`: the card holders, the readers and schedules each may use, and the weekly
// times of the chosen assignment. Assignments live only in the user's access string.
class users_form final : public record_screen {
    Q_OBJECT
  public:
    explicit users_form(screen_context& context);

    void loadup() override;
    // The clicked row becomes the current user.
    void select_user(QTreeWidgetItem* item);
    void lanu();
    void lmu();
    void ldu();
    void delsch();
    // "Add New Reader/Schedule" and "Clear Schedules for this User".
    void add_reader_schedule();
    void clear_schedules();
    // "Import..." (a preview first; nothing is written before its "Import") and
    // "Export...": card holders from and to CSV.
    void import_csv();
    void export_csv();
    void displayschedule(QTreeWidgetItem* assignment);
    void nodisplayschedule();

    const data::user_row& current_user() const { return current_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void reload_after_change();
    QWidget* make_user_side();
    QWidget* make_assignment_side();
    QWidget* make_times_row();
    void wire_menus(shell_menus& menus);
    void show_user_menu(const QPoint& at);
    void show_schedule_menu(const QPoint& at);

    void fill_assignments();
    void forget_user();
    void show_user_row(QTreeWidgetItem* item, const data::user_row& user);
    QTreeWidgetItem* insert_user(const data::user_row& user);
    void append_assignments(const std::vector<records::assignment_row>& rows);
    void store_choice(const records::assignment_choice& choice);
    bool save_new_user(const records::user_entry& typed);
    bool save_changed_user(QTreeWidgetItem* item, const records::user_entry& typed);

    data::database_file& db_;
    operator_port& person_;
    shell_menus& menus_;
    records::users_register register_;
    QTreeWidget* users_ = nullptr;
    QTreeWidget* assignments_ = nullptr;
    QLabel* heading_ = nullptr;
    QWidget* times_row_ = nullptr;
    std::array<QLabel*, 7> times_{};
    newuser_dialog* user_dialog_ = nullptr;
    QPointer<readerpop_dialog> picker_;
    // The current user, with the copy of the access string the assignment list shows.
    data::user_row current_;
    // The list's current row when the mouse went down, compared only, never used.
    const QTreeWidgetItem* current_at_press_ = nullptr;
};

}  // namespace zep::gui
