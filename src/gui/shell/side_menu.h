#pragma once

#include <QMap>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <span>

class QLabel;

namespace zep::gui {

struct side_menu_entry {
    const char* screen;
    const char* caption;
};

// The entries of the two side menus, in their order.
std::span<const side_menu_entry> command_menu_entries();
std::span<const side_menu_entry> database_menu_entries();

// A narrow column of entries at the left edge; each opens one working screen. The chosen
// entry is shown yellow.
class side_menu final : public QWidget {
    Q_OBJECT
  public:
    // `decorated` adds the slowly changing colour of the menu's title.
    side_menu(const QString& object_name, const QString& title,
              std::span<const side_menu_entry> entries, bool decorated, QWidget* parent = nullptr);

    QStringList screens() const { return order_; }
    // Resets every entry's colour and colours `screen`'s yellow.
    void mark(const QString& screen);
    QString marked() const { return marked_; }

  Q_SIGNALS:
    void entry_chosen(const QString& screen);

  private:
    void next_colour();

    QMap<QString, QPushButton*> buttons_;
    QStringList order_;
    QString marked_;
    QLabel* title_ = nullptr;
    QTimer colour_timer_;
    int colour_ = 0;
};

}  // namespace zep::gui
