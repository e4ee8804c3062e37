#pragma once

#include <array>

#include "core/records/schedules_register.h"
#include "gui/records/records_widgets.h"
#include "gui/shell/screen_registry.h"

class QLineEdit;
class QPushButton;

namespace zep::gui {

// `schedulesform`: the weekly schedules 1..99, one time window per day. A double-clicked
// row is edited until another is chosen; "Update This Schedule" keeps it in the fields.
class schedules_form final : public record_screen {
    Q_OBJECT
  public:
    explicit schedules_form(screen_context& context);

    void loadup() override;
    void load_row(QTreeWidgetItem* item);
    // False when the form was refused.
    bool update_this_schedule();
    // "M-F", "M-S", "S-S".
    void copy_times(void (*copy)(records::schedule_boxes&));

    records::schedule_form typed() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool has_unsaved_edits() const override { return editing_ != 0 && typed() != loaded_; }
    bool save_edits() override { return update_this_schedule(); }
    void drop_edits() override { show_form(loaded_); }

  private:
    QWidget* make_time_grid();
    QWidget* make_buttons();
    void show_form(const records::schedule_form& form);
    void lock(bool locked);
    int box_number(const QObject* box) const;

    data::database_file& db_;
    operator_port& person_;
    QTreeWidget* list_ = nullptr;
    QLabel* heading_ = nullptr;
    QLineEdit* name_ = nullptr;
    std::array<QLineEdit*, 14> boxes_{};
    QPushButton* update_ = nullptr;
    qint16 editing_ = 0;
    records::schedule_form loaded_;  // the row as it was loaded (or last saved)
};

}  // namespace zep::gui
