#pragma once

#include <QFileDialog>

namespace zep::gui {

// Every file dialog of the program goes through here. SQLite's locks on the database are
// POSIX record locks, which the kernel drops when the process closes *any* descriptor of
// that file; a dialog that opens files to sniff their type or icon (the platform dialogs,
// or Qt's own with its default icon provider) would silently unlock the database whenever
// its folder is shown. So: Qt's own dialog, and an icon provider that only stats.
void make_file_dialog_safe(QFileDialog& dialog);

}  // namespace zep::gui
