#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "core/autorun/override_selection.h"

class QCheckBox;

namespace zep::data {
struct reader_row;
}

namespace zep::gui {

// The screen `override`: one box per reader number, picking the readers that the
// apply-to-all actions and the automatic run reach for the rest of this program run.
// Every click changes the selection at once, so closing keeps it as it was left.
class override_form final : public QDialog {
    Q_OBJECT
  public:
    // `rows` is the readers table in number order; opening runs loadup.
    override_form(const std::vector<data::reader_row>& rows, autorun::override_selection& selection,
                  QWidget* parent = nullptr);

  private:
    QWidget* make_boxes(const autorun::override_boxes& boxes);
    void clear_all();

    autorun::override_selection& selection_;
    std::array<QCheckBox*, records::reader_slots> boxes_{};
};

}  // namespace zep::gui
