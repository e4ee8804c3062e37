#pragma once

#include <QStringList>

namespace zep::gui {

// Start-up of the desktop program: database and settings, the login prompt when a
// password is set, the main window; closing writes the settings back.
int run_desktop_program(int argc, char** argv, const QStringList& args);

}  // namespace zep::gui
