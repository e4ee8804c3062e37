#include "gui/transfer/updown_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "core/program/single_reader.h"
#include "core/transfer/access_transfer.h"
#include "core/transfer/download_file.h"
#include "core/transfer/log_transfer.h"
#include "core/transfer/schedule_transfer.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

constexpr auto screen_caption_text =
    "This Menu Screen is for use with text files only for a single reader";
constexpr auto cancel_download_text = "Cancel Download";
constexpr auto cancel_upload_text = "Cancel Upload";
const QString schedule_and_id_format = QStringLiteral("1");
const QString id_only_format = QStringLiteral("2");

QString yes_no(bool on) {
    return on ? QStringLiteral("Y") : QStringLiteral("N");
}

bool is_yes(const QString& flag) {
    return flag.trimmed() == QLatin1String("Y");
}

QRadioButton* make_radio(const char* caption, const QString& name, QWidget* parent) {
    auto* radio = new QRadioButton(QString::fromLatin1(caption), parent);
    radio->setObjectName(name);
    return radio;
}

}  // namespace

updown_form::updown_form(screen_context& context) : QWidget(context.parent), context_(context) {
    setObjectName(QStringLiteral("updown"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new screen_banner(&context_.state, nullptr, this));
    auto* caption = new QLabel(QString::fromLatin1(screen_caption_text), this);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setStyleSheet(QStringLiteral("font-weight: bold;"));
    layout->addWidget(caption);
    auto* row = new QHBoxLayout;
    row->addWidget(make_options());
    row->addWidget(make_actions());
    layout->addLayout(row);
    layout->addWidget(make_progress());
    layout->addStretch();
}

QCheckBox* updown_form::make_setting_box(const char* caption, const QString& name, QString& flag,
                                         QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(name);
    box->setChecked(is_yes(flag));
    // The shell writes the settings back when the program closes.
    connect(box, &QCheckBox::toggled, this, [&flag](bool on) { flag = yes_no(on); });
    return box;
}

QWidget* updown_form::make_options() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("options"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    data::settings_record& settings = context_.state.settings;

    auto* format = new QGroupBox(QStringLiteral("File Format"), box);
    format->setObjectName(QStringLiteral("file_format"));
    auto* format_column = new QVBoxLayout(format);
    schedule_and_id_ =
        make_radio("Schedule + ID Number", QStringLiteral("schedule_and_id"), format);
    auto* id_only = make_radio("ID Number only", QStringLiteral("id_only"), format);
    format_column->addWidget(schedule_and_id_);
    format_column->addWidget(id_only);
    (settings.txtformat == schedule_and_id_format ? schedule_and_id_ : id_only)->setChecked(true);
    connect(schedule_and_id_, &QRadioButton::toggled, this, [&settings](bool on) {
        settings.txtformat = on ? schedule_and_id_format : id_only_format;
    });
    column->addWidget(format);

    // The line end is the screen's own choice: CR + Linefeed whenever it is made.
    auto* ends = new QGroupBox(QStringLiteral("Text File Format"), box);
    ends->setObjectName(QStringLiteral("text_file_format"));
    auto* ends_column = new QVBoxLayout(ends);
    auto* cr_lf = make_radio("CR + Linefeed", QStringLiteral("cr_lf"), ends);
    cr_only_ = make_radio("CR only", QStringLiteral("cr_only"), ends);
    cr_lf->setChecked(true);
    ends_column->addWidget(cr_lf);
    ends_column->addWidget(cr_only_);
    column->addWidget(ends);

    autoconfigure_ =
        make_setting_box("Autoconfigure Record Length", QStringLiteral("autoconfigreclen"),
                         settings.autoconfigreclen, box);
    old_firmware_ = make_setting_box("Check if your reader firmware is before 1/10/01",
                                     QStringLiteral("prior011001"), settings.prior011001, box);
    verify_ = make_setting_box("Verify after download", QStringLiteral("txtdownloadverify"),
                               settings.txtdownloadverify, box);
    column->addWidget(autoconfigure_);
    column->addWidget(old_firmware_);
    column->addWidget(verify_);
    column->addStretch();
    return box;
}

QWidget* updown_form::make_actions() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("actions"));
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    struct action {
        const char* caption;
        const char* name;
        void (updown_form::*run)();
    };
    struct section {
        const char* caption;
        const char* name;
        std::vector<action> actions;
    };
    const section sections[] = {
        {"Access List",
         "access_list_section",
         {{"Download Access List", "download_access_list", &updown_form::download_access_list},
          {"Upload Access List", "upload_access_list", &updown_form::upload_access_list},
          {"Clear Access List", "clear_access_list", &updown_form::clear_access_list}}},
        {"Schedules",
         "schedules_section",
         {{"Download Schedule", "download_schedule", &updown_form::download_schedule},
          {"Upload Schedule", "upload_schedule", &updown_form::upload_schedule}}},
        {"Log",
         "log_section",
         {{"Upload Log", "upload_log", &updown_form::upload_log},
          {"Clear Reader Log", "clear_log", &updown_form::clear_log}}},
    };
    for (const section& s : sections) {
        auto* group = new QGroupBox(QString::fromLatin1(s.caption), box);
        group->setObjectName(QString::fromLatin1(s.name));
        auto* column = new QVBoxLayout(group);
        for (const action& a : s.actions) {
            auto* button = new QPushButton(QString::fromLatin1(a.caption), group);
            button->setObjectName(QString::fromLatin1(a.name));
            connect(button, &QPushButton::clicked, this, a.run);
            column->addWidget(button);
        }
        column->addStretch();
        row->addWidget(group);
    }
    return box;
}

QWidget* updown_form::make_progress() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("progress_panel"));
    auto* column = new QVBoxLayout(box);
    status_ = new QLabel(box);
    status_->setObjectName(QStringLiteral("status"));
    progress_ = new QLabel(box);
    progress_->setObjectName(QStringLiteral("progress"));
    bar_ = new QProgressBar(box);
    bar_->setObjectName(QStringLiteral("progress_bar"));
    bar_->setRange(0, 1);
    bar_->reset();
    cancel_ = new QPushButton(box);
    cancel_->setObjectName(QStringLiteral("cancel_transfer"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { context_.jobs.cancel(); });
    column->addWidget(status_);
    column->addWidget(progress_);
    column->addWidget(bar_);
    column->addWidget(cancel_, 0, Qt::AlignLeft);
    return box;
}

transfer::line_end updown_form::chosen_line_end() const {
    return cr_only_->isChecked() ? transfer::line_end::cr : transfer::line_end::cr_lf;
}

transfer::transfer_view updown_form::view() {
    // Called on the worker: each report is queued to this thread, in order with the
    // runner's own, and dropped when the screen is gone by then.
    QPointer<updown_form> screen(this);
    job_runner* jobs = &context_.jobs;
    transfer::transfer_view v;
    v.status = [screen, jobs](const QString& text) {
        QMetaObject::invokeMethod(
            jobs,
            [screen, text] {
                if (screen) screen->status_->setText(text);
            },
            Qt::QueuedConnection);
    };
    v.count = [screen, jobs](qint64 done, qint64 total) {
        QMetaObject::invokeMethod(
            jobs,
            [screen, done, total] {
                if (screen) screen->show_count(done, total);
            },
            Qt::QueuedConnection);
    };
    return v;
}

void updown_form::show_count(qint64 done, qint64 total) {
    counted_ = done;
    if (total > 0) {
        bar_->setRange(0, static_cast<int>(total));
        bar_->setFormat(QStringLiteral("%v of %m"));
        bar_->setValue(static_cast<int>(done));
        return;
    }
    // Uploads cannot know their length: the bar only shows that records arrive.
    bar_->setRange(0, 0);
}

void updown_form::run(transfer_work work, const char* cancel_caption) {
    const link::link_endpoint reader =
        link::single_reader_endpoint(program::stored_single_reader(context_.state));
    auto outcome = std::make_shared<transfer::transfer_outcome>();
    job_request request;
    request.work = [work = std::move(work), reader, view = view(), outcome](job_context& job) {
        *outcome = work(job, reader, view);
    };
    request.on_progress = [this](const QString& text) { progress_->setText(text); };
    const bool upload = cancel_caption == cancel_upload_text;
    request.on_finished = [this, outcome, upload] { finished(*outcome, upload); };
    request.screen = this;
    request.cancel_control = cancel_;
    request.output = findChild<QWidget*>(QStringLiteral("progress_panel"));
    if (!context_.jobs.start(std::move(request))) return;
    counted_ = 0;
    bar_->setRange(0, 1);
    bar_->reset();
    if (cancel_caption) {
        cancel_->setText(QString::fromLatin1(cancel_caption));
        cancel_->show();
    }
}

void updown_form::finished(const transfer::transfer_outcome& outcome, bool upload) {
    cancel_->hide();
    // A cancel shows no message; the status line says what the file was left holding.
    if (upload && outcome.end == transfer::transfer_end::cancelled) {
        status_->setText(
            QStringLiteral("Upload cancelled: the file holds %1 records")
                .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(counted_)));
    }
    // An upload's busy bar stops at the count it reached.
    if (bar_->maximum() == 0) {
        bar_->setFormat(QStringLiteral("%v"));
        bar_->setRange(0, static_cast<int>(std::max<qint64>(counted_, 1)));
        bar_->setValue(static_cast<int>(counted_));
    }
}

void updown_form::download_access_list() {
    if (!context_.person.confirm(QString::fromLatin1(transfer::download_question))) return;
    const auto file =
        context_.person.choose_open_file(QString::fromLatin1(transfer::access_download_file_name),
                                         QString::fromLatin1(transfer::open_filter));
    if (!file) return;
    if (transfer::holds_no_records(*file) &&
        !context_.person.confirm(QString::fromLatin1(transfer::empty_download_question)))
        return;
    transfer::download_options options;
    options.file = *file;
    options.layout = schedule_and_id_->isChecked() ? transfer::access_layout::schedule_and_id
                                                   : transfer::access_layout::id_only;
    options.autoconfigure = autoconfigure_->isChecked();
    options.old_firmware = old_firmware_->isChecked();
    options.verify = verify_->isChecked();
    run(
        [options](job_context& job, const link::link_endpoint& reader,
                  const transfer::transfer_view& v) {
            return transfer::download_access_list(job.link, reader, options, job.person, v);
        },
        cancel_download_text);
}

void updown_form::upload_access_list() {
    const auto file =
        context_.person.choose_save_file(QString::fromLatin1(transfer::access_upload_file_name),
                                         QString::fromLatin1(transfer::save_filter));
    if (!file) return;
    transfer::upload_options options;
    options.file = *file;
    options.layout = schedule_and_id_->isChecked() ? transfer::access_layout::schedule_and_id
                                                   : transfer::access_layout::id_only;
    options.end = chosen_line_end();
    run(
        [options](job_context& job, const link::link_endpoint& reader,
                  const transfer::transfer_view& v) {
            return transfer::upload_access_list(job.link, reader, options, job.person, v);
        },
        cancel_upload_text);
}

void updown_form::clear_access_list() {
    run([](job_context& job, const link::link_endpoint& reader, const transfer::transfer_view&) {
        return transfer::clear_access_list(job.link, reader, job.person);
    });
}

void updown_form::download_schedule() {
    if (!context_.person.confirm(QString::fromLatin1(transfer::schedule_download_question))) {
        return;
    }
    const auto file =
        context_.person.choose_open_file(QString::fromLatin1(transfer::schedule_file_name),
                                         QString::fromLatin1(transfer::open_filter));
    if (!file) return;
    run(
        [path = *file](job_context& job, const link::link_endpoint& reader,
                       const transfer::transfer_view& v) {
            return transfer::download_schedules(job.link, reader, path, job.person, v);
        },
        cancel_download_text);
}

void updown_form::upload_schedule() {
    if (!context_.person.confirm(QString::fromLatin1(transfer::schedule_upload_question))) return;
    // The schedule file is read back by downloads, so its picker offers every file.
    const auto file =
        context_.person.choose_save_file(QString::fromLatin1(transfer::schedule_file_name),
                                         QString::fromLatin1(transfer::open_filter));
    if (!file) return;
    run(
        [path = *file, end = chosen_line_end()](job_context& job, const link::link_endpoint& reader,
                                                const transfer::transfer_view& v) {
            return transfer::upload_schedules(job.link, reader, path, end, job.person, v);
        },
        cancel_upload_text);
}

void updown_form::upload_log() {
    const auto file =
        context_.person.choose_save_file(QString::fromLatin1(transfer::log_upload_file_name),
                                         QString::fromLatin1(transfer::save_filter));
    if (!file) return;
    run(
        [path = *file, end = chosen_line_end()](job_context& job, const link::link_endpoint& reader,
                                                const transfer::transfer_view& v) {
            return transfer::upload_log(job.link, reader, path, end, job.person, v);
        },
        cancel_upload_text);
}

void updown_form::clear_log() {
    if (!context_.person.confirm_erase(QString::fromLatin1(transfer::clear_log_question))) return;
    run([](job_context& job, const link::link_endpoint& reader, const transfer::transfer_view&) {
        return transfer::clear_log(job.link, reader, job.person);
    });
}

}  // namespace zep::gui
