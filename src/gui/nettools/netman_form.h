#pragma once

#include <QWidget>

#include "gui/shell/job_runner.h"
#include "gui/shell/screen_registry.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace zep::gui {

// The screen `netman`: finds the readers on the line, polls one of them over and over,
// changes a reader's protocol address and switches its protocol mode. The polls run in
// the job runner without holding the busy flag, so the menus stay live; choosing another
// entry or leaving the screen stops them.
class netman_form final : public QWidget {
    Q_OBJECT
  public:
    explicit netman_form(screen_context& context);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    enum class poll { none, all, single };

    QWidget* make_poll_all_box();
    QWidget* make_single_poll_box();
    QWidget* make_address_box();
    QWidget* make_protocol_box();
    QPushButton* make_button(const char* caption, const QString& name, QWidget* parent,
                             void (netman_form::*action)());

    void poll_all();
    void stop_poll_all();
    void poll_single();
    void stop_poll_single();
    void change_address();
    void protocol_on();
    void protocol_off();
    void set_protocol(bool on);
    void start_poll(poll which, job_request request);
    void poll_ended();

    screen_context context_;  // copied: the shell makes it for the constructor only
    poll running_ = poll::none;
    QLabel* status_ = nullptr;
    QListWidget* online_ = nullptr;
    QListWidget* answers_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QList<QPushButton*> starters_;     // disabled while a poll runs
    QPushButton* stop_all_ = nullptr;  // enabled only while their poll runs
    QPushButton* stop_single_ = nullptr;
    QProgressBar* checked_ = nullptr;  // how far the poll of all addresses is
};

}  // namespace zep::gui
