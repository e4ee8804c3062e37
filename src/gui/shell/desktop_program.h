#pragma once

#include <QStringList>
#include <memory>

namespace zep {
class operator_port;
}
namespace zep::program {
struct session;
}

namespace zep {}  // namespace zep

namespace zep::gui {

class main_window;

// After start-up: asks for the login password when one is set, then makes the main
// window. Null after a wrong answer; the session then goes without writing anything.
// `answers` is handed to the main window (its dialogs when null).
std::unique_ptr<main_window> open_main_window(std::unique_ptr<program::session> state,
                                              operator_port& login,
                                              operator_port* answers = nullptr);

// Start-up of the desktop program: database and settings, the login prompt when a
// password is set, the main window; closing writes the settings back.
int run_desktop_program(int argc, char** argv, const QStringList& args);

}  // namespace zep::gui
