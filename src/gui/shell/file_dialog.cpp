#include "gui/shell/file_dialog.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStyle>

#include "core/program/program_config.h"

namespace zep::gui {

namespace {

// Icons and type names from the directory entry alone: never opens a file.
class stat_only_icon_provider final : public QAbstractFileIconProvider {
  public:
    QIcon icon(IconType type) const override {
        return QApplication::style()->standardIcon(type == Folder ? QStyle::SP_DirIcon
                                                                  : QStyle::SP_FileIcon);
    }
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override {
        if (info.isDir()) return QStringLiteral("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("File")
                                : QStringLiteral("%1 File").arg(suffix.toUpper());
    }
};

}  // namespace

namespace {

const QString folders_group = QStringLiteral("file_dialog_folders");

QString key_of(const QString& kind) {
    // A settings key must not hold the separators INI files give a meaning.
    QString key = kind;
    key.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return key;
}

}  // namespace

QString remembered_folder(const QString& kind) {
    QSettings settings(program::program_config_path(), QSettings::IniFormat);
    settings.beginGroup(folders_group);
    const QString folder = settings.value(key_of(kind)).toString();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void remember_folder(const QString& kind, const QString& chosen_file) {
    QSettings settings(program::program_config_path(), QSettings::IniFormat);
    settings.beginGroup(folders_group);
    settings.setValue(key_of(kind), QFileInfo(chosen_file).absolutePath());
}

void make_file_dialog_safe(QFileDialog& dialog) {
    static stat_only_icon_provider provider;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setIconProvider(&provider);
}

}  // namespace zep::gui
