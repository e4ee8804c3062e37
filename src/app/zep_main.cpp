#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "app/cli/cli.h"

#ifdef ZEP_WITH_GUI
#include "gui/shell/desktop_program.h"
#endif

namespace {

// With no command (only --db) the desktop program starts; anything else is the command
// line, which never needs a display.
bool wants_desktop(const QStringList& args) {
    if (args.isEmpty()) return true;
    if (args.size() == 2 && args[0] == QLatin1String("--db")) return true;
    return args.size() == 1 && args[0].startsWith(QLatin1String("--db=")) && args[0].size() > 5;
}

// Qt aborts when it finds no window system to open; say so instead. QT_QPA_PLATFORM names
// one explicitly (offscreen, vnc, ...), so Qt is left to it.
bool display_available() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name)) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);

    if (wants_desktop(args)) {
#ifdef ZEP_WITH_GUI
        if (!display_available()) {
            std::fprintf(stderr, "%s\n", zep::cli::no_display_text);
            return zep::cli::exit_usage;
        }
        return zep::gui::run_desktop_program(argc, argv, args);
#else
        std::fputs("zep: built without the desktop program; give a command (zep --help)\n", stderr);
        return zep::cli::exit_usage;
#endif
    }
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    zep::cli::cli_io io{out, err, zep::cli::read_password_from_terminal};
    // Off a terminal only ZEP_PASSWORD can answer the login question.
    if (isatty(STDIN_FILENO) == 0 && qgetenv("ZEP_PASSWORD").isNull()) io.read_password = {};
    return zep::cli::run_cli(args, io);
}
