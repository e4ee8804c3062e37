#pragma once

#include <QFileDialog>

namespace zep::gui {

// Every file dialog of the program goes through here. SQLite's locks on the database are
// POSIX record locks, which the kernel drops when the process closes *any* descriptor of
// that file; a dialog that opens files to sniff their type or icon (the platform dialogs,
// or Qt's own with its default icon provider) would silently unlock the database whenever
// its folder is shown. So: Qt's own dialog, and an icon provider that only stats.
void make_file_dialog_safe(QFileDialog& dialog);

// The folder a file dialog for one kind of file (named by its default file name) starts
// in: the one used last for that kind, kept per user in the program's settings file; the
// current folder before the first use.
QString remembered_folder(const QString& kind);
void remember_folder(const QString& kind, const QString& chosen_file);

}  // namespace zep::gui
