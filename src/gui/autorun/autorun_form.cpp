#include "gui/autorun/autorun_form.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "core/autorun/autorun_run.h"
#include "core/data/settings_record.h"
#include "core/program/session.h"
#include "gui/shell/dialog_operator.h"
#include "gui/shell/file_dialog.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

constexpr auto log_always_text = "Log upload is always enabled";
constexpr auto directories_caption = "Directories for RDR SCH LOG Files";
constexpr auto directories_hint = "Dblclick to select directories";
constexpr auto files_caption = "Single Text Files";
constexpr auto files_hint = "Dblclick to select files";
constexpr auto file_filter = "Text (*.txt)|*.txt|All Files (*.*)|*.*";
constexpr auto default_extension = "txt";
constexpr auto run_caption = "Run";
constexpr auto stop_caption = "Stop";
constexpr auto access_caption = "Access List Download:";
constexpr auto schedule_caption = "Schedule Download:";
constexpr auto log_caption = "Log Upload:";

using setting_field = QString data::settings_record::*;

// A check box and the position of `autosettings` it switches.
struct step_switch {
    const char* caption;
    const char* name;
    int position;  // 1-based
};

constexpr step_switch step_switches[] = {
    {"Enable Access List Download", "enable_access_download", 1},
    {"Enable Schedule Download", "enable_schedule_download", 3},
    {"Auto Time Update", "auto_time_update", 5},
};

struct source_option {
    const char* caption;
    const char* name;
    const char* value;
};

// A frame of three option buttons and the setting they choose.
struct source_frame {
    const char* caption;
    const char* name;
    setting_field setting;
    source_option options[3];
};

const source_frame source_frames[] = {
    {access_caption,
     "access_source",
     &data::settings_record::autoacclistdown,
     {{"Rdr Files", "access_rdr_files", "2"},
      {"Single Text File", "access_single_file", "1"},
      {"Database", "access_database", "3"}}},
    {schedule_caption,
     "schedule_source",
     &data::settings_record::autoschdown,
     {{"Sch Files", "schedule_sch_files", "2"},
      {"Single Text File", "schedule_single_file", "1"},
      {"Database", "schedule_database", "3"}}},
    {log_caption,
     "log_destination",
     &data::settings_record::autologup,
     {{"Log Files", "log_files", "2"},
      {"Single Text File", "log_single_file", "1"},
      {"Database", "log_database", "3"}}},
};

// The boxes are named after the settings they write.
struct directory_box {
    const char* caption;
    const char* name;
    setting_field setting;
    const char* heading;
};

const directory_box directory_boxes[] = {
    {access_caption, "diracclistdown", &data::settings_record::diracclistdown,
     "Select Directory for Access List downloads"},
    {schedule_caption, "dirschdown", &data::settings_record::dirschdown,
     "Select Directory for Schedule downloads"},
    {log_caption, "dirlogup", &data::settings_record::dirlogup, "Select Directory for Log uploads"},
};

struct file_box {
    const char* caption;
    const char* name;
    setting_field setting;
    const char* default_name;
    bool must_exist;  // the run reads it; the log file it writes may be new
};

const file_box file_boxes[] = {
    {access_caption, "singacclistdown", &data::settings_record::singacclistdown, "accesslist.txt",
     true},
    {schedule_caption, "singschdown", &data::settings_record::singschdown, "schlist.txt", true},
    {log_caption, "singlogup", &data::settings_record::singlogup, "logupload.txt", false},
};

// `autosettings` with one position set. A short value is completed from the default first,
// so a click never moves the other switches.
QString with_switch(QString switches, int position, bool on) {
    const QString full = autorun::autorun_settings{}.autosettings;
    if (switches.size() < full.size()) switches += full.mid(switches.size());
    switches[position - 1] = on ? QLatin1Char('1') : QLatin1Char('0');
    return switches;
}

// A double-click on the box opens its picker instead of selecting a word.
class double_click_opens final : public QObject {
  public:
    double_click_opens(QWidget* box, std::function<void()> open)
        : QObject(box), open_(std::move(open)) {
        box->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonDblClick) return false;
        open_();
        return true;
    }

  private:
    std::function<void()> open_;
};

std::optional<QString> dialog_directory(QWidget* parent, const QString& heading,
                                        const QString& start) {
    QFileDialog dialog(parent, heading, start);
    dialog.setObjectName(QStringLiteral("directory_dialog"));
    make_file_dialog_safe(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

// An open dialog throughout: a log file that does not exist yet may be named, and one
// that does is not questioned (the run rewrites it).
std::optional<QString> dialog_file(QWidget* parent, const QString& name, const QString& filter,
                                   bool must_exist) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("file_dialog"));
    make_file_dialog_safe(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(must_exist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(default_extension));
    const QStringList filters = qt_name_filters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (const QString folder = remembered_folder(name); !folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    remember_folder(name, dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

QLabel* hint_label(const char* text, const QString& name, QWidget* parent) {
    auto* hint = new QLabel(QString::fromLatin1(text), parent);
    hint->setObjectName(name);
    hint->setStyleSheet(QStringLiteral("font-style: italic;"));
    return hint;
}

}  // namespace

autorun_form::autorun_form(screen_context& context, autorun_pickers pickers,
                           autorun::override_selection& selection)
    : QWidget(context.parent),
      context_(context),
      pickers_(std::move(pickers)),
      selection_(selection) {
    setObjectName(QStringLiteral("autorun"));
    if (!pickers_.directory) {
        pickers_.directory = [this](const QString& heading, const QString& start) {
            return dialog_directory(this, heading, start);
        };
    }
    if (!pickers_.file) {
        pickers_.file = [this](const QString& name, const QString& filter, bool must_exist) {
            return dialog_file(this, name, filter, must_exist);
        };
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new screen_banner(nullptr, &selection_, this));
    auto* top = new QHBoxLayout;
    top->addWidget(make_steps());
    top->addWidget(make_sources(), 1);
    layout->addLayout(top);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(make_directories(), 1);
    boxes->addWidget(make_files(), 1);
    layout->addLayout(boxes);
    layout->addWidget(make_run_box(), 1);
}

QWidget* autorun_form::make_steps() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("steps"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    QString& switches = context_.state.settings.autosettings;
    for (const step_switch& step : step_switches) {
        auto* check = new QCheckBox(QString::fromLatin1(step.caption), box);
        check->setObjectName(QString::fromLatin1(step.name));
        const int position = step.position;
        check->setChecked(switches.mid(position - 1, 1) == QLatin1String("1"));
        // The shell writes the settings back when the program closes.
        connect(check, &QCheckBox::toggled, this,
                [&switches, position](bool on) { switches = with_switch(switches, position, on); });
        column->addWidget(check);
    }
    // Position 4 has no control: the run always uploads the log first.
    auto* note = new QLabel(QString::fromLatin1(log_always_text), box);
    note->setObjectName(QStringLiteral("log_upload_note"));
    column->addWidget(note);
    column->addStretch();
    return box;
}

QWidget* autorun_form::make_sources() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("sources"));
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    data::settings_record& settings = context_.state.settings;
    for (const source_frame& frame : source_frames) {
        auto* group = new QGroupBox(QString::fromLatin1(frame.caption), box);
        group->setObjectName(QString::fromLatin1(frame.name));
        auto* column = new QVBoxLayout(group);
        QString& setting = settings.*frame.setting;
        for (const source_option& option : frame.options) {
            auto* radio = new QRadioButton(QString::fromLatin1(option.caption), group);
            radio->setObjectName(QString::fromLatin1(option.name));
            const QString value = QString::fromLatin1(option.value);
            radio->setChecked(setting.trimmed() == value);
            connect(radio, &QRadioButton::toggled, this, [&setting, value](bool on) {
                if (on) setting = value;
            });
            column->addWidget(radio);
        }
        column->addStretch();
        row->addWidget(group);
    }
    return box;
}

QLineEdit* autorun_form::make_box(const QString& name, QString& setting, QWidget* parent) {
    auto* box = new QLineEdit(setting, parent);
    box->setObjectName(name);
    connect(box, &QLineEdit::textChanged, this,
            [&setting](const QString& text) { setting = text; });
    return box;
}

QWidget* autorun_form::make_directories() {
    auto* group = new QGroupBox(QString::fromLatin1(directories_caption), this);
    group->setObjectName(QStringLiteral("directories"));
    auto* form = new QFormLayout(group);
    form->addRow(hint_label(directories_hint, QStringLiteral("directories_hint"), group));
    for (const directory_box& entry : directory_boxes) {
        QLineEdit* box = make_box(QString::fromLatin1(entry.name),
                                  context_.state.settings.*entry.setting, group);
        const QString heading = QString::fromLatin1(entry.heading);
        new double_click_opens(box, [this, box, heading] { choose_directory(box, heading); });
        form->addRow(QString::fromLatin1(entry.caption), box);
    }
    // The access list directory comes from the picker only.
    group->findChild<QLineEdit*>(QStringLiteral("diracclistdown"))->setReadOnly(true);
    return group;
}

QWidget* autorun_form::make_files() {
    auto* group = new QGroupBox(QString::fromLatin1(files_caption), this);
    group->setObjectName(QStringLiteral("single_files"));
    auto* form = new QFormLayout(group);
    form->addRow(hint_label(files_hint, QStringLiteral("single_files_hint"), group));
    for (const file_box& entry : file_boxes) {
        QLineEdit* box = make_box(QString::fromLatin1(entry.name),
                                  context_.state.settings.*entry.setting, group);
        const QString name = QString::fromLatin1(entry.default_name);
        const bool must_exist = entry.must_exist;
        new double_click_opens(
            box, [this, box, name, must_exist] { choose_file(box, name, must_exist); });
        form->addRow(QString::fromLatin1(entry.caption), box);
    }
    return group;
}

QWidget* autorun_form::make_run_box() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("run_panel"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    run_ = new QPushButton(QString::fromLatin1(run_caption), box);
    run_->setObjectName(QStringLiteral("run"));
    connect(run_, &QPushButton::clicked, this, &autorun_form::run);
    stop_ = new QPushButton(QString::fromLatin1(stop_caption), box);
    stop_->setObjectName(QStringLiteral("stop"));
    stop_->setEnabled(false);
    connect(stop_, &QPushButton::clicked, this, [this] { context_.jobs.cancel(); });
    status_label_ = new QLabel(box);
    status_label_->setObjectName(QStringLiteral("status_label"));
    buttons->addWidget(run_);
    buttons->addWidget(stop_);
    buttons->addWidget(status_label_, 1);
    column->addLayout(buttons);
    status_list_ = new QListWidget(box);
    status_list_->setObjectName(QStringLiteral("status_list"));
    status_list_->setSelectionMode(QAbstractItemView::NoSelection);
    column->addWidget(status_list_, 1);
    return box;
}

void autorun_form::showEvent(QShowEvent* event) {
    status_label_->clear();
    QWidget::showEvent(event);
}

void autorun_form::choose_directory(QLineEdit* box, const QString& heading) {
    // A cancelled picker leaves the box as it was.
    if (const auto chosen = pickers_.directory(heading, box->text())) box->setText(*chosen);
}

void autorun_form::choose_file(QLineEdit* box, const QString& name, bool must_exist) {
    if (const auto chosen = pickers_.file(name, QString::fromLatin1(file_filter), must_exist)) {
        box->setText(*chosen);
    }
}

void autorun_form::run() {
    const program::session& state = context_.state;
    autorun::autorun_request request;
    request.settings = autorun::autorun_settings_of(state.settings);
    request.mode = autorun::autorun_mode::screen;
    request.selection = selection_;  // as it is now: later clicks do not reach this run
    request.devices = state.settings.comdevice;
    request.parallel = 1;
    auto result = std::make_shared<autorun::autorun_result>();
    job_request job;
    // On the worker, with the worker's own database connection.
    job.work = [request, result](job_context& c) {
        *result = autorun::run_autorun(c.db, request, c.person);
    };
    job.on_status = [this](const QString& line) { add_status(line); };
    job.on_progress = [this](const QString& text) { status_label_->setText(text); };
    job.on_finished = [this, result] { finished(*result); };
    // No screen to lock: the settings stay editable, the run holds its own copy.
    job.cancel_control = stop_;
    job.output = status_list_;
    if (!context_.jobs.start(std::move(job))) return;
    // The list is cleared by the run's first line: a run that finds no readers leaves it.
    list_is_old_ = true;
    run_->setEnabled(false);
    stop_->setEnabled(true);
}

void autorun_form::add_status(const QString& line) {
    if (list_is_old_) {
        status_list_->clear();
        list_is_old_ = false;
    }
    status_list_->addItem(line);
    status_list_->scrollToBottom();
}

// The run has told the operator its messages itself, a failure to begin included.
void autorun_form::finished(const autorun::autorun_result&) {
    list_is_old_ = false;
    run_->setEnabled(true);
    stop_->setEnabled(false);
}

}  // namespace zep::gui
