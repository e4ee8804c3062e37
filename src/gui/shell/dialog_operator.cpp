#include "gui/shell/dialog_operator.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "gui/shell/file_dialog.h"

namespace zep::gui {

namespace {

const QString box_title = QStringLiteral("zep");
const QString default_extension = QStringLiteral("txt");

// The system's texts break lines with CR alone; Qt's labels want LF.
QString shown(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

}  // namespace

QStringList qt_name_filters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList captions;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString caption = parts[i].trimmed();
        if (caption.isEmpty()) continue;
        // A caption without its pattern in brackets gets it, so Qt can filter by it.
        if (!caption.contains(QLatin1Char('(')) && i + 1 < parts.size()) {
            captions << QStringLiteral("%1 (%2)").arg(caption, parts[i + 1].trimmed());
        } else {
            captions << caption;
        }
    }
    return captions;
}

void dialog_operator::message(const QString& text) {
    QMessageBox::information(parent_, box_title, shown(text), QMessageBox::Ok);
}

bool dialog_operator::confirm(const QString& question) {
    return QMessageBox::question(parent_, box_title, shown(question),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool dialog_operator::confirm_erase(const QString& question) {
    return QMessageBox::question(parent_, box_title, shown(question),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<bool> dialog_operator::confirm_or_cancel(const QString& question) {
    const auto answer =
        QMessageBox::question(parent_, box_title, shown(question),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return true;
    if (answer == QMessageBox::No) return false;
    return std::nullopt;
}

std::optional<QString> dialog_operator::ask_text(const QString& title, const QString& prompt) {
    bool ok = false;
    const QString answer = QInputDialog::getText(
        parent_, title, shown(prompt), hidden_input_ ? QLineEdit::Password : QLineEdit::Normal,
        QString(), &ok);
    if (!ok) return std::nullopt;
    return answer;
}

std::optional<QString> dialog_operator::choose_open_file(const QString& default_name,
                                                         const QString& filter) {
    return choose_file(false, default_name, filter);
}

std::optional<QString> dialog_operator::choose_save_file(const QString& default_name,
                                                         const QString& filter) {
    return choose_file(true, default_name, filter);
}

std::optional<QString> dialog_operator::choose_file(bool save, const QString& default_name,
                                                    const QString& filter) {
    QFileDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("file_dialog"));
    make_file_dialog_safe(dialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Open pickers insist on an existing file; save pickers ask before replacing one.
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setDefaultSuffix(default_extension);
    const QStringList filters = qt_name_filters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (const QString folder = remembered_folder(default_name); !folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.selectFile(default_name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    remember_folder(default_name, dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

}  // namespace zep::gui
