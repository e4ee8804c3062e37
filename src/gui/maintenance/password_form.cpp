#include "gui/maintenance/password_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/maintenance/login_password_change.h"
#include "core/program/login.h"

namespace zep::gui {

namespace {

constexpr auto not_functional_text = "This screen  is not functional at this time";

QLineEdit* password_box(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

}  // namespace

password_form::password_form(screen_context& context)
    : QWidget(context.parent), state_(context.state), person_(context.person) {
    setObjectName(QStringLiteral("password"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(make_reader_section());
    layout->addWidget(make_login_section());
    layout->addStretch();
}

QWidget* password_form::make_reader_section() {
    auto* box = new QGroupBox(QStringLiteral("Set/Change Reader Password"), this);
    box->setObjectName(QStringLiteral("reader_section"));
    auto* form = new QFormLayout(box);
    auto* notice = new QLabel(QString::fromLatin1(not_functional_text), box);
    notice->setObjectName(QStringLiteral("not_functional_notice"));
    notice->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    form->addRow(notice);
    form->addRow(QStringLiteral("Current Password"),
                 password_box(QStringLiteral("reader_current"), box));
    form->addRow(QStringLiteral("New Password"), password_box(QStringLiteral("reader_new"), box));
    apply_all_ = new QCheckBox(QStringLiteral("Apply to all active readers"), box);
    apply_all_->setObjectName(QStringLiteral("applyallpass"));
    apply_all_->setChecked(state_.settings.applyallpass == QLatin1String("Y"));
    connect(apply_all_, &QCheckBox::toggled, this, [this](bool on) {
        state_.settings.applyallpass = on ? QStringLiteral("Y") : QStringLiteral("N");
    });
    form->addRow(apply_all_);
    // Nothing is sent to any reader from here.
    auto* set = new QPushButton(QStringLiteral("Set Password"), box);
    set->setObjectName(QStringLiteral("reader_set_password"));
    form->addRow(set);
    return box;
}

QWidget* password_form::make_login_section() {
    auto* box = new QGroupBox(QStringLiteral("Set/Change Login Password"), this);
    box->setObjectName(QStringLiteral("login_section"));
    auto* form = new QFormLayout(box);
    login_current_ = password_box(QStringLiteral("login_current"), box);
    login_new_ = password_box(QStringLiteral("login_new"), box);
    login_confirm_ = password_box(QStringLiteral("login_confirm"), box);
    form->addRow(QStringLiteral("Current Password"), login_current_);
    form->addRow(QStringLiteral("New Password"), login_new_);
    form->addRow(QStringLiteral("Confirm new password"), login_confirm_);
    auto* set = new QPushButton(QStringLiteral("Set Password"), box);
    set->setObjectName(QStringLiteral("login_set_password"));
    connect(set, &QPushButton::clicked, this, &password_form::set_login_password);
    form->addRow(set);
    login_result_ = new QLabel(box);
    login_result_->setObjectName(QStringLiteral("login_result"));
    form->addRow(login_result_);
    return box;
}

void password_form::set_login_password() {
    switch (program::set_login_password(state_, login_current_->text(), login_new_->text(), person_,
                                        login_confirm_->text())) {
        case maintenance::login_change::mismatch:
        case maintenance::login_change::refused:
            login_result_->clear();
            return;
        case maintenance::login_change::changed:
            login_result_->setText(QString::fromLatin1(maintenance::login_password_changed_text));
            login_current_->clear();
            login_new_->clear();
            login_confirm_->clear();
            return;
        case maintenance::login_change::unchanged:
            login_result_->clear();
            return;
    }
}

}  // namespace zep::gui
