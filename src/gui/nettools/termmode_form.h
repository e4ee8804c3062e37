#pragma once

#include <QWidget>

#include "core/nettools/terminal_grid.h"
#include "core/nettools/terminal_keys.h"
#include "core/nettools/terminal_link.h"
#include "gui/shell/screen_registry.h"

class QLabel;

namespace zep::gui {

// The screen `termmode`: a plain terminal on the single-reader link. Every key typed is
// sent at once as one byte and drawn black; every byte that arrives is drawn red. Its link
// lives on the GUI thread, outside the job runner, and is open only while the screen shows.
class termmode_form final : public QWidget {
    Q_OBJECT
  public:
    explicit termmode_form(screen_context& context);

    const nettools::terminal_grid& grid() const { return grid_; }
    QWidget* display() const { return display_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    class display_widget;

    void open_link();
    void close_link();
    void clear_screen();
    bool key_down(int key, bool keypad, const QString& text);
    bool key_up(int key);
    void send(unsigned char byte);
    void show_received(const QByteArray& bytes);

    screen_context context_;  // copied: the shell makes it for the constructor only
    nettools::terminal_link link_;
    nettools::terminal_grid grid_;
    nettools::terminal_keys keys_;
    QLabel* status_ = nullptr;
    QWidget* display_ = nullptr;  // the display_widget
};

}  // namespace zep::gui
