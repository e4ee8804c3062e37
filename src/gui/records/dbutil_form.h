#pragma once

#include <memory>

#include "gui/records/records_widgets.h"
#include "gui/shell/screen_registry.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace zep::gui {

// `dbutil`: the log exported to a text file or deleted by date range, and the employee
// list exported, and a series of card numbers added as users. The layout choice and the
// series panel's tick are remembered for the next start.
class dbutil_form final : public record_screen {
    Q_OBJECT
  public:
    explicit dbutil_form(screen_context& context);
    ~dbutil_form() override;

    // Shows the remembered choices; the boxes keep what was typed.
    void loadup() override;
    void export_log_data();
    void delete_log_data();
    void export_employee_list();
    // "Add Series of Numbers to User File": a question with the count first.
    void add_series();

  private:
    QGroupBox* make_export_panel();
    QGroupBox* make_delete_panel();
    QGroupBox* make_employee_panel();
    QGroupBox* make_series_panel();
    QLineEdit* add_date_box(const QString& name);

    program::session& state_;
    class status_operator;
    std::unique_ptr<status_operator> person_;
    QLineEdit* export_start_ = nullptr;
    QLineEdit* export_end_ = nullptr;
    QLineEdit* delete_start_ = nullptr;
    QLineEdit* delete_end_ = nullptr;
    QLineEdit* reader_ = nullptr;
    QLineEdit* user_id_ = nullptr;
    QRadioButton* fixed_ = nullptr;
    QRadioButton* comma_ = nullptr;
    QLineEdit* series_start_ = nullptr;
    QLineEdit* series_end_ = nullptr;
    QLineEdit* series_schedule_ = nullptr;
    QCheckBox* add_all_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace zep::gui
