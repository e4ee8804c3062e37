#include "gui/records/schedules_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/program/startup.h"

namespace zep::gui {

namespace {

QStringList list_columns(const data::schedule_row& row) {
    const auto columns = records::schedule_columns(row);
    return QStringList(columns.begin(), columns.end());
}

}  // namespace

schedules_form::schedules_form(screen_context& context)
    : record_screen(context.parent, &context.person),
      db_(*context.state.db),
      person_(context.person) {
    setObjectName(QStringLiteral("schedulesform"));
    close_on_escape(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        make_heading(QStringLiteral("schedules_title"), QStringLiteral("Schedules"), this));
    list_ = make_record_list(QStringLiteral("schedule_list"),
                             header_texts(records::schedule_column_headers), this);
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(0, Qt::AscendingOrder);
    sort_on_header_click(list_);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &schedules_form::load_row);
    layout->addWidget(list_, 1);
    heading_ = make_heading(QStringLiteral("schedule_heading"), QString(), this);
    layout->addWidget(heading_);
    auto* name_row = new QHBoxLayout;
    name_row->addWidget(new QLabel(QStringLiteral("Name"), this));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("schedule_name_box"));
    name_row->addWidget(name_, 1);
    layout->addLayout(name_row);
    layout->addWidget(make_time_grid());
    layout->addWidget(make_buttons());
    loadup();
}

QWidget* schedules_form::make_time_grid() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Start"), panel), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("End"), panel), 2, 0);
    for (int k = 0; k < 7; ++k) {
        const QString day =
            QString::fromLatin1(records::schedule_column_headers[static_cast<size_t>(k + 2)]);
        grid->addWidget(new QLabel(day, panel), 0, k + 1);
        for (int end = 0; end < 2; ++end) {
            auto* box = new QLineEdit(panel);
            box->setObjectName(QStringLiteral("time_box_%1").arg(2 * k + end));
            box->setMaxLength(4);
            box->installEventFilter(this);
            boxes_[static_cast<size_t>(2 * k + end)] = box;
            grid->addWidget(box, end + 1, k + 1);
        }
    }
    return panel;
}

QWidget* schedules_form::make_buttons() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    update_ = new QPushButton(QStringLiteral("Update This Schedule"), panel);
    update_->setObjectName(QStringLiteral("update_schedule_button"));
    connect(update_, &QPushButton::clicked, this, &schedules_form::update_this_schedule);
    row->addWidget(update_);
    row->addStretch();
    const std::array<std::pair<const char*, void (*)(records::schedule_boxes&)>, 3> copies = {
        {{"M-F", records::copy_monday_to_friday},
         {"M-S", records::copy_monday_to_saturday},
         {"S-S", records::copy_sunday_to_saturday}}};
    for (const auto& [caption, copy] : copies) {
        auto* button = new QPushButton(QString::fromLatin1(caption), panel);
        button->setObjectName(QStringLiteral("copy_") +
                              QString::fromLatin1(caption).toLower().remove(QLatin1Char('-')));
        connect(button, &QPushButton::clicked, this, [this, c = copy] { copy_times(c); });
        row->addWidget(button);
    }
    return panel;
}

void schedules_form::loadup() {
    QList<QTreeWidgetItem*> items;
    for (const data::schedule_row& row : records::schedules_loadup(db_, person_)) {
        items << new QTreeWidgetItem(list_columns(row));
    }
    list_->clear();
    list_->addTopLevelItems(items);
    sort_ascending(list_, list_->sortColumn());
    fit_columns(list_);
    editing_ = 0;
    heading_->clear();
    show_form(records::idle_schedule_form());
    lock(true);
}

void schedules_form::show_form(const records::schedule_form& form) {
    name_->setText(form.name);
    for (size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setText(form.boxes[i]);
}

void schedules_form::lock(bool locked) {
    name_->setEnabled(!locked);
    update_->setEnabled(!locked);
    for (QLineEdit* box : boxes_) box->setEnabled(!locked);
}

records::schedule_form schedules_form::typed() const {
    records::schedule_form form;
    form.schedulenum = editing_;
    form.name = name_->text();
    for (size_t i = 0; i < boxes_.size(); ++i) form.boxes[i] = boxes_[i]->text();
    return form;
}

void schedules_form::load_row(QTreeWidgetItem* item) {
    if (!item) return;
    const int number = item->text(0).toInt();
    if (!may_leave()) return;
    // A save rewrote the list's rows; the chosen one is found again by number.
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (list_->topLevelItem(i)->text(0).toInt() == number) item = list_->topLevelItem(i);
    }
    records::schedule_form form;
    form.schedulenum = static_cast<qint16>(item->text(0).toInt());
    form.name = item->text(1);
    for (int k = 0; k < 7; ++k) {
        const QString shown = item->text(k + 2);
        form.boxes[static_cast<size_t>(2 * k)] = shown.left(4);
        form.boxes[static_cast<size_t>(2 * k + 1)] = shown.mid(7, 4);
    }
    editing_ = form.schedulenum;
    heading_->setText(QString::fromLatin1(records::schedule_heading_prefix) + item->text(0));
    show_form(form);
    lock(false);
    loaded_ = typed();
}

void schedules_form::copy_times(void (*copy)(records::schedule_boxes&)) {
    records::schedule_form form = typed();
    copy(form.boxes);
    show_form(form);
}

bool schedules_form::update_this_schedule() {
    if (editing_ == 0) return true;
    const records::schedule_form form = typed();
    switch (records::update_schedule(db_, person_, form, &loaded_)) {
        case records::schedule_update::refused:
            return false;
        case records::schedule_update::changed_elsewhere:
            loadup();  // what the other PC stored; the edits were not saved
            return true;
        case records::schedule_update::stored:
        case records::schedule_update::not_in_table:
            break;
    }
    loaded_ = form;
    const QStringList columns = list_columns(records::schedule_row_from_form(form));
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->text(0).toInt() != editing_) continue;
        for (int c = 1; c < columns.size(); ++c) item->setText(c, columns[c]);
    }
    return true;
}

int schedules_form::box_number(const QObject* box) const {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i] == box) return static_cast<int>(i);
    }
    return -1;
}

bool schedules_form::eventFilter(QObject* watched, QEvent* event) {
    const int box = box_number(watched);
    if (box < 0 || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) {
        const auto next =
            key->key() == Qt::Key_Down ? records::box_below(box) : records::box_above(box);
        if (next) boxes_[static_cast<size_t>(*next)]->setFocus();
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty() || text[0] < QLatin1Char(' ') || text[0] == QChar(0x7f)) return false;
    return !records::time_box_key(text[0]);
}

}  // namespace zep::gui
