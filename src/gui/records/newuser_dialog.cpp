#include "gui/records/newuser_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace zep::gui {

newuser_dialog::newuser_dialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("newuser"));
    setModal(true);
    auto* form = new QFormLayout(this);
    form->setObjectName(QStringLiteral("newuser_fields"));
    first_ = add_field(QStringLiteral("first_name"), QStringLiteral("First Name"));
    last_ = add_field(QStringLiteral("last_name"), QStringLiteral("Last Name"));
    id_ = add_field(QStringLiteral("id_number"), QStringLiteral("ID"));
    setTabOrder(first_, last_);
    setTabOrder(last_, id_);
    connect(first_, &QLineEdit::returnPressed, last_, qOverload<>(&QWidget::setFocus));
    connect(last_, &QLineEdit::returnPressed, id_, qOverload<>(&QWidget::setFocus));
    connect(id_, &QLineEdit::returnPressed, this, &newuser_dialog::save_user);
    // OK saves as Enter in the ID does; neither button is a default one, so Enter in the
    // other fields only moves on. Cancel, like Esc, closes without saving.
    // (Plain buttons: a button box would make OK the default, which Enter would press.)
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const auto add_button = [this, buttons](const QString& caption, const QString& name) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    QPushButton* ok = add_button(QStringLiteral("OK"), QStringLiteral("newuser_ok"));
    QPushButton* cancel = add_button(QStringLiteral("Cancel"), QStringLiteral("newuser_cancel"));
    connect(ok, &QPushButton::clicked, this, &newuser_dialog::save_user);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    form->addRow(buttons);
    setTabOrder(id_, ok);
    setTabOrder(ok, cancel);
    setMinimumWidth(360);
}

QLineEdit* newuser_dialog::add_field(const QString& name, const QString& caption) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->installEventFilter(this);
    static_cast<QFormLayout*>(layout())->addRow(caption, box);
    return box;
}

void newuser_dialog::open_for(mode how, const records::user_entry& fields, save_handler save) {
    mode_ = how;
    save_ = std::move(save);
    setWindowTitle(QString::fromLatin1(how == mode::add ? records::add_user_caption
                                                        : records::modify_user_caption));
    first_->setText(fields.firstname);
    last_->setText(fields.lastname);
    id_->setText(fields.userid);
    open();
    first_->setFocus();
}

records::user_entry newuser_dialog::typed() const {
    return {first_->text(), last_->text(), id_->text()};
}

void newuser_dialog::save_user() {
    if (!save_ || !save_(typed())) {
        focus_after_refusal();
        return;
    }
    if (mode_ == mode::modify) {
        accept();
        return;
    }
    first_->clear();
    last_->clear();
    id_->clear();
    first_->setFocus();
}

void newuser_dialog::focus_after_refusal() {
    for (QLineEdit* box : {last_, first_, id_}) {
        if (box->text().trimmed().isEmpty()) {
            box->setFocus();
            return;
        }
    }
    // Nothing blank: the ID was the one refused.
    id_->setFocus();
    id_->selectAll();
}

void newuser_dialog::move_focus(QObject* from, int step) {
    QLineEdit* const order[] = {first_, last_, id_};
    for (int i = 0; i < 3; ++i) {
        const int next = i + step;
        if (order[i] == from && next >= 0 && next < 3) {
            order[next]->setFocus();
            return;
        }
    }
}

bool newuser_dialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            move_focus(watched, key == Qt::Key_Down ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace zep::gui
