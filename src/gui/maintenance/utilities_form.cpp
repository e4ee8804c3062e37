#include "gui/maintenance/utilities_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"
#include "core/program/single_reader.h"
#include "core/program/startup.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

constexpr int clock_refresh_ms = 1000;
constexpr auto adhoc_caption = "Add Hoc Add/Delete";
constexpr auto current_time_caption = "Current Date/Time";
constexpr auto reader_time_caption = "Reader Date/Time";

QLabel* value_label(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(150);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString yes_no(bool on) {
    return on ? QStringLiteral("Y") : QStringLiteral("N");
}

}  // namespace

utilities_form::utilities_form(screen_context& context, const clock_source& clock,
                               autorun::override_selection& selection)
    : QWidget(context.parent), context_(context), clock_(clock), selection_(selection) {
    setObjectName(QStringLiteral("utilities"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new screen_banner(&context_.state, &selection_, this));
    auto* note = new QLabel(QString::fromLatin1(maintenance::utilities_tcp_note_text), this);
    note->setObjectName(QStringLiteral("tcp_note"));
    note->setStyleSheet(QStringLiteral("font-weight: bold;"));
    layout->addWidget(note);

    auto* grid = new QGridLayout;
    grid->addWidget(make_identify_box(), 0, 0);
    grid->addWidget(make_memory_box(), 0, 1);
    grid->addWidget(make_clock_box(), 1, 0);
    grid->addWidget(make_adhoc_box(), 1, 1);
    layout->addLayout(grid);
    layout->addWidget(make_result_box(), 1);

    ticker_ = new QTimer(this);
    ticker_->setObjectName(QStringLiteral("clock_ticker"));
    ticker_->setInterval(clock_refresh_ms);
    connect(ticker_, &QTimer::timeout, this, &utilities_form::show_current_time);
    show_current_time();
    ticker_->start();
}

QPushButton* utilities_form::make_button(const QString& caption, const QString& name,
                                         QWidget* parent, void (utilities_form::*action)()) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

QCheckBox* utilities_form::make_setting_box(const QString& name, QString& flag, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(maintenance::apply_to_all_text), parent);
    box->setObjectName(name);
    box->setChecked(maintenance::apply_to_all(flag));
    // The shell writes the settings back when the program closes.
    connect(box, &QCheckBox::toggled, this, [&flag](bool on) { flag = yes_no(on); });
    return box;
}

QWidget* utilities_form::make_identify_box() {
    auto* box = new QGroupBox(QStringLiteral("Identify"), this);
    box->setObjectName(QStringLiteral("identify_section"));
    auto* column = new QVBoxLayout(box);
    column->addWidget(make_button(QStringLiteral("Identify Reader"),
                                  QStringLiteral("identify_reader"), box,
                                  &utilities_form::identify));
    identification_ = new QLineEdit(box);
    identification_->setObjectName(QStringLiteral("identification"));
    identification_->setReadOnly(true);
    column->addWidget(identification_);
    column->addStretch();
    return box;
}

QWidget* utilities_form::make_memory_box() {
    auto* box = new QGroupBox(QStringLiteral("Memory Usage"), this);
    box->setObjectName(QStringLiteral("memory_section"));
    auto* form = new QFormLayout(box);
    form->addRow(make_button(QStringLiteral("Read"), QStringLiteral("read_memory"), box,
                             &utilities_form::read_memory));
    download_avail_ = value_label(QStringLiteral("download_slots_avail"), box);
    download_used_ = value_label(QStringLiteral("download_slots_used"), box);
    logging_avail_ = value_label(QStringLiteral("logging_slots_avail"), box);
    logging_used_ = value_label(QStringLiteral("logging_slots_used"), box);
    form->addRow(QString::fromLatin1(maintenance::download_avail_caption), download_avail_);
    form->addRow(QString::fromLatin1(maintenance::download_used_caption), download_used_);
    form->addRow(QString::fromLatin1(maintenance::logging_avail_caption), logging_avail_);
    form->addRow(QString::fromLatin1(maintenance::logging_used_caption), logging_used_);
    old_firmware_ = new QCheckBox(QString::fromLatin1(maintenance::old_firmware_text), box);
    old_firmware_->setObjectName(QStringLiteral("old_firmware"));
    old_firmware_->setChecked(maintenance::memory_layout_of(context_.state.settings) ==
                              commands::memory_layout::used_first);
    form->addRow(old_firmware_);
    return box;
}

QWidget* utilities_form::make_clock_box() {
    auto* box = new QGroupBox(QStringLiteral("Date/Time"), this);
    box->setObjectName(QStringLiteral("clock_section"));
    auto* form = new QFormLayout(box);
    current_time_ = value_label(QStringLiteral("current_date_time"), box);
    reader_time_ = value_label(QStringLiteral("reader_date_time"), box);
    form->addRow(QString::fromLatin1(current_time_caption), current_time_);
    form->addRow(QString::fromLatin1(reader_time_caption), reader_time_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(make_button(QStringLiteral("Read Date/Time"),
                                   QStringLiteral("read_date_time"), box,
                                   &utilities_form::read_clock));
    buttons->addWidget(make_button(QStringLiteral("Set Date/Time"), QStringLiteral("set_date_time"),
                                   box, &utilities_form::set_clock));
    form->addRow(buttons);
    set_date_all_ =
        make_setting_box(QStringLiteral("setdateall"), context_.state.settings.setdateall, box);
    form->addRow(set_date_all_);
    return box;
}

QWidget* utilities_form::make_adhoc_box() {
    auto* box = new QGroupBox(QString::fromLatin1(adhoc_caption), this);
    box->setObjectName(QStringLiteral("adhoc_section"));
    auto* column = new QVBoxLayout(box);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(make_button(QStringLiteral("Add"), QStringLiteral("adhoc_add"), box,
                                   &utilities_form::add_id));
    buttons->addWidget(make_button(QStringLiteral("Delete"), QStringLiteral("adhoc_delete"), box,
                                   &utilities_form::delete_id));
    column->addLayout(buttons);
    adhoc_all_ =
        make_setting_box(QStringLiteral("addhocaddall"), context_.state.settings.addhocaddall, box);
    column->addWidget(adhoc_all_);
    column->addStretch();
    return box;
}

QWidget* utilities_form::make_result_box() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    results_ = new QListWidget(box);
    results_->setObjectName(QStringLiteral("result_list"));
    results_->setSelectionMode(QAbstractItemView::NoSelection);
    column->addWidget(results_, 1);
    // Shown while an apply-to-all action walks the readers, which may take long.
    cancel_ = new QPushButton(QStringLiteral("Cancel"), box);
    cancel_->setObjectName(QStringLiteral("cancel_walk"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { context_.jobs.cancel(); });
    column->addWidget(cancel_, 0, Qt::AlignLeft);
    return box;
}

void utilities_form::show_current_time() {
    current_time_->setText(maintenance::current_date_time_text(clock_));
}

void utilities_form::run(std::function<void(job_context&)> work, std::function<void()> done) {
    job_request request;
    request.work = std::move(work);
    request.on_finished = std::move(done);
    request.screen = this;
    context_.jobs.start(std::move(request));
}

void utilities_form::run_walk(
    std::function<void(job_context&, const maintenance::walk_inputs&)> walk) {
    // The readers and the selection as they are now: the walk does not see later changes.
    maintenance::walk_inputs inputs =
        maintenance::load_walk_inputs(*context_.state.db, context_.state.settings, selection_);
    job_request request;
    request.work = [walk = std::move(walk), inputs = std::move(inputs)](job_context& job) {
        walk(job, inputs);
    };
    request.on_status = [this](const QString& line) {
        results_->addItem(line);
        results_->scrollToBottom();
    };
    request.on_finished = [this] { cancel_->hide(); };
    request.screen = this;
    request.cancel_control = cancel_;
    request.output = results_;
    if (context_.jobs.start(std::move(request))) cancel_->show();
}

void utilities_form::identify() {
    const maintenance::utility_target target = program::utilities_target(context_.state);
    auto answer = std::make_shared<maintenance::utility_outcome>();
    run(
        [target, answer](job_context& job) {
            *answer = maintenance::identify_reader(job.link, target, job.person);
        },
        [this, answer] {
            // A failed answer leaves no earlier one standing as if it were this one's.
            identification_->setText(answer->ok() ? answer->text : QString());
        });
}

void utilities_form::read_memory() {
    const maintenance::utility_target target = program::utilities_target(context_.state);
    const commands::memory_layout layout = old_firmware_->isChecked()
                                               ? commands::memory_layout::used_first
                                               : commands::memory_layout::available_first;
    auto answer = std::make_shared<maintenance::memory_outcome>();
    run(
        [target, layout, answer](job_context& job) {
            *answer = maintenance::read_memory_usage(job.link, target, layout, job.person);
        },
        [this, answer] {
            const bool ok = answer->ok();
            download_avail_->setText(ok ? answer->usage.download_available.text : QString());
            download_used_->setText(ok ? answer->usage.download_used.text : QString());
            logging_avail_->setText(ok ? answer->usage.logging_available.text : QString());
            logging_used_->setText(ok ? answer->usage.logging_used.text : QString());
        });
}

void utilities_form::read_clock() {
    const maintenance::utility_target target = program::utilities_target(context_.state);
    auto answer = std::make_shared<maintenance::clock_outcome>();
    run(
        [target, answer](job_context& job) {
            *answer = maintenance::read_reader_clock(job.link, target, job.person);
        },
        [this, answer] { reader_time_->setText(answer->ok() ? answer->text : QString()); });
}

void utilities_form::set_clock() {
    const clock_source& clock = clock_;
    if (set_date_all_->isChecked()) {
        run_walk([&clock](job_context& job, const maintenance::walk_inputs& inputs) {
            maintenance::doall_settime(job.link, inputs, clock, job.person);
        });
        return;
    }
    const maintenance::utility_target target = program::utilities_target(context_.state);
    run([target, &clock](job_context& job) {
        maintenance::set_reader_clock(job.link, target, clock, job.person);
    });
}

void utilities_form::add_id() {
    if (adhoc_all_->isChecked()) {
        run_walk([](job_context& job, const maintenance::walk_inputs& inputs) {
            maintenance::doall_addhocadd(job.link, inputs, job.person);
        });
        return;
    }
    const maintenance::utility_target target = program::utilities_target(context_.state);
    run([target](job_context& job) { maintenance::addhocadd(job.link, target, job.person); });
}

void utilities_form::delete_id() {
    // With the box set, a lost card is revoked everywhere rather than nowhere.
    if (adhoc_all_->isChecked()) {
        run_walk([](job_context& job, const maintenance::walk_inputs& inputs) {
            maintenance::doall_adhocdelete(job.link, inputs, job.person);
        });
        return;
    }
    const maintenance::utility_target target = program::utilities_target(context_.state);
    run([target](job_context& job) { maintenance::addhoc_delete(job.link, target, job.person); });
}

}  // namespace zep::gui
