#pragma once

#include "gui/records/records_widgets.h"
#include "gui/shell/screen_registry.h"

class QTableView;

namespace zep::gui {

class archive_model;

// `archive`: the stored transaction log, sorted on the clicked column, read lazily.
class archive_form final : public record_screen {
    Q_OBJECT
  public:
    explicit archive_form(screen_context& context);

    void loadup() override;
    void sort_on(int column);

  private:
    archive_model* model_ = nullptr;
    QTableView* view_ = nullptr;
};

}  // namespace zep::gui
