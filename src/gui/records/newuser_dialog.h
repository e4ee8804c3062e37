#pragma once

#include <QDialog>
#include <functional>

#include "core/records/users_register.h"

class QLineEdit;

namespace zep::gui {

// `newuser`: First Name, Last Name and ID of a user to add or to change. Adding keeps the
// dialog open for the next user; a modification closes it.
class newuser_dialog final : public QDialog {
    Q_OBJECT
  public:
    enum class mode { add, modify };
    // Stores what was typed; false after the refusal was told.
    using save_handler = std::function<bool(const records::user_entry&)>;

    explicit newuser_dialog(QWidget* parent);

    // Shows the dialog (modal) with `fields`, its caption naming the mode.
    void open_for(mode how, const records::user_entry& fields, save_handler save);
    mode current_mode() const { return mode_; }
    records::user_entry typed() const;

    // Enter in ID.
    void save_user();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* add_field(const QString& name, const QString& caption);
    void move_focus(QObject* from, int step);
    void focus_after_refusal();

    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
    QLineEdit* id_ = nullptr;
    mode mode_ = mode::add;
    save_handler save_;
};

}  // namespace zep::gui
