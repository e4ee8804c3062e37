#pragma once

#include "core/data/log_query.h"
#include "gui/records/records_widgets.h"
#include "gui/shell/screen_registry.h"

class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableView;
class QTimer;

namespace zep::gui {

class activity_chart;
class archive_model;

// `archive`: the stored transaction log, sorted on the clicked column, read lazily. Above
// it a filter (dates, reader, ID or name, granted or refused) narrows the list, its count,
// its CSV export and the activity chart beside it; empty, it shows the whole log.
class archive_form final : public record_screen {
    Q_OBJECT
  public:
    explicit archive_form(screen_context& context);

    void loadup() override;
    void sort_on(int column);
    // Reads the filter boxes into the list and the chart; a box that holds no date is
    // told in the count line and nothing changes.
    void apply_filter();
    void clear_filter();
    // "Export shown rows as CSV..." and "Save chart as PNG...".
    void export_csv();
    void save_chart();
    // Narrows the filter to one bar of the chart and shows the list.
    void narrow_to(const QString& bar_key);

  private:
    QWidget* make_filter_bar();
    void fill_readers();
    void draw_chart();

    data::database_file& db_;
    operator_port& person_;
    archive_model* model_ = nullptr;
    QTableView* view_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QComboBox* reader_ = nullptr;
    QLineEdit* match_ = nullptr;
    QComboBox* outcome_ = nullptr;
    QLabel* count_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    activity_chart* chart_ = nullptr;
    QTimer* settle_ = nullptr;
    // The chart shows the current filter (drawn when its tab is shown).
    bool chart_current_ = false;
};

}  // namespace zep::gui
