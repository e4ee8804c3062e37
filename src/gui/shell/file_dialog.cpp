#include "gui/shell/file_dialog.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileInfo>
#include <QStyle>

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

void make_file_dialog_safe(QFileDialog& dialog) {
    static stat_only_icon_provider provider;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setIconProvider(&provider);
}

}  // namespace zep::gui
