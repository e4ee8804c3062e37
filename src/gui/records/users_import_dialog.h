#pragma once

#include <QDialog>

#include "core/operator.h"
#include "core/records/users_csv.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace zep::gui {

// The preview of a card-holder CSV file: what it would add, change and leave, its first
// rows and every faulty line. Nothing is written before "Import"; a file with faults
// cannot be imported at all.
class users_import_dialog final : public QDialog {
    Q_OBJECT
  public:
    users_import_dialog(data::database_file& db, operator_port& person, QString path,
                        QWidget* parent);

    // Reads the file again (after the replace tick changed); false when it cannot be read.
    bool plan();
    const records::users_import_plan& current_plan() const { return plan_; }
    // Writes the plan; the dialog closes when it is written.
    void import_now();
    // What the import did, for the screen's status line.
    QString outcome() const { return outcome_; }

  private:
    data::database_file& db_;
    operator_port& person_;
    QString path_;
    records::users_import_plan plan_;
    QString outcome_;
    QCheckBox* replace_ = nullptr;
    QLabel* summary_ = nullptr;
    QTreeWidget* preview_ = nullptr;
    QListWidget* faults_ = nullptr;
    QPushButton* import_ = nullptr;
};

}  // namespace zep::gui
