#pragma once

#include <QWidget>

#include "gui/shell/screen_registry.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace zep::gui {

// The password screen: the reader section (not functional yet: it sends nothing) and the
// login section, which checks the current login password and sets a new one.
class password_form final : public QWidget {
    Q_OBJECT
  public:
    explicit password_form(screen_context& context);

  private:
    QWidget* make_reader_section();
    QWidget* make_login_section();
    void set_login_password();

    program::session& state_;
    operator_port& person_;
    QCheckBox* apply_all_ = nullptr;
    QLineEdit* login_current_ = nullptr;
    QLineEdit* login_new_ = nullptr;
    QLineEdit* login_confirm_ = nullptr;
    QLabel* login_result_ = nullptr;
};

}  // namespace zep::gui
