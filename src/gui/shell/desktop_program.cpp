#include "gui/shell/desktop_program.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "core/program/login.h"
#include "core/program/startup.h"
#include "gui/shell/dialog_operator.h"
#include "gui/shell/main_window.h"
#include "gui/shell/side_menu.h"

namespace zep::gui {

namespace {

// ZEP_SCREENSHOT=PATH: the program saves a picture of the whole display, window frame
// and all, and closes, for the documentation and for checking the layout on a virtual
// display of a given size (scripts/screenshots). ZEP_SCREENSHOT_SCREEN names the
// side-menu entry to show first ("utilities", "usersform"), or "archive-chart" (the
// archive's activity tab), "password", "help", "about" or "beta".
void take_screenshot_when_asked(main_window& window) {
    const QString path = qEnvironmentVariable("ZEP_SCREENSHOT");
    if (path.isEmpty()) return;
    QString screen = qEnvironmentVariable("ZEP_SCREENSHOT_SCREEN");
    const bool chart = screen == QLatin1String("archive-chart");
    if (chart) screen = QStringLiteral("archive");
    for (side_menu* menu : {window.command_menu(), window.database_menu()}) {
        if (screen.isEmpty() || !menu->screens().contains(screen)) continue;
        if (menu == window.database_menu()) window.show_database();
        window.open_entry(menu, screen);
    }
    if (auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("archive_tabs")); tabs && chart)
        tabs->setCurrentIndex(1);
    if (screen == QLatin1String("password")) window.show_password();
    if (screen == QLatin1String("help")) window.show_help();
    if (screen == QLatin1String("about")) window.show_about();
    if (screen == QLatin1String("beta")) window.show_beta();
    QTimer::singleShot(1200, &window, [&window, path] {
        QScreen* display = window.screen();
        (display ? display->grabWindow(0) : window.grab()).save(path);
        window.close();
    });
}

}  // namespace

std::unique_ptr<main_window> open_main_window(std::unique_ptr<program::session> state,
                                              operator_port& login, operator_port* answers) {
    if (!program::ask_login(*state, login)) return nullptr;
    return std::make_unique<main_window>(std::move(state), answers);
}

int run_desktop_program(int argc, char** argv, const QStringList& args) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zep"));
    // The name of the desktop entry, by which a desktop matches the window to its entry and
    // icon; the window icon itself is built into zep from packaging/.
    QGuiApplication::setDesktopFileName(QStringLiteral("invalid.zep.zep"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zep/invalid.zep.zep.svg")));
    auto started = program::start_up(program::parse_startup_arguments(args));
    if (!started) {
        QMessageBox::critical(nullptr, QStringLiteral("zep"), started.error());
        return 1;
    }
    dialog_operator login;
    login.set_hidden_input(true);
    std::unique_ptr<main_window> window = open_main_window(std::move(started.value()), login);
    if (!window) return 1;
    window->show();
    take_screenshot_when_asked(*window);
    return app.exec();
}

}  // namespace zep::gui
