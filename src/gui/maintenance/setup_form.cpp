#include "gui/maintenance/setup_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/maintenance/utilities_walks.h"
#include "core/program/single_reader.h"
#include "core/program/startup.h"
#include "gui/maintenance/setup_widgets.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

// A stored choice ("1", "2", ...) as radio buttons; picking one stores its code at once.
QButtonGroup* choice_group(const QStringList& captions, const QStringList& names, QString& code,
                           QWidget* parent, QLayout* into) {
    auto* group = new QButtonGroup(parent);
    group->setObjectName(names.first() + QStringLiteral("_group"));
    for (int i = 0; i < captions.size(); ++i) {
        auto* radio = new QRadioButton(captions[i], parent);
        radio->setObjectName(names[i]);
        radio->setChecked(code.trimmed() == QString::number(i + 1));
        group->addButton(radio, i + 1);
        into->addWidget(radio);
    }
    QObject::connect(group, &QButtonGroup::idClicked, parent,
                     [&code](int id) { code = QString::number(id); });
    return group;
}

}  // namespace

setup_form::setup_form(screen_context& context, autorun::override_selection& selection)
    : QWidget(context.parent), context_(context), selection_(selection) {
    setObjectName(QStringLiteral("setup"));
    data::settings_record& s = context_.state.settings;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new screen_banner(&context_.state, &selection_, this));
    auto* grid = new QGridLayout;
    grid->addWidget(make_parameters_box(), 0, 0);
    grid->addWidget(make_mode_box(), 0, 1);
    grid->addWidget(
        make_logging_box(QStringLiteral("RS232 Logging (KO)"), QStringLiteral("rs232_log"),
                         s.def232log, QStringLiteral("applyall232log"), s.applyall232log,
                         maintenance::setup_action::rs232_log),
        1, 0);
    grid->addWidget(make_logging_box(QStringLiteral("Bad Logging (ZEP)"), QStringLiteral("bad_log"),
                                     s.defbadlog, QStringLiteral("applyallbadlog"),
                                     s.applyallbadlog, maintenance::setup_action::bad_log),
                    1, 1);
    grid->addWidget(make_reset_box(), 2, 0);
    grid->addWidget(make_led_box(), 2, 1);
    layout->addLayout(grid);

    results_ = result_list(QStringLiteral("result_list"), this);
    layout->addWidget(results_, 1);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel_walk"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { context_.jobs.cancel(); });
    layout->addWidget(cancel_, 0, Qt::AlignLeft);
}

QPushButton* setup_form::make_button(const QString& caption, const QString& name, QWidget* parent,
                                     std::function<void()> action) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, std::move(action));
    return button;
}

QWidget* setup_form::make_parameters_box() {
    data::settings_record& s = context_.state.settings;
    auto* box = new QGroupBox(QStringLiteral("Parameters"), this);
    box->setObjectName(QStringLiteral("parameters_section"));
    auto* form = new QFormLayout(box);
    reclen_ = number_field(QStringLiteral("reclen"), s.reclen, 2, box);
    relay_ = number_field(QStringLiteral("relay"), s.relay, 2, box);
    redled_ = number_field(QStringLiteral("redled"), s.redled, 2, box);
    form->addRow(QStringLiteral("Record Length"), reclen_);
    form->addRow(QStringLiteral("Relay Time"), relay_);
    form->addRow(QStringLiteral("Red Led Time"), redled_);
    auto* all = apply_all_box(QStringLiteral("applyallsetparms"), s.applyallsetparms, box);
    form->addRow(make_button(QStringLiteral("Set Parameters"), QStringLiteral("set_parameters"),
                             box, [this, all] {
                                 maintenance::setup_request r;
                                 r.action = maintenance::setup_action::parameters;
                                 r.reclen = reclen_->text();
                                 r.relay = relay_->text();
                                 r.redled = redled_->text();
                                 send(r, all);
                             }));
    form->addRow(all);
    return box;
}

QWidget* setup_form::make_mode_box() {
    data::settings_record& s = context_.state.settings;
    auto* box = new QGroupBox(QStringLiteral("Reader Mode"), this);
    box->setObjectName(QStringLiteral("mode_section"));
    auto* column = new QVBoxLayout(box);
    choice_group({QStringLiteral("X Mode"), QStringLiteral("KO Mode"), QStringLiteral("ZEP Mode"),
                  QStringLiteral("Accum Mode")},
                 {QStringLiteral("x_mode"), QStringLiteral("ko_mode"), QStringLiteral("zep_mode"),
                  QStringLiteral("accum_mode")},
                 s.defreadermode, box, column);
    auto* all = apply_all_box(QStringLiteral("applyallsetmode"), s.applyallsetmode, box);
    column->addWidget(
        make_button(QStringLiteral("Set Mode"), QStringLiteral("set_mode"), box, [this, all] {
            maintenance::setup_request r;
            r.action = maintenance::setup_action::mode;
            r.mode_code = context_.state.settings.defreadermode;
            send(r, all);
        }));
    column->addWidget(all);
    return box;
}

QWidget* setup_form::make_logging_box(const QString& title, const QString& name, QString& choice,
                                      const QString& apply_name, QString& apply_flag,
                                      maintenance::setup_action action) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(name + QStringLiteral("_section"));
    auto* column = new QVBoxLayout(box);
    auto* radios = new QHBoxLayout;
    choice_group({QStringLiteral("On"), QStringLiteral("Off")},
                 {name + QStringLiteral("_on"), name + QStringLiteral("_off")}, choice, box,
                 radios);
    column->addLayout(radios);
    auto* all = apply_all_box(apply_name, apply_flag, box);
    column->addWidget(make_button(QStringLiteral("Set"), QStringLiteral("set_") + name, box,
                                  [this, all, &choice, action] {
                                      maintenance::setup_request r;
                                      r.action = action;
                                      r.on = choice.trimmed() == QLatin1String("1");
                                      send(r, all);
                                  }));
    column->addWidget(all);
    return box;
}

QWidget* setup_form::make_reset_box() {
    auto* box = new QGroupBox(QStringLiteral("Reset"), this);
    box->setObjectName(QStringLiteral("reset_section"));
    auto* column = new QVBoxLayout(box);
    auto* all =
        apply_all_box(QStringLiteral("applyallreset"), context_.state.settings.applyallreset, box);
    column->addWidget(
        make_button(QStringLiteral("Reset"), QStringLiteral("reset"), box, [this, all] {
            maintenance::setup_request r;
            r.action = maintenance::setup_action::reset;
            send(r, all);
        }));
    column->addWidget(all);
    return box;
}

QWidget* setup_form::make_led_box() {
    auto* box = new QGroupBox(QStringLiteral("Red Led"), this);
    box->setObjectName(QStringLiteral("red_led_section"));
    auto* column = new QVBoxLayout(box);
    // No settings field keeps this one: it lasts as long as the screen.
    auto* all = new QCheckBox(QString::fromLatin1(maintenance::apply_to_all_text), box);
    all->setObjectName(QStringLiteral("applyallclearled"));
    column->addWidget(make_button(QStringLiteral("Clear Red Led"), QStringLiteral("clear_red_led"),
                                  box, [this, all] {
                                      maintenance::setup_request r;
                                      r.action = maintenance::setup_action::clear_led;
                                      send(r, all);
                                  }));
    column->addWidget(all);
    return box;
}

void setup_form::send(const maintenance::setup_request& request, const QCheckBox* all) {
    job_request job;
    job.screen = this;
    if (!all->isChecked()) {
        const maintenance::utility_target target = program::utilities_target(context_.state);
        job.work = [target, request](job_context& j) {
            maintenance::run_setup(j.link, target, request, j.person);
        };
        context_.jobs.start(std::move(job));
        return;
    }
    // The readers and the selection as they are now: the walk does not see later changes.
    job.work = [request, inputs = maintenance::load_walk_inputs(
                             *context_.state.db, context_.state.settings, selection_)](
                   job_context& j) { maintenance::doall_setup(j.link, inputs, request, j.person); };
    job.on_status = [this](const QString& line) { add_result(results_, line); };
    job.on_finished = [this] { cancel_->hide(); };
    job.cancel_control = cancel_;
    job.output = results_;
    if (context_.jobs.start(std::move(job))) cancel_->show();
}

}  // namespace zep::gui
