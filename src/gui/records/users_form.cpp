#include "gui/records/users_form.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/program/startup.h"
#include "core/records/access_string.h"
#include "core/records/users_csv.h"
#include "gui/records/newuser_dialog.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/users_import_dialog.h"

namespace zep::gui {

namespace {

constexpr std::array<const char*, 7> day_names = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

QStringList user_columns(const data::user_row& user) {
    return {user.lastname, user.firstname, user.userid};
}

constexpr auto users_csv_filter = "CSV (*.csv)|*.csv";

QPushButton* make_button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

users_form::users_form(screen_context& context)
    : record_screen(context.parent),
      db_(*context.state.db),
      person_(context.person),
      menus_(context.menus),
      register_(db_, person_) {
    setObjectName(QStringLiteral("usersform"));
    close_on_escape(this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(make_user_side(), 1);
    layout->addWidget(make_assignment_side(), 1);
    user_dialog_ = new newuser_dialog(this);
    wire_menus(menus_);
    loadup();
}

QWidget* users_form::make_user_side() {
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(make_heading(QStringLiteral("users_heading"), QStringLiteral("Users"), side));
    column->addWidget(make_label(QStringLiteral("user_menu_hint"),
                                 QString::fromLatin1(records::user_menu_hint_text), side));
    users_ = make_record_list(QStringLiteral("user_list"),
                              header_texts(records::user_column_headers), side);
    users_->header()->setSortIndicatorShown(true);
    users_->header()->setSortIndicator(0, Qt::AscendingOrder);
    sort_on_header_click(users_);
    users_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(users_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { select_user(item); });
    // A click on the row that already was the current one selects it again.
    users_->viewport()->installEventFilter(this);
    connect(users_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item == current_at_press_) select_user(item);
    });
    connect(users_, &QWidget::customContextMenuRequested, this, &users_form::show_user_menu);
    column->addWidget(users_, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* import =
        make_button(QStringLiteral("import_users_button"), QStringLiteral("&Import..."), side);
    QPushButton* export_ =
        make_button(QStringLiteral("export_users_button"), QStringLiteral("E&xport..."), side);
    import->setToolTip(QStringLiteral("Add or update card holders from a CSV file"));
    export_->setToolTip(QStringLiteral("Write every card holder and their access to a CSV file"));
    connect(import, &QPushButton::clicked, this, &users_form::import_csv);
    connect(export_, &QPushButton::clicked, this, &users_form::export_csv);
    buttons->addWidget(import);
    buttons->addWidget(export_);
    buttons->addStretch();
    column->addLayout(buttons);
    return side;
}

QWidget* users_form::make_assignment_side() {
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    heading_ = make_heading(QStringLiteral("assignments_heading"),
                            QString::fromLatin1(records::assignments_heading_text), side);
    column->addWidget(heading_);
    assignments_ = make_record_list(QStringLiteral("assignment_list"),
                                    header_texts(records::assignment_column_headers), side);
    assignments_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(assignments_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { displayschedule(item); });
    connect(assignments_, &QWidget::customContextMenuRequested, this,
            &users_form::show_schedule_menu);
    column->addWidget(assignments_, 1);
    column->addWidget(make_times_row());
    auto* buttons = new QHBoxLayout;
    // Enabled even with no user: used then, they say there is none.
    QPushButton* add = make_button(QStringLiteral("add_reader_schedule_button"),
                                   QStringLiteral("Add New Reader/Schedule"), side);
    QPushButton* clear = make_button(QStringLiteral("clear_schedules_button"),
                                     QStringLiteral("Clear Schedules for this User"), side);
    connect(add, &QPushButton::clicked, this, &users_form::add_reader_schedule);
    connect(clear, &QPushButton::clicked, this, &users_form::clear_schedules);
    buttons->addWidget(add);
    buttons->addWidget(clear);
    column->addLayout(buttons);
    return side;
}

QWidget* users_form::make_times_row() {
    times_row_ = new QWidget(this);
    times_row_->setObjectName(QStringLiteral("weekly_times"));
    auto* grid = new QGridLayout(times_row_);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 7; ++k) {
        const QString day = QString::fromLatin1(day_names[static_cast<size_t>(k)]);
        grid->addWidget(make_label(QStringLiteral("day_") + day.toLower(), day, times_row_), 0, k);
        QLabel* cell = make_label(QStringLiteral("times_") + day.toLower(), QString(), times_row_);
        cell->setFrameShape(QFrame::StyledPanel);
        grid->addWidget(cell, 1, k);
        times_[static_cast<size_t>(k)] = cell;
    }
    times_row_->hide();
    return times_row_;
}

void users_form::wire_menus(shell_menus& menus) {
    if (menus.modify_user) connect(menus.modify_user, &QAction::triggered, this, &users_form::lmu);
    if (menus.add_new_user)
        connect(menus.add_new_user, &QAction::triggered, this, &users_form::lanu);
    if (menus.delete_user) connect(menus.delete_user, &QAction::triggered, this, &users_form::ldu);
    if (menus.delete_schedule) {
        connect(menus.delete_schedule, &QAction::triggered, this, &users_form::delsch);
    }
}

void users_form::show_user_menu(const QPoint& at) {
    if (!menus_.user_menu) return;
    const bool any = users_->topLevelItemCount() > 0;
    menus_.modify_user->setEnabled(any);
    menus_.delete_user->setEnabled(any);
    menus_.user_menu->popup(users_->viewport()->mapToGlobal(at));
}

void users_form::show_schedule_menu(const QPoint& at) {
    if (menus_.schedule_menu)
        menus_.schedule_menu->popup(assignments_->viewport()->mapToGlobal(at));
}

void users_form::import_csv() {
    if (!may_leave()) return;
    const auto path = person_.choose_open_file(QStringLiteral("users.csv"),
                                               QString::fromLatin1(users_csv_filter));
    if (!path) return;
    users_import_dialog preview(db_, person_, *path, this);
    if (!preview.plan() && preview.current_plan().faults.size() == 1) {
        person_.message(preview.current_plan().faults.front());  // the file cannot be read
        return;
    }
    if (preview.exec() != QDialog::Accepted) return;
    loadup();
    person_.status_line(preview.outcome());
}

void users_form::export_csv() {
    const auto path = person_.choose_save_file(QStringLiteral("users.csv"),
                                               QString::fromLatin1(users_csv_filter));
    if (!path) return;
    const auto written = records::export_users_csv(db_, *path);
    if (!written) {
        person_.message(written.error());
        return;
    }
    person_.status_line(QStringLiteral("%1 users written to %2").arg(*written).arg(*path));
}

void users_form::loadup() {
    nodisplayschedule();
    for (QLabel* cell : times_) cell->clear();
    std::vector<data::user_row> rows = records::load_user_list(db_);
    records::sort_user_list(rows, users_->sortColumn());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const data::user_row& row : rows) items << new QTreeWidgetItem(user_columns(row));
    {
        const QSignalBlocker quiet(users_);
        users_->clear();
        users_->addTopLevelItems(items);
        fit_columns(users_);  // names elide only when the list has no room for them
    }
    forget_user();
    if (!items.isEmpty()) {
        const QSignalBlocker quiet(users_);
        users_->setCurrentItem(items.front());
    }
    if (!items.isEmpty()) select_user(items.front());
}

// After another PC changed the user this screen was about to change: the list afresh,
// with the same user chosen again when it is still there.
void users_form::reload_after_change() {
    const QString userid = current_.userid;
    loadup();
    for (int i = 0; i < users_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = users_->topLevelItem(i);
        if (item->text(2) != userid) continue;
        {
            const QSignalBlocker quiet(users_);
            users_->setCurrentItem(item);
        }
        select_user(item);
        return;
    }
}

void users_form::select_user(QTreeWidgetItem* item) {
    if (!item) return;
    nodisplayschedule();
    current_ = {item->text(2), item->text(0), item->text(1), {}};
    fill_assignments();
}

bool users_form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == users_->viewport() && event->type() == QEvent::MouseButtonPress) {
        current_at_press_ = users_->currentItem();
    }
    return record_screen::eventFilter(watched, event);
}

void users_form::forget_user() {
    current_ = {};
    assignments_->clear();
    heading_->setText(QString::fromLatin1(records::assignments_heading_text));
}

void users_form::fill_assignments() {
    heading_->setText(records::assignments_heading(current_.firstname, current_.lastname));
    const auto stored = data::users_table(db_).find(current_.userid);
    current_.schedules = stored && *stored ? (*stored)->schedules : QString();
    assignments_->clear();
    append_assignments(zep::records::assignment_list(db_, current_.schedules));
}

void users_form::append_assignments(const std::vector<records::assignment_row>& rows) {
    QList<QTreeWidgetItem*> items;
    for (const records::assignment_row& row : rows)
        items << new QTreeWidgetItem({row.reader, row.schedule});
    assignments_->addTopLevelItems(items);
    sort_ascending(assignments_, 0);
    fit_columns(assignments_);
}

void users_form::displayschedule(QTreeWidgetItem* assignment) {
    if (!assignment) return;
    const auto cells = records::weekly_times(db_, assignment->text(1));
    for (size_t k = 0; k < cells.size(); ++k) times_[k]->setText(cells[k]);
    times_row_->show();
}

void users_form::nodisplayschedule() {
    times_row_->hide();
}

QTreeWidgetItem* users_form::insert_user(const data::user_row& user) {
    const int column = users_->sortColumn();
    auto* item = new QTreeWidgetItem(user_columns(user));
    const QSignalBlocker quiet(users_);
    users_->insertTopLevelItem(sorted_position(users_, column, user_columns(user)[column]), item);
    return item;
}

void users_form::show_user_row(QTreeWidgetItem* item, const data::user_row& user) {
    const QStringList columns = user_columns(user);
    for (int c = 0; c < columns.size(); ++c) item->setText(c, columns[c]);
}

void users_form::lanu() {
    user_dialog_->open_for(newuser_dialog::mode::add, {}, [this](const records::user_entry& typed) {
        return save_new_user(typed);
    });
}

bool users_form::save_new_user(const records::user_entry& typed) {
    const auto added = register_.add_user(typed);
    if (!added) return false;
    QTreeWidgetItem* item = insert_user(*added);
    if (users_->topLevelItemCount() == 1) {
        {
            const QSignalBlocker quiet(users_);
            users_->setCurrentItem(item);
        }
        select_user(item);
    }
    return true;
}

void users_form::lmu() {
    QTreeWidgetItem* item = users_->currentItem();
    if (!item || !item->isSelected()) return;
    select_user(item);
    const records::user_entry fields{item->text(1), item->text(0), item->text(2)};
    user_dialog_->open_for(
        newuser_dialog::mode::modify, fields,
        [this, item](const records::user_entry& typed) { return save_changed_user(item, typed); });
}

bool users_form::save_changed_user(QTreeWidgetItem* item, const records::user_entry& typed) {
    const auto changed = register_.modify_user(current_.userid, typed, &current_);
    if (!changed) {
        if (register_.changed_elsewhere()) {
            user_dialog_->reject();
            reload_after_change();
        }
        return false;
    }
    show_user_row(item, *changed);
    {
        const QSignalBlocker quiet(users_);
        sort_ascending(users_, users_->sortColumn());
    }
    users_->scrollToItem(item);
    select_user(item);
    return true;
}

void users_form::ldu() {
    QTreeWidgetItem* item = users_->currentItem();
    if (!item || !item->isSelected()) return;
    if (!register_.delete_user(item->text(2))) return;
    const int position = users_->indexOfTopLevelItem(item);
    {
        const QSignalBlocker quiet(users_);
        delete item;
    }
    const int next = records::selection_after_delete(position, users_->topLevelItemCount());
    if (next < 0) {
        nodisplayschedule();
        forget_user();
        return;
    }
    QTreeWidgetItem* shown = users_->topLevelItem(next);
    {
        const QSignalBlocker quiet(users_);
        users_->setCurrentItem(shown);
    }
    select_user(shown);
}

void users_form::delsch() {
    if (users_->topLevelItemCount() == 0) return;
    nodisplayschedule();
    QTreeWidgetItem* row = assignments_->currentItem();
    if (!row || !row->isSelected()) return;
    const int reader = row->text(0).left(3).toInt();
    if (!register_.delete_assignment(current_.userid, reader, &current_)) {
        if (register_.changed_elsewhere()) reload_after_change();
        return;
    }
    current_.schedules = records::access_string::without_slot(current_.schedules, reader);
    delete row;
}

void users_form::add_reader_schedule() {
    nodisplayschedule();
    const auto user = register_.begin_assignment(current_.userid);
    if (!user) return;
    picker_ = new readerpop_dialog(db_, person_, *user, this);
    picker_->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker_, &QDialog::finished, this,
            [this, picker = picker_.data()] { store_choice(picker->choice()); });
    picker_->open();
}

void users_form::store_choice(const records::assignment_choice& choice) {
    if (choice.reader.isEmpty()) return;
    append_assignments(register_.store_assignment(current_.userid, choice, &current_));
    if (register_.changed_elsewhere()) {
        reload_after_change();
        return;
    }
    const auto stored = data::users_table(db_).find(current_.userid);
    if (stored && *stored) current_.schedules = (*stored)->schedules;
}

void users_form::clear_schedules() {
    if (!register_.clear_schedules(current_.userid, &current_)) {
        if (register_.changed_elsewhere()) reload_after_change();
        return;
    }
    nodisplayschedule();
    current_.schedules = records::access_string::blank();
    assignments_->clear();
}

}  // namespace zep::gui
