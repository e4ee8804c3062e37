#include "gui/records/readerpop_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/operator.h"
#include "core/records/access_string.h"
#include "core/records/schedules_register.h"
#include "gui/records/records_widgets.h"

namespace zep::gui {

namespace {

constexpr std::array<const char*, 2> reader_headers = {"Reader #", "Reader Name"};
constexpr std::array<const char*, 9> schedule_headers = {"Schedule #", "Name",    "Sunday",
                                                         "Monday",     "Tuesday", "Wednesday",
                                                         "Thursday",   "Friday",  "Saturday"};

QString number_and_name(const QTreeWidgetItem* item) {
    return item->text(0) + QStringLiteral("  ") + item->text(1);
}

}  // namespace

readerpop_dialog::readerpop_dialog(data::database_file& db, operator_port& person,
                                   const data::user_row& user, QWidget* parent)
    : QDialog(parent), db_(db), person_(person), access_(user.schedules) {
    setObjectName(QStringLiteral("readerpop"));
    setModal(true);
    setWindowTitle(records::picker_caption(user));
    auto* layout = new QVBoxLayout(this);
    readers_ = make_record_list(QStringLiteral("reader_list"), header_texts(reader_headers), this);
    schedules_ =
        make_record_list(QStringLiteral("schedule_list"), header_texts(schedule_headers), this);
    // The schedules list spans the dialog: all seven days show side by side.
    layout->addWidget(readers_, 2);
    layout->addWidget(schedules_, 3);
    layout->addWidget(make_choice_row());
    layout->addWidget(make_buttons());
    connect(readers_, &QTreeWidget::itemDoubleClicked, this, &readerpop_dialog::select_reader);
    connect(schedules_, &QTreeWidget::itemDoubleClicked, this, &readerpop_dialog::select_schedule);
    loadup();
    loadup2();
    fit_to_screen();
}

// Wide enough for every column of the schedules, as far as the screen allows.
void readerpop_dialog::fit_to_screen() {
    int wanted = 2 * schedules_->frameWidth() + 40;
    for (int c = 0; c < schedules_->columnCount(); ++c) wanted += schedules_->columnWidth(c);
    QSize size(std::max(wanted, 640), 560);
    if (const QScreen* on = screen()) size = size.boundedTo(on->availableGeometry().size() * 0.95);
    resize(size);
}

QWidget* readerpop_dialog::make_choice_row() {
    auto* row = new QWidget(this);
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(make_label(QStringLiteral("selected_reader_caption"),
                               QStringLiteral("Selected Reader:"), row),
                    0, 0);
    reader_shown_ = make_label(QStringLiteral("selected_reader"), QString(), row);
    grid->addWidget(reader_shown_, 0, 1);
    grid->addWidget(make_label(QStringLiteral("selected_schedule_caption"),
                               QStringLiteral("Selected Schedule:"), row),
                    1, 0);
    schedule_shown_ = make_label(QStringLiteral("selected_schedule"), QString(), row);
    grid->addWidget(schedule_shown_, 1, 1);
    grid->setColumnStretch(1, 1);
    return row;
}

QPushButton* readerpop_dialog::add_button(const QString& name, const QString& caption,
                                          QLayout* layout) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

QWidget* readerpop_dialog::make_buttons() {
    auto* row = new QWidget(this);
    auto* buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(0, 0, 0, 0);
    connect(add_button(QStringLiteral("all_remaining_button"),
                       QStringLiteral("Select all remaining readers"), buttons),
            &QPushButton::clicked, this, &readerpop_dialog::select_all_remaining);
    connect(add_button(QStringLiteral("all_times_button"),
                       QStringLiteral("Select Schedule 0 (all times)"), buttons),
            &QPushButton::clicked, this, &readerpop_dialog::select_all_times);
    buttons->addStretch();
    connect(add_button(QStringLiteral("finished_button"), QStringLiteral("Finished"), buttons),
            &QPushButton::clicked, this, &readerpop_dialog::finished);
    connect(add_button(QStringLiteral("cancel_button"), QStringLiteral("Cancel"), buttons),
            &QPushButton::clicked, this, &readerpop_dialog::reject);
    return row;
}

void readerpop_dialog::loadup() {
    // Every reader, active or not, named or not: the operator may prepare a reader's
    // users before the reader goes in service.
    QList<QTreeWidgetItem*> items;
    const status walked = data::readers_table(db_).walk([&items](const data::reader_row& row) {
        items << new QTreeWidgetItem(
            QStringList{records::access_string::three_digits(row.readernum), row.readername});
    });
    if (!walked) person_.message(walked.error());
    readers_->addTopLevelItems(items);
    fit_columns(readers_);
}

void readerpop_dialog::loadup2() {
    QList<QTreeWidgetItem*> items;
    const status walked = data::schedules_table(db_).walk([&items](const data::schedule_row& row) {
        QStringList columns{records::access_string::three_digits(row.schedulenum),
                            row.schedulename};
        for (const QString& day : records::day_fields(row)) columns << records::shown_day(day);
        items << new QTreeWidgetItem(columns);
    });
    if (!walked) person_.message(walked.error());
    schedules_->addTopLevelItems(items);
    fit_columns(schedules_);
}

void readerpop_dialog::select_reader(QTreeWidgetItem* item) {
    if (!item) return;
    pending_.reader = item->text(0);
    reader_shown_->setText(number_and_name(item));
}

void readerpop_dialog::select_schedule(QTreeWidgetItem* item) {
    if (!item) return;
    pending_.schedule = item->text(0);
    schedule_shown_->setText(number_and_name(item));
}

void readerpop_dialog::select_all_remaining() {
    pending_.reader = QString::fromLatin1(records::access_string::all_remaining_readers);
    reader_shown_->setText(pending_.reader + QStringLiteral("  ") +
                           QString::fromLatin1(records::all_remaining_name));
}

void readerpop_dialog::select_all_times() {
    pending_.schedule = QString::fromLatin1(records::access_string::all_times_schedule);
    schedule_shown_->setText(pending_.schedule + QStringLiteral("  ") +
                             QString::fromLatin1(records::all_times_schedule_name));
}

void readerpop_dialog::finished() {
    if (status chosen = records::check_choice(access_, pending_); !chosen) {
        person_.message(chosen.error());
        return;
    }
    choice_ = pending_;
    accept();
}

void readerpop_dialog::reject() {
    choice_ = {};
    QDialog::reject();
}

}  // namespace zep::gui
