#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include "core/data/readers_table.h"
#include "gui/shell/side_menu.h"
#include "tests/gui/gui_test_support.h"

namespace zep::test {
namespace {

QStringList menu_bar_captions(gui::main_window& window) {
    QStringList captions;
    for (QAction* action : window.menuBar()->actions()) captions << action->text();
    return captions;
}

QAction* menu_action(gui::main_window& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

QStringList entry_captions(gui::side_menu* menu) {
    QStringList captions;
    for (const QString& screen : menu->screens()) captions << menu_entry(menu, screen)->text();
    return captions;
}

TEST(main_window, shows_the_menu_bar_and_both_side_menus_in_order) {
    running_program program;
    gui::main_window& window = *program.window;
    EXPECT_EQ(window.objectName(), QStringLiteral("zepmain"));
    EXPECT_TRUE(window.windowTitle().contains(program.folder.db_path()));
    EXPECT_EQ(menu_bar_captions(window),
              (QStringList{"Commands", "Database", "Override Active Readers", "Password", "Help",
                           "About", "Beta Version Information"}));
    EXPECT_EQ(window.command_menu()->objectName(), QStringLiteral("commandmenu"));
    EXPECT_EQ(window.database_menu()->objectName(), QStringLiteral("managemenu"));
    EXPECT_EQ(entry_captions(window.command_menu()),
              (QStringList{"Terminal Mode", "Network Manager", "Communications",
                           "Upload/Download\nText Files", "KO/ZEP Setup", "Utilities", "Autorun",
                           "Bar/Mag/Prox Setup"}));
    EXPECT_EQ(entry_captions(window.database_menu()),
              (QStringList{"Schedules", "Readers", "Users", "Log Archive", "Utilities"}));
    // Start-up shows the Commands side menu with the communications screen.
    ASSERT_NE(current_screen(window), nullptr);
    EXPECT_EQ(current_screen(window)->objectName(), QStringLiteral("commform"));
    EXPECT_EQ(window.command_menu()->marked(), QStringLiteral("commform"));

    const gui::shell_menus& menus = window.menus();
    ASSERT_NE(menus.user_menu, nullptr);
    QStringList user_items;
    for (QAction* action : menus.user_menu->actions()) user_items << action->text();
    EXPECT_EQ(user_items, (QStringList{"Modify User", "Add New User", "Delete User"}));
    ASSERT_EQ(menus.schedule_menu->actions().size(), 1);
    EXPECT_EQ(menus.delete_schedule->text(), QStringLiteral("Delete Schedule"));
}

TEST(main_window, side_menu_entries_open_their_screens_and_are_remembered) {
    running_program program;
    gui::main_window& window = *program.window;
    QSignalSpy links_closed(&window.jobs(), &gui::job_runner::links_closed);

    int clicks = 0;
    for (gui::side_menu* menu : {window.command_menu(), window.database_menu()}) {
        menu == window.command_menu() ? window.show_commands() : window.show_database();
        for (const QString& screen : menu->screens()) {
            QPushButton* entry = menu_entry(menu, screen);
            QTest::mouseClick(entry, Qt::LeftButton);
            ++clicks;
            ASSERT_EQ(current_screen(window)->objectName(), screen);
            EXPECT_EQ(menu->marked(), screen);
            EXPECT_TRUE(entry->styleSheet().contains(QStringLiteral("yellow")));
            for (const QString& other : menu->screens()) {
                if (other != screen) {
                    EXPECT_TRUE(menu_entry(menu, other)->styleSheet().isEmpty());
                }
            }
            // Placeholders carry the caption of the screen they stand for.
            if (auto* caption = current_screen(window)->findChild<QLabel*>("placeholder_caption")) {
                EXPECT_EQ(caption->text(), gui::screen_caption(screen));
            }
        }
    }
    EXPECT_EQ(links_closed.count(), clicks);
    EXPECT_EQ(gui::screen_caption("updown"), QStringLiteral("Upload/Download Text Files"));

    // Each menu comes back with its own last screen, made once and kept.
    QTest::mouseClick(menu_entry(window.command_menu(), "utilities"), Qt::LeftButton);
    QWidget* utilities = current_screen(window);
    QTest::mouseClick(menu_entry(window.database_menu(), "readersform"), Qt::LeftButton);
    menu_action(window, "menu_commands")->trigger();
    EXPECT_EQ(current_screen(window), utilities);
    menu_action(window, "menu_database")->trigger();
    EXPECT_EQ(current_screen(window)->objectName(), QStringLiteral("readersform"));
}

TEST(main_window, busy_flag_stops_menus_and_every_side_menu_entry) {
    running_program program;
    gui::main_window& window = *program.window;
    QSignalSpy links_closed(&window.jobs(), &gui::job_runner::links_closed);
    program.state().busy = true;
    QWidget* before = current_screen(window);

    menu_action(window, "menu_database")->trigger();
    for (gui::side_menu* menu : {window.command_menu(), window.database_menu()}) {
        for (const QString& screen : menu->screens()) {
            menu_entry(menu, screen)->click();
        }
    }
    menu_action(window, "menu_commands")->trigger();

    EXPECT_EQ(current_screen(window), before);
    EXPECT_EQ(window.command_menu()->marked(), QStringLiteral("commform"));
    EXPECT_EQ(window.database_menu()->marked(), QString());
    EXPECT_EQ(links_closed.count(), 0);
    EXPECT_EQ(window.findChild<QWidget*>("usersform"), nullptr);
}

TEST(main_window, override_needs_readers_and_info_windows_name_the_database) {
    running_program program;
    gui::main_window& window = *program.window;
    menu_action(window, "menu_override")->trigger();
    EXPECT_EQ(program.answers.messages, QStringList{"There are no readers in the system"});
    EXPECT_EQ(window.findChild<QWidget*>("override"), nullptr);

    data::reader_row reader;
    reader.readernum = 3;
    ASSERT_TRUE(data::readers_table(*program.state().db).insert(reader));
    menu_action(window, "menu_override")->trigger();
    auto* override_screen = window.findChild<QDialog*>("override");
    ASSERT_NE(override_screen, nullptr);
    EXPECT_TRUE(override_screen->isVisible());
    EXPECT_TRUE(override_screen->isModal());
    override_screen->close();

    menu_action(window, "menu_password")->trigger();
    EXPECT_EQ(current_screen(window)->objectName(), QStringLiteral("password"));

    menu_action(window, "menu_about")->trigger();
    auto* about = window.findChild<QTextBrowser*>("about_text");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->toPlainText().contains(program.folder.db_path()));
    EXPECT_TRUE(about->toPlainText().contains(QStringLiteral(ZEP_VERSION)));
    menu_action(window, "menu_help")->trigger();
    auto* help = window.findChild<QTextBrowser*>("help_text");
    ASSERT_NE(help, nullptr);
    for (const auto& entry : gui::command_menu_entries()) {
        EXPECT_TRUE(help->toPlainText().contains(gui::screen_caption(entry.screen)))
            << entry.screen;
    }
    menu_action(window, "menu_beta")->trigger();
    EXPECT_NE(window.findChild<QTextBrowser*>("beta_text"), nullptr);
}

TEST(main_window, closing_writes_the_comm_settings_back) {
    running_program program;
    gui::main_window& window = *program.window;
    auto* ip = window.findChild<QLineEdit*>("ip_address");
    ASSERT_NE(ip, nullptr);
    ip->selectAll();
    QTest::keyClicks(ip, "127.0.0.1");
    auto* tcp_port = window.findChild<QLineEdit*>("tcp_port");
    tcp_port->selectAll();
    QTest::keyClicks(tcp_port, "5123");
    auto* device = window.findChild<QLineEdit*>("device_2");
    device->selectAll();
    QTest::keyClicks(device, "/dev/ttyUSB7");
    window.findChild<QAbstractButton*>("mode_tcp")->click();
    window.findChild<QAbstractButton*>("baud_19200")->click();

    window.close();
    EXPECT_FALSE(window.open());
    EXPECT_TRUE(program.answers.messages.isEmpty())
        << program.answers.messages.join('|').toStdString();

    std::unique_ptr<program::session> again = program.folder.start();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->settings.ipaddress, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(again->settings.remoteportaddress, QStringLiteral("5123"));
    EXPECT_EQ(again->settings.comdevice[1], QStringLiteral("/dev/ttyUSB7"));
    EXPECT_EQ(again->settings.settings, QStringLiteral("1212000"));
    // The new speed is the one in use after the restart.
    EXPECT_EQ(again->comm.baud(), 19200);
    EXPECT_TRUE(again->comm.tcp());
}

}  // namespace
}  // namespace zep::test
