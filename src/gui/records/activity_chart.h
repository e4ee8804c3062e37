#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "core/records/log_archive.h"

class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QLabel;
class QValueAxis;

namespace zep::gui {

// The activity chart beside the log list: granted and refused entries as stacked bars per
// hour or per day. Hovering a bar tells its counts; clicking it asks for the list to be
// narrowed to that hour or day.
class activity_chart final : public QWidget {
    Q_OBJECT
  public:
    explicit activity_chart(QWidget* parent);

    void show_activity(const records::log_activity& activity);
    // What the line under the chart says about the bar under the mouse (or the whole).
    QString info_text() const;
    // The bar's text as the hover shows it ("2026-12-07 08:00-08:59: 12 granted, 3 refused").
    QString bar_text(int bar) const;
    int bar_count() const { return static_cast<int>(bars_.size()); }
    // The chart as a PNG image; false when it cannot be written.
    bool save_png(const QString& path) const;

    // The bar's key ("yyyy-mm-dd" or "yyyy-mm-dd hh").
    void click_bar(int bar);
  Q_SIGNALS:
    void bar_clicked(const QString& key);

  private:
    void hover(bool over, int bar);
    QString whole_text() const;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QLabel* info_ = nullptr;
    std::vector<data::log_bucket> bars_;
    bool hourly_ = false;
};

}  // namespace zep::gui
