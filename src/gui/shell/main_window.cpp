#include "gui/shell/main_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/data/readers_table.h"
#include "core/program/single_reader.h"
#include "core/program/startup.h"
#include "gui/autorun/override_form.h"
#include "gui/records/records_widgets.h"
#include "gui/shell/info_texts.h"
#include "gui/shell/screen_banner.h"
#include "gui/shell/side_menu.h"

namespace zep::gui {

namespace {

const QString command_menu_name = QStringLiteral("command");
const QString database_menu_name = QStringLiteral("database");
const QString default_database_screen = QStringLiteral("usersform");

}  // namespace

main_window::main_window(std::unique_ptr<program::session> state, operator_port* answers)
    : state_(std::move(state)), dialogs_(this), answers_(answers ? answers : &dialogs_) {
    setObjectName(QStringLiteral("zepmain"));
    setWindowTitle(QStringLiteral("zep - %1").arg(state_->db->location().display()));

    jobs_ = std::make_unique<job_runner>(state_->db->path(), *answers_);
    jobs_->set_link_settings([this] { return program::stored_single_reader(*state_); });
    connect(jobs_.get(), &job_runner::busy_changed, this, &main_window::set_busy);
    connect(jobs_.get(), &job_runner::status_line, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    register_screens(registry_);

    auto* centre = new QWidget(this);
    centre->setObjectName(QStringLiteral("zepmain_centre"));
    auto* row = new QHBoxLayout(centre);
    row->setContentsMargins(0, 0, 0, 0);
    side_menus_ = new QStackedWidget(centre);
    side_menus_->setObjectName(QStringLiteral("side_menus"));
    command_menu_ = new side_menu(QStringLiteral("commandmenu"), QStringLiteral("Commands"),
                                  command_menu_entries(), true, side_menus_);
    database_menu_ = new side_menu(QStringLiteral("managemenu"), QStringLiteral("Database"),
                                   database_menu_entries(), false, side_menus_);
    side_menus_->addWidget(command_menu_);
    side_menus_->addWidget(database_menu_);
    side_menus_->setFixedWidth(command_menu_->width());
    working_area_ = new QStackedWidget(centre);
    working_area_->setObjectName(QStringLiteral("working_area"));
    // A screen larger than the window scrolls inside it: the window never grows past the
    // screen it is on to make room.
    auto* scroller = new QScrollArea(centre);
    scroller->setObjectName(QStringLiteral("working_scroll"));
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidget(working_area_);
    row->addWidget(side_menus_);
    row->addWidget(scroller, 1);
    setCentralWidget(centre);
    for (side_menu* menu : {command_menu_, database_menu_}) {
        connect(menu, &side_menu::entry_chosen, this,
                [this, menu](const QString& screen) { open_entry(menu, screen); });
    }

    build_menu_bar();
    build_popup_menus();
    statusBar()->setObjectName(QStringLiteral("status"));
    fit_to_screen(QSize(980, 640));

    // The Commands side menu with its last screen, as at every start.
    navigation_.current_menu = command_menu_name;
    side_menus_->setCurrentWidget(command_menu_);
    command_menu_->mark(navigation_.command_screen);
    show_screen(navigation_.command_screen);
    if (!state_->warnings.isEmpty())
        statusBar()->showMessage(state_->warnings.join(QStringLiteral("  ")));
}

// Opens at `wanted`, or smaller where the screen offers less room, and centred on it.
void main_window::fit_to_screen(QSize wanted) {
    const QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!on) {
        resize(wanted);
        return;
    }
    const QRect room = on->availableGeometry();
    // The frame the window manager adds is not known before the window is shown.
    const QSize frame(16, 40);
    resize(wanted.boundedTo(room.size() - frame));
    move(room.center() - rect().center());
}

// Help, About and the beta information open centred on this window, whole on its screen.
void main_window::place_beside(QWidget* window) const {
    QRect wanted(QPoint(), window->size());
    wanted.moveCenter(frameGeometry().center());
    if (const QScreen* on = screen()) {
        const QRect room = on->availableGeometry();
        wanted.setSize(wanted.size().boundedTo(room.size()));
        wanted.moveLeft(std::clamp(wanted.left(), room.left(), room.right() - wanted.width()));
        wanted.moveTop(std::clamp(wanted.top(), room.top(), room.bottom() - wanted.height()));
    }
    window->setGeometry(wanted);
}

void main_window::keyPressEvent(QKeyEvent* event) {
    // F10 reaches the menu bar, as on other desktops. The Terminal screen takes F10 itself
    // (it sends a NUL), so it never gets here from there.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier &&
        !menuBar()->actions().isEmpty()) {
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().first());
        return;
    }
    QMainWindow::keyPressEvent(event);
}

main_window::~main_window() {
    // Screens may hold jobs' callbacks; the runner ends before they go.
    jobs_.reset();
}

void main_window::build_menu_bar() {
    QMenuBar* bar = menuBar();
    const auto add = [this, bar](const QString& caption, const QString& name, auto handler) {
        QAction* action = bar->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    // Each caption's mnemonic letter opens it with Alt; F10 reaches the bar (keyPressEvent).
    add(QStringLiteral("&Commands"), QStringLiteral("menu_commands"), &main_window::show_commands);
    add(QStringLiteral("&Database"), QStringLiteral("menu_database"), &main_window::show_database);
    add(QStringLiteral("&Override Active Readers"), QStringLiteral("menu_override"),
        &main_window::show_override);
    add(QStringLiteral("&Password"), QStringLiteral("menu_password"), &main_window::show_password);
    add(QStringLiteral("&Help"), QStringLiteral("menu_help"), &main_window::show_help);
    add(QStringLiteral("&About"), QStringLiteral("menu_about"), &main_window::show_about);
    add(QStringLiteral("&Beta Version Information"), QStringLiteral("menu_beta"),
        &main_window::show_beta);
}

void main_window::build_popup_menus() {
    menus_.user_menu = new QMenu(this);
    menus_.user_menu->setObjectName(QStringLiteral("user_popup"));
    menus_.modify_user = menus_.user_menu->addAction(QStringLiteral("Modify User"));
    menus_.add_new_user = menus_.user_menu->addAction(QStringLiteral("Add New User"));
    menus_.delete_user = menus_.user_menu->addAction(QStringLiteral("Delete User"));
    menus_.schedule_menu = new QMenu(this);
    menus_.schedule_menu->setObjectName(QStringLiteral("schedule_popup"));
    menus_.delete_schedule = menus_.schedule_menu->addAction(QStringLiteral("Delete Schedule"));
}

void main_window::set_busy(bool busy) {
    state_->busy = busy;
    // A close that waited for the job goes ahead now, once the job's last report is in.
    if (!busy && close_when_idle_) QTimer::singleShot(0, this, &main_window::close);
}

// A record screen with unsaved edits asks before another screen replaces it (or it is read
// afresh); false when the operator chose to stay.
bool main_window::leave_current_screen() {
    auto* records = dynamic_cast<record_screen*>(working_area_->currentWidget());
    return !records || !records->isVisible() || records->may_leave();
}

void main_window::show_commands() {
    if (state_->busy || !leave_current_screen()) return;
    side_menus_->setCurrentWidget(command_menu_);
    navigation_.current_menu = command_menu_name;
    show_screen(navigation_.command_screen);
}

void main_window::show_database() {
    if (state_->busy || !leave_current_screen()) return;
    side_menus_->setCurrentWidget(database_menu_);
    navigation_.current_menu = database_menu_name;
    if (navigation_.database_screen.isEmpty()) {
        navigation_.database_screen = default_database_screen;
    }
    show_screen(navigation_.database_screen);
}

void main_window::open_entry(side_menu* menu, const QString& screen) {
    if (state_->busy || !leave_current_screen()) return;
    menu->mark(screen);
    jobs_->close_all_links();
    QWidget* before = working_area_->currentWidget();
    const bool again = before && before->isVisible() && screens_.value(screen) == before;
    show_screen(screen);
    // The entry of the screen already shown reads its records afresh.
    if (auto* records = dynamic_cast<record_screen*>(before); again && records) records->loadup();
    if (menu == command_menu_) {
        navigation_.command_screen = screen;
    } else {
        navigation_.database_screen = screen;
    }
}

QWidget* main_window::show_screen(const QString& name) {
    QWidget* screen = screens_.value(name);
    if (!screen) {
        screen_context context{*state_, *jobs_, *answers_, menus_, working_area_};
        const screen_factory* factory = registry_.find(name);
        screen = factory ? (*factory)(context) : make_placeholder_screen(name, working_area_);
        screens_.insert(name, screen);
        working_area_->addWidget(screen);
    }
    // The status bar speaks of the screen shown: another screen starts it empty.
    if (working_area_->currentWidget() != screen) statusBar()->clearMessage();
    working_area_->setCurrentWidget(screen);
    screen->show();  // one closed with Esc comes back
    screen->raise();
    return screen;
}

void main_window::show_password() {
    show_screen(QStringLiteral("password"));
}

void main_window::show_override() {
    data::readers_table readers(*state_->db);
    if (status allowed = autorun::override_screen_refusal(readers); !allowed) {
        answers_->message(allowed.error());
        return;
    }
    const auto rows = readers.all();
    if (!rows) {
        answers_->message(rows.error());
        return;
    }
    auto* screen = new override_form(*rows, autorun::program_override_selection(), this);
    screen->setAttribute(Qt::WA_DeleteOnClose);
    connect(screen, &QDialog::finished, this, [this] {
        for (screen_banner* banner : findChildren<screen_banner*>()) banner->refresh();
    });
    // Modal, yet without a nested event loop: a running job still reports to its screen.
    screen->open();
}

void main_window::show_text_window(const QString& name, const QString& title, const QString& text) {
    QWidget* window = text_windows_.value(name);
    if (!window) {
        window = new QWidget(this, Qt::Window);
        window->setObjectName(name);
        window->setWindowTitle(title);
        auto* layout = new QVBoxLayout(window);
        auto* browser = new QTextBrowser(window);
        browser->setObjectName(name + QStringLiteral("_text"));
        browser->setHtml(text);
        layout->addWidget(browser);
        window->resize(560, 460);
        text_windows_.insert(name, window);
    }
    place_beside(window);
    window->show();
    window->raise();
}

void main_window::show_help() {
    show_text_window(QStringLiteral("help"), QStringLiteral("zep Help"), help_text());
}

void main_window::show_about() {
    const data::database_location& where = state_->db->location();
    // A server database has no folder here: the data folder is where this PC keeps its log.
    const QString folder =
        where.server() ? QStringLiteral("(on the server)") : QFileInfo(where.text).absolutePath();
    show_text_window(QStringLiteral("about"), QStringLiteral("About zep"),
                     about_text(where.display(), folder, state_->db->engine_version()));
}

void main_window::show_beta() {
    show_text_window(QStringLiteral("beta"), QStringLiteral("Beta Version Information"),
                     beta_text());
}

void main_window::closeEvent(QCloseEvent* event) {
    if (jobs_->running()) {
        // The job stops at its next cancel check; waiting for it here could wait forever
        // on a question this thread shows, so the window closes when the job has ended.
        close_when_idle_ = true;
        jobs_->cancel();
        event->ignore();
        return;
    }
    if (!closed_ && !leave_current_screen()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        jobs_->close_all_links();
        for (QWidget* window : std::as_const(text_windows_)) window->close();
        if (const status closed = program::close_down(*state_); !closed) {
            answers_->message(
                QStringLiteral("The settings were not saved: %1").arg(closed.error()));
        }
    }
    QMainWindow::closeEvent(event);
}

}  // namespace zep::gui
