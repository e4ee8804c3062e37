// Pictures of the utilities and override screens filled from simulated readers, for
// checking the layout on a real (or virtual) display. Runs only when
// ZEP_SCREENSHOT_DIR names the folder to write them to.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QMenuBar>
#include <QPushButton>

#include "gui/autorun/override_form.h"
#include "core/data/readers_table.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/sim/sim_fixture.h"

namespace zep {
namespace {

using test::sim_fixture;

data::reader_row tcp_reader(int number, const QString& location, quint16 port) {
    data::reader_row r;
    r.readernum = static_cast<qint16>(number);
    r.location = location;
    r.active = QStringLiteral("Y");
    r.timezone = QStringLiteral("0");
    r.commmode = QStringLiteral("tcp/ip");
    r.protocol = QStringLiteral("N");
    r.ipaddress = QStringLiteral("127.0.0.1");
    r.Port = QString::number(port);
    return r;
}

TEST(screenshots, utilities_and_override) {
    const QString folder = qEnvironmentVariable("ZEP_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "ZEP_SCREENSHOT_DIR not set";
    sim_fixture sim;
    sim::reader_config reader = sim_fixture::zep_reader();
    reader.ident = "ZEP demo reader 000 (TCP, plain)";
    reader.ids = {{"1001", 0}, {"1002", 1}};
    const quint16 port = sim.start_tcp({reader});
    test::running_program program;
    gui::main_window& window = *program.window;
    program::session& s = program.state();
    s.comm.link_mode = 1;
    s.settings.ipaddress = QStringLiteral("127.0.0.1");
    s.settings.remoteportaddress = QString::number(port);
    s.settings.setdateall = QStringLiteral("Y");
    ASSERT_TRUE(data::readers_table(*s.db).insert_all({tcp_reader(0, QStringLiteral("Lobby"), port),
                                                 tcp_reader(7, QStringLiteral("Gate B"), port)}));

    window.show();
    window.open_entry(window.command_menu(), QStringLiteral("utilities"));
    QWidget* form = window.current_screen();
    for (const char* button :
         {"identify_reader", "read_memory", "read_date_time", "set_date_time"}) {
        form->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        ASSERT_TRUE(test::wait_until([&] { return !window.jobs().running(); }));
    }
    EXPECT_TRUE(window.grab().save(QDir(folder).filePath(QStringLiteral("utilities.png"))));

    window.menuBar()->findChild<QAction*>(QStringLiteral("menu_override"))->trigger();
    auto* screen = window.findChild<gui::override_form*>();
    ASSERT_NE(screen, nullptr);
    screen->box(3)->click();
    ASSERT_TRUE(test::wait_until([&] { return screen->isVisible(); }));
    EXPECT_TRUE(screen->grab().save(QDir(folder).filePath(QStringLiteral("override.png"))));
    screen->close();
}

}  // namespace
}  // namespace zep
