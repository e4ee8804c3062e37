#include "gui/records/dbutil_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/program/startup.h"
#include "core/records/employee_export.h"
#include "core/records/log_delete.h"
#include "core/records/log_export.h"
#include "core/records/users_register.h"
#include "core/records/users_series.h"

namespace zep::gui {

namespace {

// Taken when the program loads, before any screen: the export boxes offer the log
// gathered since the program was started.
const QDate program_started = default_clock().now().date();

QPushButton* add_button(const QString& name, const QString& caption, QWidget* panel,
                        QLayout* layout) {
    auto* button = new QPushButton(caption, panel);
    button->setObjectName(name);
    layout->addWidget(button);
    if (auto* row = qobject_cast<QHBoxLayout*>(layout)) row->addStretch();
    return button;
}

QLineEdit* add_digits_box(const QString& name, QWidget* panel) {
    auto* box = new QLineEdit(panel);
    box->setObjectName(name);
    filter_keys(box, [](QChar c) { return c.isDigit(); });
    return box;
}

}  // namespace

// The operator of the screen's utilities: everything goes to the shell's operator but the
// progress text, which the screen's status line shows.
class dbutil_form::status_operator final : public operator_port {
  public:
    status_operator(operator_port& person, QLabel*& status) : person_(person), status_(status) {}

    void message(const QString& text) override { person_.message(text); }
    bool confirm(const QString& question) override { return person_.confirm(question); }
    std::optional<QString> ask_text(const QString& title, const QString& prompt) override {
        return person_.ask_text(title, prompt);
    }
    std::optional<QString> choose_open_file(const QString& name, const QString& filter) override {
        return person_.choose_open_file(name, filter);
    }
    std::optional<QString> choose_save_file(const QString& name, const QString& filter) override {
        return person_.choose_save_file(name, filter);
    }
    void status_line(const QString& text) override { person_.status_line(text); }
    void progress(const QString& text) override {
        status_->setText(text);
        status_->repaint();
    }
    bool cancelled() override { return person_.cancelled(); }

  private:
    operator_port& person_;
    QLabel*& status_;
};

dbutil_form::dbutil_form(screen_context& context)
    : record_screen(context.parent),
      state_(context.state),
      person_(std::make_unique<status_operator>(context.person, status_)) {
    setObjectName(QStringLiteral("dbutil"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        make_heading(QStringLiteral("dbutil_heading"), QStringLiteral("Database Utilities"), this));
    auto* grid = new QGridLayout;
    grid->addWidget(make_export_panel(), 0, 0);
    grid->addWidget(make_delete_panel(), 0, 1);
    grid->addWidget(make_employee_panel(), 1, 0);
    grid->addWidget(make_series_panel(), 1, 1);
    layout->addLayout(grid);
    status_ = make_label(QStringLiteral("dbutil_status"), QString(), this);
    layout->addWidget(status_);
    layout->addStretch();

    const QDate today = default_clock().now().date();
    export_start_->setText(records::date_box_text(program_started));
    export_end_->setText(records::date_box_text(program_started));
    delete_start_->setText(records::date_box_text(today));
    delete_end_->setText(records::date_box_text(today));
    loadup();
}

dbutil_form::~dbutil_form() = default;

QLineEdit* dbutil_form::add_date_box(const QString& name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setInputMask(QStringLiteral("99-99-9999"));
    return box;
}

QGroupBox* dbutil_form::make_export_panel() {
    auto* panel = new QGroupBox(QStringLiteral("Export Log Data"), this);
    panel->setObjectName(QStringLiteral("export_log_panel"));
    auto* form = new QFormLayout(panel);
    export_start_ = add_date_box(QStringLiteral("export_start_date"));
    export_end_ = add_date_box(QStringLiteral("export_end_date"));
    reader_ = add_digits_box(QStringLiteral("export_reader"), panel);
    user_id_ = new QLineEdit(panel);
    user_id_->setObjectName(QStringLiteral("export_user_id"));
    form->addRow(QString::fromLatin1(records::export_start_box), export_start_);
    form->addRow(QString::fromLatin1(records::export_end_box), export_end_);
    form->addRow(QStringLiteral("Reader #"), reader_);
    form->addRow(QStringLiteral("User ID (blank for all)"), user_id_);
    fixed_ = new QRadioButton(QStringLiteral("Fixed Format"), panel);
    fixed_->setObjectName(QStringLiteral("fixed_format"));
    comma_ = new QRadioButton(QStringLiteral("Comma Delimited"), panel);
    comma_->setObjectName(QStringLiteral("comma_delimited"));
    connect(fixed_, &QRadioButton::clicked, this, [this] { state_.marker.export_fixed = true; });
    connect(comma_, &QRadioButton::clicked, this, [this] { state_.marker.export_fixed = false; });
    auto* layouts = new QHBoxLayout;
    layouts->addWidget(fixed_);
    layouts->addWidget(comma_);
    form->addRow(layouts);
    auto* buttons = new QHBoxLayout;
    connect(
        add_button(QStringLiteral("export_log_button"), QStringLiteral("Export"), panel, buttons),
        &QPushButton::clicked, this, &dbutil_form::export_log_data);
    form->addRow(buttons);
    return panel;
}

QGroupBox* dbutil_form::make_delete_panel() {
    auto* panel = new QGroupBox(QStringLiteral("Delete Log Data"), this);
    panel->setObjectName(QStringLiteral("delete_log_panel"));
    auto* form = new QFormLayout(panel);
    delete_start_ = add_date_box(QStringLiteral("delete_start_date"));
    delete_end_ = add_date_box(QStringLiteral("delete_end_date"));
    form->addRow(QString::fromLatin1(records::delete_start_box), delete_start_);
    form->addRow(QString::fromLatin1(records::delete_end_box), delete_end_);
    auto* buttons = new QHBoxLayout;
    connect(
        add_button(QStringLiteral("delete_log_button"), QStringLiteral("Delete"), panel, buttons),
        &QPushButton::clicked, this, &dbutil_form::delete_log_data);
    form->addRow(buttons);
    return panel;
}

QGroupBox* dbutil_form::make_employee_panel() {
    auto* panel = new QGroupBox(QStringLiteral("Export Employee List"), this);
    panel->setObjectName(QStringLiteral("export_employees_panel"));
    auto* row = new QHBoxLayout(panel);
    connect(
        add_button(QStringLiteral("export_employees_button"), QStringLiteral("Export"), panel, row),
        &QPushButton::clicked, this, &dbutil_form::export_employee_list);
    return panel;
}

QGroupBox* dbutil_form::make_series_panel() {
    auto* panel = new QGroupBox(QStringLiteral("Add Series of Numbers to User File"), this);
    panel->setObjectName(QStringLiteral("add_series_panel"));
    auto* form = new QFormLayout(panel);
    series_start_ = add_digits_box(QStringLiteral("series_start"), panel);
    series_end_ = add_digits_box(QStringLiteral("series_end"), panel);
    series_schedule_ = add_digits_box(QStringLiteral("series_schedule"), panel);
    series_start_->setMaxLength(records::longest_user_id);
    series_end_->setMaxLength(records::longest_user_id);
    series_schedule_->setMaxLength(2);
    form->addRow(QStringLiteral("Start Number"), series_start_);
    form->addRow(QStringLiteral("End Number"), series_end_);
    form->addRow(QStringLiteral("Schedule #"), series_schedule_);
    add_all_ = new QCheckBox(QStringLiteral("Add to all active readers"), panel);
    add_all_->setObjectName(QStringLiteral("add_to_all_active"));
    connect(add_all_, &QCheckBox::toggled, this,
            [this](bool ticked) { state_.marker.dbutil_add_all = ticked; });
    form->addRow(add_all_);
    connect(add_all_, &QCheckBox::toggled, series_schedule_, &QWidget::setEnabled);
    auto* buttons = new QHBoxLayout;
    connect(add_button(QStringLiteral("add_series_button"), QStringLiteral("Add"), panel, buttons),
            &QPushButton::clicked, this, &dbutil_form::add_series);
    form->addRow(buttons);
    return panel;
}

void dbutil_form::loadup() {
    fixed_->setChecked(state_.marker.export_fixed);
    comma_->setChecked(!state_.marker.export_fixed);
    add_all_->setChecked(state_.marker.dbutil_add_all);
    series_schedule_->setEnabled(add_all_->isChecked());
}

void dbutil_form::add_series() {
    records::series_request request{series_start_->text(), series_end_->text(),
                                    series_schedule_->text(), add_all_->isChecked()};
    const auto plan = records::plan_series(*state_.db, request);
    if (!plan) {
        person_->message(plan.error());
        return;
    }
    if (!person_->confirm(plan->question())) return;
    const auto added = records::add_series(*state_.db, *plan);
    person_->message(added ? *added : added.error());
}

void dbutil_form::export_log_data() {
    records::log_export_options options;
    options.start_box = export_start_->text();
    options.end_box = export_end_->text();
    options.reader_box = reader_->text();
    options.user_id_box = user_id_->text();
    options.fixed = fixed_->isChecked();
    records::export_log(*state_.db, *person_, options);
}

void dbutil_form::delete_log_data() {
    records::delete_log_dates(*state_.db, *person_, delete_start_->text(), delete_end_->text());
}

void dbutil_form::export_employee_list() {
    records::export_employees(*state_.db, *person_);
}

}  // namespace zep::gui
