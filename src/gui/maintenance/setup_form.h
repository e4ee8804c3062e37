#pragma once

#include <QWidget>
#include <functional>

#include "core/autorun/override_selection.h"
#include "core/maintenance/reader_setup.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_registry.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zep::gui {

// The screen `setup`: record length, relay and red LED times, mode, factory reset, the
// logging options and the red LED of the reader of the comm settings, or of every active
// reader where its "Apply to all active readers" box is checked. Every choice is written
// to its settings field at once; the reader is told only when a button is pressed.
class setup_form final : public QWidget {
    Q_OBJECT
  public:
    explicit setup_form(screen_context& context, autorun::override_selection& selection =
                                                     autorun::program_override_selection());

  private:
    QWidget* make_parameters_box();
    QWidget* make_mode_box();
    QWidget* make_reset_box();
    QWidget* make_logging_box(const QString& title, const QString& name, QString& choice,
                              const QString& apply_name, QString& apply_flag,
                              maintenance::setup_action action);
    QWidget* make_led_box();
    QPushButton* make_button(const QString& caption, const QString& name, QWidget* parent,
                             std::function<void()> action);

    // Sends `request` to the single reader, or walks the active readers when `all` is checked.
    void send(const maintenance::setup_request& request, const QCheckBox* all);

    screen_context context_;
    autorun::override_selection& selection_;
    QLineEdit* reclen_ = nullptr;
    QLineEdit* relay_ = nullptr;
    QLineEdit* redled_ = nullptr;
    QListWidget* results_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace zep::gui
