#pragma once

#include <QDialog>

#include "core/records/users_register.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zep::gui {

// `readerpop`: picks a reader (or all remaining readers) and a schedule (or all times) for
// one user. Only "Finished" hands a choice back; "Cancel" and Esc leave it empty.
class readerpop_dialog final : public QDialog {
    Q_OBJECT
  public:
    readerpop_dialog(data::database_file& db, operator_port& person, const data::user_row& user,
                     QWidget* parent);

    // Empty unless the dialog was closed with "Finished".
    const records::assignment_choice& choice() const { return choice_; }

    void select_reader(QTreeWidgetItem* item);
    void select_schedule(QTreeWidgetItem* item);
    void select_all_remaining();
    void select_all_times();
    void finished();
    void reject() override;

  private:
    void fit_to_screen();
    void loadup();
    void loadup2();
    QWidget* make_choice_row();
    QWidget* make_buttons();
    QPushButton* add_button(const QString& name, const QString& caption, QLayout* layout);

    data::database_file& db_;
    operator_port& person_;
    QString access_;
    records::assignment_choice pending_;
    records::assignment_choice choice_;
    QTreeWidget* readers_ = nullptr;
    QTreeWidget* schedules_ = nullptr;
    QLabel* reader_shown_ = nullptr;
    QLabel* schedule_shown_ = nullptr;
};

}  // namespace zep::gui
