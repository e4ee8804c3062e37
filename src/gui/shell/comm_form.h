#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "gui/shell/comm_edits.h"
#include "gui/shell/screen_registry.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace zep::gui {

// The single-reader link: mode, protocol, Com port and its device, speed, protocol
// address, IP address and TCP port. Every edit changes the settings in memory at once;
// they are written when the main window closes.
class comm_form final : public QWidget {
    Q_OBJECT
  public:
    explicit comm_form(screen_context& context);

    // Fills the controls from the settings in memory.
    void fill();

  private:
    void enable_serial_choices();
    QWidget* make_mode_box();
    QWidget* make_protocol_box();
    QWidget* make_port_box();
    QWidget* make_speed_box();
    QWidget* make_address_box();
    void connect_choices();
    void address_edited(const QString& text);

    program::session& state_;
    QButtonGroup* mode_ = nullptr;
    QButtonGroup* protocol_ = nullptr;
    QButtonGroup* port_ = nullptr;
    QButtonGroup* speed_ = nullptr;
    std::array<QLineEdit*, 5> devices_{};
    std::vector<QWidget*> serial_only_;  // the port and speed boxes
    QLineEdit* address_ = nullptr;
    QLineEdit* ipaddress_ = nullptr;
    QLineEdit* tcp_port_ = nullptr;
    QLabel* address_notice_ = nullptr;
    QString accepted_address_;
};

}  // namespace zep::gui
