#include "gui/maintenance/setup_widgets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>

#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"

namespace zep::gui {

QLineEdit* number_field(const QString& name, qint16& field, int digits, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(field), parent);
    edit->setObjectName(name);
    edit->setMaxLength(digits);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edit));
    edit->setMaximumWidth(60);
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [&field](const QString& text) { field = static_cast<qint16>(text.toInt()); });
    return edit;
}

QCheckBox* apply_all_box(const QString& name, QString& flag, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(maintenance::apply_to_all_text), parent);
    box->setObjectName(name);
    box->setChecked(maintenance::apply_to_all(flag));
    QObject::connect(box, &QCheckBox::toggled, box,
                     [&flag](bool on) { flag = on ? QStringLiteral("Y") : QStringLiteral("N"); });
    return box;
}

QCheckBox* position_box(const QString& caption, const QString& name, QString& bits, int position,
                        QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(bits.mid(position - 1, 1) == QLatin1String("1"));
    QObject::connect(box, &QCheckBox::toggled, box, [&bits, position](bool on) {
        if (bits.size() < position) bits = bits.leftJustified(position, QLatin1Char('0'));
        bits[position - 1] = on ? QLatin1Char('1') : QLatin1Char('0');
    });
    return box;
}

QListWidget* result_list(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

void add_result(QListWidget* list, const QString& line) {
    list->addItem(line);
    list->scrollToBottom();
}

}  // namespace zep::gui
