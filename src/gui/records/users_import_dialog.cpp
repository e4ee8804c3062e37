#include "gui/records/users_import_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/records/access_string.h"
#include "gui/records/records_widgets.h"

namespace zep::gui {

namespace {

// "003:05 012:01": the readers a user may enter, with their schedules.
QString access_text(const QString& schedules) {
    QStringList slots;
    for (int r = 0; r <= records::access_string::last_reader; ++r) {
        const QString code = records::access_string::slot(schedules, r);
        if (code != QLatin1String("  "))
            slots << records::access_string::three_digits(r) + u':' + code;
    }
    return slots.join(u' ');
}

}  // namespace

users_import_dialog::users_import_dialog(data::database_file& db, operator_port& person,
                                         QString path, QWidget* parent)
    : QDialog(parent), db_(db), person_(person), path_(std::move(path)) {
    setObjectName(QStringLiteral("users_import"));
    setWindowTitle(QStringLiteral("Import Users - ") + QFileInfo(path_).fileName());
    auto* layout = new QVBoxLayout(this);
    summary_ = make_label(QStringLiteral("import_summary"), QString(), this);
    layout->addWidget(summary_);
    replace_ =
        new QCheckBox(QStringLiteral("Remove access at readers the file has no column for"), this);
    replace_->setObjectName(QStringLiteral("import_replace"));
    connect(replace_, &QCheckBox::toggled, this, [this] { plan(); });
    layout->addWidget(replace_);
    preview_ = make_record_list(QStringLiteral("import_preview"),
                                {QStringLiteral("User ID"), QStringLiteral("Last Name"),
                                 QStringLiteral("First Name"), QStringLiteral("Readers:Schedules")},
                                this);
    layout->addWidget(preview_, 2);
    faults_ = new QListWidget(this);
    faults_->setObjectName(QStringLiteral("import_faults"));
    layout->addWidget(faults_, 1);
    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    import_->setObjectName(QStringLiteral("import_button"));
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel_button"));
    connect(buttons, &QDialogButtonBox::accepted, this, &users_import_dialog::import_now);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 480);
}

bool users_import_dialog::plan() {
    const auto planned = records::plan_users_import(db_, path_, replace_->isChecked());
    if (!planned) {
        plan_ = {};
        plan_.faults << planned.error();
    } else {
        plan_ = *planned;
    }
    preview_->clear();
    for (const data::user_row& row : plan_.preview) {
        new QTreeWidgetItem(preview_,
                            {row.userid, row.lastname, row.firstname, access_text(row.schedules)});
    }
    fit_columns(preview_);
    faults_->clear();
    faults_->addItems(plan_.faults);
    faults_->setVisible(!plan_.ok());
    const bool changes = !plan_.added.empty() || !plan_.updated.empty();
    summary_->setText(plan_.ok() ? records::import_summary(plan_) +
                                       (changes ? QString() : QStringLiteral(": nothing to import"))
                                 : QStringLiteral("%1 faulty lines: nothing can be imported "
                                                  "until they are mended")
                                       .arg(plan_.faults.size()));
    import_->setEnabled(plan_.ok() && changes);
    return planned.ok();
}

void users_import_dialog::import_now() {
    if (!plan_.ok()) return;
    if (status written = records::apply_users_import(db_, plan_); !written) {
        person_.message(written.error());
        return;
    }
    outcome_ = records::import_summary(plan_);
    accept();
}

}  // namespace zep::gui
