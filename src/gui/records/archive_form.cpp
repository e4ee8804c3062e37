#include "gui/records/archive_form.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "core/data/readers_table.h"
#include "core/program/startup.h"
#include "core/records/access_string.h"
#include "gui/records/activity_chart.h"
#include "gui/records/archive_model.h"

namespace zep::gui {

namespace {

constexpr auto all_readers_text = "All readers";
constexpr auto date_hint = "MM-DD-YYYY [hh:mm]";
// Typing pauses this long before the list follows the boxes.
constexpr int settle_ms = 300;

QString counted(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

QLineEdit* make_box(const QString& name, const QString& hint, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setPlaceholderText(hint);
    box->setClearButtonEnabled(true);
    return box;
}

QPushButton* make_button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

archive_form::archive_form(screen_context& context)
    : record_screen(context.parent), db_(*context.state.db), person_(context.person) {
    setObjectName(QStringLiteral("archive"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(make_heading(QStringLiteral("archive_heading"),
                                   QString::fromLatin1(records::archive_heading_text), this));
    layout->addWidget(make_filter_bar());
    model_ = new archive_model(db_, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("log_list"));
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    // Fixed row heights keep the view from measuring rows it has not fetched.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->setColumnWidth(0, 150);
    view_->setColumnWidth(1, 200);
    view_->setColumnWidth(3, 160);
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, &archive_form::sort_on);
    chart_ = new activity_chart(this);
    connect(chart_, &activity_chart::bar_clicked, this, &archive_form::narrow_to);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("archive_tabs"));
    tabs_->addTab(view_, QStringLiteral("&List"));
    tabs_->addTab(chart_, QStringLiteral("&Activity"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { draw_chart(); });
    layout->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    QPushButton* refresh =
        make_button(QStringLiteral("refresh_button"), QStringLiteral("Refresh"), this);
    QPushButton* csv = make_button(QStringLiteral("export_csv_button"),
                                   QStringLiteral("Export shown rows as CSV..."), this);
    QPushButton* png = make_button(QStringLiteral("save_chart_button"),
                                   QStringLiteral("Save chart as PNG..."), this);
    connect(refresh, &QPushButton::clicked, this, &archive_form::loadup);
    connect(csv, &QPushButton::clicked, this, &archive_form::export_csv);
    connect(png, &QPushButton::clicked, this, &archive_form::save_chart);
    connect(tabs_, &QTabWidget::currentChanged, png,
            [this, png] { png->setVisible(tabs_->currentWidget() == chart_); });
    png->setVisible(false);
    buttons->addWidget(refresh);
    buttons->addWidget(csv);
    buttons->addWidget(png);
    buttons->addStretch();
    layout->addLayout(buttons);
    loadup();
}

QWidget* archive_form::make_filter_bar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("archive_filter"));
    from_ = make_box(QStringLiteral("filter_from"), QString::fromLatin1(date_hint), bar);
    to_ = make_box(QStringLiteral("filter_to"), QString::fromLatin1(date_hint), bar);
    match_ = make_box(QStringLiteral("filter_match"), QStringLiteral("ID or name contains"), bar);
    reader_ = new QComboBox(bar);
    reader_->setObjectName(QStringLiteral("filter_reader"));
    reader_->setEditable(true);  // a reader no longer registered can be typed
    reader_->setInsertPolicy(QComboBox::NoInsert);
    outcome_ = new QComboBox(bar);
    outcome_->setObjectName(QStringLiteral("filter_outcome"));
    outcome_->addItems({QStringLiteral("Granted and refused"), QStringLiteral("Granted"),
                        QStringLiteral("Refused")});
    const auto label = [bar](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text, bar);
        caption->setBuddy(buddy);
        return caption;
    };
    // Room for "MM-DD-YYYY hh:mm" in each date box.
    const int date_width = fontMetrics().horizontalAdvance(QStringLiteral("00-00-0000 00:00")) + 30;
    from_->setMinimumWidth(date_width);
    to_->setMinimumWidth(date_width);
    reader_->setMinimumContentsLength(10);
    auto* dates = new QHBoxLayout;
    dates->addWidget(label(QStringLiteral("&From"), from_));
    dates->addWidget(from_);
    dates->addWidget(label(QStringLiteral("&To"), to_));
    dates->addWidget(to_);
    dates->addWidget(label(QStringLiteral("&Reader"), reader_));
    dates->addWidget(reader_, 1);
    auto* rest = new QHBoxLayout;
    rest->addWidget(label(QStringLiteral("&Contains"), match_));
    rest->addWidget(match_, 1);
    rest->addWidget(outcome_);
    QPushButton* clear =
        make_button(QStringLiteral("clear_filter_button"), QStringLiteral("Clear"), bar);
    connect(clear, &QPushButton::clicked, this, &archive_form::clear_filter);
    rest->addWidget(clear);
    count_ = make_label(QStringLiteral("archive_count"), QString(), bar);
    rest->addWidget(count_, 1);
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addLayout(dates);
    rows->addLayout(rest);

    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(settle_ms);
    connect(settle_, &QTimer::timeout, this, &archive_form::apply_filter);
    for (QLineEdit* box : {from_, to_, match_}) {
        connect(box, &QLineEdit::textEdited, settle_, qOverload<>(&QTimer::start));
        connect(box, &QLineEdit::returnPressed, this, &archive_form::apply_filter);
    }
    connect(reader_, &QComboBox::currentTextChanged, settle_, qOverload<>(&QTimer::start));
    connect(outcome_, &QComboBox::currentIndexChanged, this, &archive_form::apply_filter);
    return bar;
}

void archive_form::fill_readers() {
    const QString chosen = reader_->currentText();
    const QSignalBlocker quiet(reader_);
    reader_->clear();
    reader_->addItem(QString::fromLatin1(all_readers_text));
    if (const auto readers = data::readers_table(db_).all()) {
        for (const data::reader_row& r : *readers) {
            const QString name =
                r.readername.trimmed().isEmpty() ? r.location.trimmed() : r.readername.trimmed();
            reader_->addItem(QStringLiteral("%1 %2").arg(r.readernum).arg(name).trimmed());
        }
    }
    reader_->setCurrentText(chosen.isEmpty() ? QString::fromLatin1(all_readers_text) : chosen);
}

void archive_form::loadup() {
    fill_readers();
    apply_filter();
}

void archive_form::apply_filter() {
    settle_->stop();
    data::log_filter filter;
    QStringList wrong;
    const auto bound = [&](QLineEdit* box, bool end, QString& into) {
        const auto read = records::filter_bound(box->text(), end);
        if (read)
            into = *read;
        else
            wrong << (end ? QStringLiteral("To") : QStringLiteral("From"));
    };
    bound(from_, false, filter.from);
    bound(to_, true, filter.to);
    const QString reader = reader_->currentText().trimmed();
    if (!reader.isEmpty() && reader != QLatin1String(all_readers_text)) {
        bool ok = false;
        filter.reader = reader.section(u' ', 0, 0).toInt(&ok);
        if (!ok || filter.reader < 0 || filter.reader > records::access_string::last_reader)
            wrong << QStringLiteral("Reader");
    }
    filter.match = match_->text().trimmed();
    filter.granted = static_cast<data::log_filter::outcome>(outcome_->currentIndex());
    if (!wrong.isEmpty()) {
        count_->setText(QStringLiteral("%1: not understood (dates are %2, readers 0 to 126)")
                            .arg(wrong.join(QStringLiteral(", ")), QString::fromLatin1(date_hint)));
        return;
    }
    model_->set_filter(filter);
    if (model_->canFetchMore({})) model_->fetchMore({});
    const qint64 rows = model_->total_rows();
    count_->setText(filter.any() ? QStringLiteral("%1 matching rows").arg(counted(rows))
                                 : QStringLiteral("%1 rows").arg(counted(rows)));
    chart_current_ = false;
    draw_chart();
}

void archive_form::clear_filter() {
    for (QLineEdit* box : {from_, to_, match_}) box->clear();
    {
        const QSignalBlocker quiet_reader(reader_), quiet_outcome(outcome_);
        reader_->setCurrentIndex(0);
        outcome_->setCurrentIndex(0);
    }
    apply_filter();
}

void archive_form::draw_chart() {
    if (chart_current_ || tabs_->currentWidget() != chart_) return;
    const auto activity = records::activity(db_, model_->filter());
    if (!activity) {
        person_.message(activity.error());
        return;
    }
    chart_->show_activity(*activity);
    chart_current_ = true;
}

void archive_form::narrow_to(const QString& bar_key) {
    const auto [from, to] = records::bar_bounds(bar_key);
    from_->setText(from);
    to_->setText(to);
    apply_filter();
    tabs_->setCurrentWidget(view_);
}

void archive_form::sort_on(int column) {
    view_->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    model_->sort(column);
    if (model_->canFetchMore({})) model_->fetchMore({});
}

void archive_form::export_csv() {
    const auto path =
        person_.choose_save_file(QStringLiteral("log.csv"), QStringLiteral("CSV (*.csv)|*.csv"));
    if (!path) return;
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly)) {
        person_.message(QStringLiteral("%1: %2").arg(*path, file.errorString()));
        return;
    }
    const auto rows = records::write_log_csv(db_, model_->filter(),
                                             [&](const QByteArray& line) { file.write(line); });
    if (!rows || !file.commit()) {
        person_.message(rows ? QStringLiteral("%1: %2").arg(*path, file.errorString())
                             : rows.error());
        return;
    }
    person_.status_line(QStringLiteral("%1 rows written to %2").arg(counted(*rows), *path));
}

void archive_form::save_chart() {
    draw_chart();
    const auto path = person_.choose_save_file(QStringLiteral("activity.png"),
                                               QStringLiteral("PNG image (*.png)|*.png"));
    if (!path) return;
    if (!chart_->save_png(*path)) {
        person_.message(QStringLiteral("%1: the image could not be written").arg(*path));
        return;
    }
    person_.status_line(QStringLiteral("Chart saved to %1").arg(*path));
}

}  // namespace zep::gui
