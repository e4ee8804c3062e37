#pragma once

#include <array>
#include <vector>

#include "core/records/readers_register.h"
#include "gui/records/records_widgets.h"
#include "gui/shell/screen_registry.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zep::gui {

// `readersform`: one row per reader number 0..126 and the fields that say how each reader
// is reached. Idle until a row is chosen; "Update This Reader" stores it and goes idle.
class readers_form final : public record_screen {
    Q_OBJECT
  public:
    explicit readers_form(screen_context& context);

    void loadup() override;
    void load_row(QTreeWidgetItem* item);
    // False when the form was refused.
    bool update_this_reader();

    // The form as the edit fields show it.
    records::reader_form typed() const;

  protected:
    bool has_unsaved_edits() const override;
    bool save_edits() override { return update_this_reader(); }
    void drop_edits() override { go_idle(); }

  private:
    QWidget* make_text_fields();
    QWidget* make_mode_box();
    QWidget* make_port_box();
    QWidget* make_speed_box();
    QLineEdit* add_box(const QString& name, std::function<bool(QChar)> keys);
    void show_form(const records::reader_form& form);
    void show_choices(const records::reader_form& form);
    void mode_chosen(records::reader_form_mode mode);
    void speed_clicked(int speed, bool ticked);
    void lock(bool locked);
    void go_idle();
    void show_list_row(QTreeWidgetItem* item, const data::reader_row& row);

    data::database_file& db_;
    operator_port& person_;
    QTreeWidget* list_ = nullptr;
    QLabel* heading_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* location_ = nullptr;
    QLineEdit* time_difference_ = nullptr;
    QLineEdit* network_address_ = nullptr;
    QLineEdit* ip_address_ = nullptr;
    QLineEdit* tcp_port_ = nullptr;
    QCheckBox* active_ = nullptr;
    QCheckBox* protocol_ = nullptr;
    QButtonGroup* mode_ = nullptr;
    QButtonGroup* port_ = nullptr;
    std::array<QCheckBox*, 2> speeds_{};
    QPushButton* update_ = nullptr;
    std::vector<QWidget*> lockable_;
    qint16 editing_ = -1;
    records::reader_form loaded_;   // the fields as they showed the row when loaded
    records::reader_form as_read_;  // the row as read from the list, to save against
};

}  // namespace zep::gui
