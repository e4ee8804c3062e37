#include "gui/maintenance/barsetup_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>
#include <tuple>

#include "core/maintenance/reader_setup.h"
#include "core/program/single_reader.h"
#include "core/program/startup.h"
#include "gui/maintenance/setup_widgets.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

// Check boxes of barsettings, by position.
constexpr const char* barcode_captions[] = {"Code39",
                                            "I2/5",
                                            "2/5",
                                            "Codabar",
                                            "Upca",
                                            "Ean13",
                                            "Code128",
                                            "Code39 check digit",
                                            "I2/5 check digit",
                                            "Code128 check digit"};
constexpr const char* barcode_names[] = {"code39",    "i25",          "two_of_five", "codabar",
                                         "upca",      "ean13",        "code128",     "code39_check",
                                         "i25_check", "code128_check"};

QPushButton* set_button(const QString& name, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("Set"), parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

barsetup_form::barsetup_form(screen_context& context, autorun::override_selection& selection)
    : QWidget(context.parent), context_(context), selection_(selection) {
    setObjectName(QStringLiteral("barsetup"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new screen_banner(&context_.state, &selection_, this));
    auto* note = new QLabel(QString::fromLatin1(maintenance::setup_inert_note_text), this);
    note->setObjectName(QStringLiteral("inert_note"));
    note->setStyleSheet(QStringLiteral("font-weight: bold;"));
    layout->addWidget(note);
    auto* grid = new QGridLayout;
    grid->addWidget(make_barcode_box(), 0, 0, 2, 1);
    grid->addWidget(make_magstripe_box(), 0, 1);
    grid->addWidget(make_masking_box(), 1, 1);
    grid->addWidget(make_prox_box(), 0, 2, 2, 1);
    layout->addLayout(grid);
    results_ = result_list(QStringLiteral("result_list"), this);
    layout->addWidget(results_, 1);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel_walk"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { context_.jobs.cancel(); });
    layout->addWidget(cancel_, 0, Qt::AlignLeft);
}

QWidget* barsetup_form::make_barcode_box() {
    data::settings_record& s = context_.state.settings;
    auto* box = new QGroupBox(QStringLiteral("Barcode"), this);
    box->setObjectName(QStringLiteral("barcode_section"));
    auto* form = new QFormLayout(box);
    for (int i = 0; i < 10; ++i) {
        form->addRow(position_box(QString::fromLatin1(barcode_captions[i]),
                                  QString::fromLatin1(barcode_names[i]), s.barsettings, i + 1,
                                  box));
    }
    form->addRow(QStringLiteral("Mask Start"),
                 number_field(QStringLiteral("barstart"), s.barstart, 2, box));
    form->addRow(QStringLiteral("Mask Length"),
                 number_field(QStringLiteral("barlen"), s.barlen, 2, box));
    auto* all = apply_all_box(QStringLiteral("barapplyall"), s.barapplyall, box);
    auto* set = set_button(QStringLiteral("set_barcode"), box);
    connect(set, &QPushButton::clicked, this,
            [this, all] { send(maintenance::format_group::barcode, all->isChecked()); });
    form->addRow(set);
    form->addRow(all);
    return box;
}

QWidget* barsetup_form::make_magstripe_box() {
    data::settings_record& s = context_.state.settings;
    auto* box = new QGroupBox(QStringLiteral("Magstripe"), this);
    box->setObjectName(QStringLiteral("magstripe_section"));
    auto* form = new QFormLayout(box);
    form->addRow(
        position_box(QStringLiteral("Track 1"), QStringLiteral("track1"), s.magsettings, 1, box));
    form->addRow(
        position_box(QStringLiteral("Track 2"), QStringLiteral("track2"), s.magsettings, 2, box));
    form->addRow(QStringLiteral("Track 1 Start"),
                 number_field(QStringLiteral("mag1start"), s.mag1start, 2, box));
    form->addRow(QStringLiteral("Track 1 Len"),
                 number_field(QStringLiteral("mag1len"), s.mag1len, 2, box));
    form->addRow(QStringLiteral("Track 2 Start"),
                 number_field(QStringLiteral("mag2start"), s.mag2start, 2, box));
    form->addRow(QStringLiteral("Track 2 Len"),
                 number_field(QStringLiteral("mag2len"), s.mag2len, 2, box));
    auto* all = apply_all_box(QStringLiteral("magapplyall"), s.magapplyall, box);
    auto* set = set_button(QStringLiteral("set_magstripe"), box);
    connect(set, &QPushButton::clicked, this,
            [this, all] { send(maintenance::format_group::magstripe, all->isChecked()); });
    form->addRow(set);
    form->addRow(all);
    return box;
}

QWidget* barsetup_form::make_masking_box() {
    auto* box = new QGroupBox(QStringLiteral("Deactivate and Clear Masking"), this);
    box->setObjectName(QStringLiteral("masking_section"));
    auto* row = new QHBoxLayout(box);
    auto* set = set_button(QStringLiteral("clear_masking"), box);
    // Either group's box sends it everywhere: masking is cleared for both at once.
    connect(set, &QPushButton::clicked, this, [this] {
        send(maintenance::format_group::clear_mask,
             maintenance::apply_to_all(context_.state.settings.barapplyall) ||
                 maintenance::apply_to_all(context_.state.settings.magapplyall));
    });
    row->addWidget(set);
    row->addStretch();
    return box;
}

QWidget* barsetup_form::make_prox_box() {
    data::settings_record& s = context_.state.settings;
    auto* box = new QGroupBox(QStringLiteral("# Prox"), this);
    box->setObjectName(QStringLiteral("prox_section"));
    auto* form = new QFormLayout(box);
    auto* modes = new QButtonGroup(box);
    modes->setObjectName(QStringLiteral("proxmode_group"));
    auto* mode_row = new QHBoxLayout;
    for (const int mode : {0, 2, 3}) {
        auto* radio = new QRadioButton(QStringLiteral("Mode %1").arg(mode), box);
        radio->setObjectName(QStringLiteral("prox_mode_%1").arg(mode));
        radio->setChecked(s.proxmode.trimmed() == QString::number(mode));
        modes->addButton(radio, mode);
        mode_row->addWidget(radio);
    }
    connect(modes, &QButtonGroup::idClicked, this,
            [this](int mode) { context_.state.settings.proxmode = QString::number(mode); });
    form->addRow(mode_row);
    const std::tuple<const char*, const char*, qint16*> fields[] = {
        {"# Bits", "proxnumbits", &s.proxnumbits},
        {"Site Start", "proxsitestart", &s.proxsitestart},
        {"Site Len", "proxsitelen", &s.proxsitelen},
        {"ID Start", "proxidstart", &s.proxidstart},
        {"ID Len", "proxidlen", &s.proxidlen},
        {"Site Chars", "proxsitechars", &s.proxsitechars},
        {"ID Chars", "proxidchars", &s.proxidchars}};
    for (const auto& [caption, name, field] : fields) {
        form->addRow(QString::fromLatin1(caption),
                     number_field(QString::fromLatin1(name), *field, 3, box));
    }
    // What the prox layout would be sent as is not known: its "Set" cannot act, and says so
    // by being greyed.
    QPushButton* set = set_button(QStringLiteral("set_prox"), box);
    set->setEnabled(false);
    set->setToolTip(QStringLiteral("Proximity formats cannot be sent to readers yet"));
    form->addRow(set);
    form->addRow(apply_all_box(QStringLiteral("proxapplyall"), s.proxapplyall, box));
    return box;
}

void barsetup_form::send(maintenance::format_group group, bool all) {
    const maintenance::card_format_values values =
        maintenance::card_format_values_of(context_.state.settings);
    job_request job;
    job.screen = this;
    job.output = results_;
    job.on_status = [this](const QString& line) { add_result(results_, line); };
    if (all) {
        job.work = [group, values,
                    inputs = maintenance::load_walk_inputs(
                        *context_.state.db, context_.state.settings, selection_)](job_context& j) {
            maintenance::doall_card_formats(j.link, inputs, group, values, j.person);
        };
        job.on_finished = [this] { cancel_->hide(); };
        job.cancel_control = cancel_;
        if (context_.jobs.start(std::move(job))) cancel_->show();
        return;
    }
    const maintenance::utility_target target = program::utilities_target(context_.state);
    // The first line comes once the link is open: a serial run starts a fresh list.
    auto first = std::make_shared<bool>(maintenance::clears_result_list(target.endpoint));
    job.on_status = [this, first](const QString& line) {
        if (*first) results_->clear();
        *first = false;
        add_result(results_, line);
    };
    job.work = [target, group, values](job_context& j) {
        maintenance::send_card_formats(j.link, target, group, values, j.person);
    };
    context_.jobs.start(std::move(job));
}

}  // namespace zep::gui
