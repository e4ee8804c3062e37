#pragma once

#include <QWidget>

#include "core/autorun/override_selection.h"
#include "core/maintenance/card_formats.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_registry.h"

class QListWidget;
class QPushButton;

namespace zep::gui {

// The screen `barsetup`: which barcode symbologies and magstripe tracks the reader decodes
// and what part of the data it keeps. Each choice is written to its settings field at
// once; a "Set" sends its group to the reader of the comm settings, or to every active
// reader where the group's "Apply to all active readers" box is checked. The prox layout
// is remembered only.
class barsetup_form final : public QWidget {
    Q_OBJECT
  public:
    explicit barsetup_form(screen_context& context, autorun::override_selection& selection =
                                                        autorun::program_override_selection());

  private:
    QWidget* make_barcode_box();
    QWidget* make_magstripe_box();
    QWidget* make_masking_box();
    QWidget* make_prox_box();

    void send(maintenance::format_group group, bool all);

    screen_context context_;
    autorun::override_selection& selection_;
    QListWidget* results_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace zep::gui
