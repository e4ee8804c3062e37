#pragma once

#include <QLabel>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <array>
#include <functional>

#include "core/operator.h"

class QCloseEvent;
class QLineEdit;
class QShowEvent;

namespace zep::gui {

template <size_t N>
QStringList header_texts(const std::array<const char*, N>& headers) {
    QStringList texts;
    for (const char* header : headers) texts << QString::fromLatin1(header);
    return texts;
}

// A list of records: whole rows selected, one at a time, no tree decoration.
QTreeWidget* make_record_list(const QString& name, const QStringList& headers, QWidget* parent);
// The bold title a screen or panel shows at its top.
QLabel* make_heading(const QString& name, const QString& text, QWidget* parent);
QLabel* make_label(const QString& name, const QString& text, QWidget* parent);

// Esc closes `screen` (its dialogs, windows of their own, keep Esc for themselves).
void close_on_escape(QWidget* screen);

// Drops the printable keys `accept` refuses; backspace and the editing keys pass.
void filter_keys(QLineEdit* box, std::function<bool(QChar)> accept);

// Widens each column to what it shows.
void fit_columns(QTreeWidget* list);
// Sorts `list` ascending, as text, on `column` and shows that column as the sort key.
void sort_ascending(QTreeWidget* list, int column);
// Keeps `list` sorted ascending on the column whose header was clicked last.
void sort_on_header_click(QTreeWidget* list);
// Where a row with `text` in `column` goes in a list sorted ascending on that column.
int sorted_position(const QTreeWidget* list, int column, const QString& text);

inline constexpr auto save_changes_question = "Save the changes?";

// A screen of the Database side menu: filled once when made, and again each time the
// menu brings it back, as the operator expects to see what other screens changed.
class record_screen : public QWidget {
  public:
    explicit record_screen(QWidget* parent, operator_port* person = nullptr)
        : QWidget(parent), person_(person) {}
    virtual void loadup() = 0;

    // Before the screen is left, closed or read afresh: with unsaved edits in its form it
    // asks "Save the changes?"; Yes saves them, No drops them, Cancel stays. True when
    // the screen may go on (nothing was unsaved, or the edits were saved or dropped).
    bool may_leave();

  protected:
    virtual bool has_unsaved_edits() const { return false; }
    // False when the save was refused (the operator was told why).
    virtual bool save_edits() { return true; }
    virtual void drop_edits() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    operator_port* person_;
    bool shown_before_ = false;
};

}  // namespace zep::gui
