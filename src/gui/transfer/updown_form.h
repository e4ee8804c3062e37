#pragma once

#include <QWidget>
#include <functional>

#include "core/transfer/transfer_link.h"
#include "core/transfer/upload_file.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_registry.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zep::gui {

// The screen `updown`: access lists, schedules and logs between text files and the single
// reader of the comm settings. Each transfer runs through the job runner, so the screen
// stays live (its cancel control works) while the menus wait for it to end.
class updown_form final : public QWidget {
    Q_OBJECT
  public:
    explicit updown_form(screen_context& context);

  private:
    using transfer_work = std::function<transfer::transfer_outcome(
        job_context&, const link::link_endpoint&, const transfer::transfer_view&)>;

    QWidget* make_options();
    QWidget* make_actions();
    QWidget* make_progress();
    QCheckBox* make_setting_box(const char* caption, const QString& name, QString& flag,
                                QWidget* parent);

    void download_access_list();
    void upload_access_list();
    void clear_access_list();
    void download_schedule();
    void upload_schedule();
    void upload_log();
    void clear_log();

    // Starts `work` on the worker against the reader of the comm settings. An empty
    // `cancel_caption` shows no cancel control (the clears are one command each).
    void run(transfer_work work, const char* cancel_caption = nullptr);
    // The status label and the record count, handed from the worker to this thread.
    transfer::transfer_view view();
    void show_count(qint64 done, qint64 total);
    void finished(const transfer::transfer_outcome& outcome, bool upload);
    transfer::line_end chosen_line_end() const;

    screen_context context_;  // copied: the shell makes it for the constructor only
    QRadioButton* schedule_and_id_ = nullptr;
    QRadioButton* cr_only_ = nullptr;
    QCheckBox* autoconfigure_ = nullptr;
    QCheckBox* old_firmware_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* progress_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    qint64 counted_ = 0;  // the last count a transfer reported
};

}  // namespace zep::gui
