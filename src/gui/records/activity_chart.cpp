#include "gui/records/activity_chart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLocale>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

namespace zep::gui {

namespace {

// Bars beyond this many would write their labels over one another: the hover tells them.
constexpr int most_labelled_bars = 48;

QString counted(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

}  // namespace

activity_chart::activity_chart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("activity_chart"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setAnimationOptions(QChart::NoAnimation);
    view_ = new QChartView(chart_, this);
    view_->setObjectName(QStringLiteral("activity_chart_view"));
    view_->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(view_, 1);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("activity_info"));
    layout->addWidget(info_);
}

void activity_chart::show_activity(const records::log_activity& activity) {
    bars_ = activity.bars;
    hourly_ = activity.hourly;
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    auto* granted = new QBarSet(QStringLiteral("Granted"));
    auto* refused = new QBarSet(QStringLiteral("Refused"));
    granted->setColor(QColor(0x2e, 0x7d, 0x32));
    refused->setColor(QColor(0xc6, 0x28, 0x28));
    QStringList keys;
    qint64 highest = 0;
    for (const data::log_bucket& bar : bars_) {
        *granted << static_cast<qreal>(bar.granted);
        *refused << static_cast<qreal>(bar.refused);
        // Hours of one day are labelled by the hour alone, days by month and day.
        keys << (hourly_ ? bar.key.mid(5, 5) + u' ' + bar.key.mid(11, 2) : bar.key.mid(5));
        highest = std::max(highest, bar.granted + bar.refused);
    }
    auto* series = new QStackedBarSeries;
    series->append(granted);
    series->append(refused);
    series->setBarWidth(0.9);
    chart_->addSeries(series);
    auto* across = new QBarCategoryAxis;
    across->append(keys);
    across->setLabelsAngle(bars_.size() > 12 ? -90 : 0);
    across->setTruncateLabels(false);
    across->setLabelsVisible(bars_.size() <= static_cast<std::size_t>(most_labelled_bars));
    // Whole counts only: ticks every 1, 2 or 5 times a power of ten, about five of them.
    qint64 step = 1;
    while (step * 5 < highest) {
        if (step * 2 * 5 >= highest) {
            step *= 2;
            break;
        }
        if (step * 5 * 5 >= highest) {
            step *= 5;
            break;
        }
        step *= 10;
    }
    auto* up = new QValueAxis;
    up->setRange(0, static_cast<qreal>(std::max<qint64>((highest + step - 1) / step, 1) * step));
    up->setTickType(QValueAxis::TicksDynamic);
    up->setTickAnchor(0);
    up->setTickInterval(static_cast<qreal>(step));
    up->setLabelFormat(QStringLiteral("%d"));
    chart_->addAxis(across, Qt::AlignBottom);
    chart_->addAxis(up, Qt::AlignLeft);
    series->attachAxis(across);
    series->attachAxis(up);
    const QString span = bars_.empty() ? QString()
                                       : bars_.front().key.left(10) + QStringLiteral(" to ") +
                                             bars_.back().key.left(10);
    chart_->setTitle(bars_.empty() ? QStringLiteral("No entries match the filter")
                                   : (hourly_ ? QStringLiteral("Entries per hour, ")
                                              : QStringLiteral("Entries per day, ")) +
                                         span);
    for (QBarSet* set : {granted, refused}) {
        connect(set, &QBarSet::hovered, this, &activity_chart::hover);
        connect(set, &QBarSet::clicked, this, &activity_chart::click_bar);
    }
    info_->setText(whole_text());
}

QString activity_chart::bar_text(int bar) const {
    if (bar < 0 || bar >= bar_count()) return {};
    const data::log_bucket& b = bars_[static_cast<std::size_t>(bar)];
    const QString when =
        hourly_ ? b.key + QStringLiteral(":00-") + b.key.mid(11, 2) + QStringLiteral(":59") : b.key;
    return QStringLiteral("%1: %2 granted, %3 refused")
        .arg(when, counted(b.granted), counted(b.refused));
}

QString activity_chart::whole_text() const {
    if (bars_.empty()) return {};
    qint64 granted = 0, refused = 0;
    for (const data::log_bucket& b : bars_) {
        granted += b.granted;
        refused += b.refused;
    }
    return QStringLiteral(
               "%1 granted, %2 refused. Point at a bar for its counts; click it to "
               "list that %3.")
        .arg(counted(granted), counted(refused),
             hourly_ ? QStringLiteral("hour") : QStringLiteral("day"));
}

QString activity_chart::info_text() const {
    return info_->text();
}

void activity_chart::hover(bool over, int bar) {
    const QString text = over ? bar_text(bar) : whole_text();
    info_->setText(text);
    if (over)
        QToolTip::showText(QCursor::pos(), text, view_);
    else
        QToolTip::hideText();
}

void activity_chart::click_bar(int bar) {
    if (bar < 0 || bar >= bar_count()) return;
    Q_EMIT bar_clicked(bars_[static_cast<std::size_t>(bar)].key);
}

bool activity_chart::save_png(const QString& path) const {
    return view_->grab().save(path, "PNG");
}

}  // namespace zep::gui
