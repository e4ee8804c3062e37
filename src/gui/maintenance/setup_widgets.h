#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace zep::gui {

// Controls of the setup screens that write their settings field at every change; the
// shell writes the settings back when the program closes.

// Digits only, at most `digits` of them; the field takes the text as a number (0 when empty).
QLineEdit* number_field(const QString& name, qint16& field, int digits, QWidget* parent);
// "Apply to all active readers" over a "Y"/"N" field.
QCheckBox* apply_all_box(const QString& name, QString& flag, QWidget* parent);
// One position (from 1) of a "0"/"1" settings text such as barsettings.
QCheckBox* position_box(const QString& caption, const QString& name, QString& bits, int position,
                        QWidget* parent);
QListWidget* result_list(const QString& name, QWidget* parent);
// Adds a line and keeps the newest in view.
void add_result(QListWidget* list, const QString& line);

}  // namespace zep::gui
