#pragma once

#include <QWidget>
#include <functional>

#include "core/autorun/override_selection.h"
#include "core/clock.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_registry.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace zep::maintenance {
struct walk_inputs;
}

namespace zep::gui {

// The screen `utilities`: single-command services on the reader of the comm settings,
// and the time setting and ad hoc add/delete on every active reader. Each action runs
// through the job runner, so the window stays live while a reader answers.
class utilities_form final : public QWidget {
    Q_OBJECT
  public:
    // The clock and the selection are the program's own unless a test brings its own.
    explicit utilities_form(
        screen_context& context, const clock_source& clock = default_clock(),
        autorun::override_selection& selection = autorun::program_override_selection());

  private:
    QWidget* make_identify_box();
    QWidget* make_memory_box();
    QWidget* make_clock_box();
    QWidget* make_adhoc_box();
    QWidget* make_result_box();
    QPushButton* make_button(const QString& caption, const QString& name, QWidget* parent,
                             void (utilities_form::*action)());
    QCheckBox* make_setting_box(const QString& name, QString& flag, QWidget* parent);

    void identify();
    void read_memory();
    void read_clock();
    void set_clock();
    void add_id();
    void delete_id();
    void show_current_time();

    // Starts `work` on the worker; `done` runs on this thread when it ends.
    void run(std::function<void(job_context&)> work, std::function<void()> done = {});
    // Starts an apply-to-all action; its status lines go to the result list.
    void run_walk(std::function<void(job_context&, const maintenance::walk_inputs&)> walk);

    screen_context context_;  // copied: the shell makes it for the constructor only
    const clock_source& clock_;
    autorun::override_selection& selection_;
    QLineEdit* identification_ = nullptr;
    QLabel* download_avail_ = nullptr;
    QLabel* download_used_ = nullptr;
    QLabel* logging_avail_ = nullptr;
    QLabel* logging_used_ = nullptr;
    QCheckBox* old_firmware_ = nullptr;
    QLabel* current_time_ = nullptr;
    QLabel* reader_time_ = nullptr;
    QCheckBox* set_date_all_ = nullptr;
    QCheckBox* adhoc_all_ = nullptr;
    QListWidget* results_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* ticker_ = nullptr;
};

}  // namespace zep::gui
