#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QStackedWidget>
#include <QTest>

#include "gui/shell/side_menu.h"
#include "tests/support/data/temp_database.h"

namespace zep::test {

bool wait_until(const std::function<bool()>& condition, int ms) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(5);
    }
    return true;
}

QWidget* current_screen(const gui::main_window& window) {
    return child<QStackedWidget>(&window, QStringLiteral("working_area"))->currentWidget();
}

QPushButton* menu_entry(const gui::side_menu* menu, const QString& screen) {
    return child<QPushButton>(menu, QStringLiteral("entry_") + screen);
}

void single_tcp_reader(program::session& state, quint16 port, int address) {
    state.comm = link::decode_comm_settings(address < 0 ? "1211000" : "1111000");
    state.comm.protocol_address = std::max(address, 0);
    state.settings.ipaddress = QStringLiteral("127.0.0.1");
    state.settings.remoteportaddress = QString::number(port);
}

program_folder::program_folder()
    : db_(server_backend() ? new_server_database() : dir_.filePath(QStringLiteral("zep.db"))) {}

program_folder::~program_folder() {
    if (server_backend()) drop_server_database(db_);
}

std::unique_ptr<program::session> program_folder::start() const {
    program::startup_options options;
    options.db_arg = db_path();
    options.connection_name = unique_connection_name();
    auto started = program::start_up(options);
    EXPECT_TRUE(started) << started.error().toStdString();
    return std::move(started.value());
}

void program_folder::save(const std::function<void(program::session&)>& edit) const {
    std::unique_ptr<program::session> state = start();
    edit(*state);
    const status closed = program::close_down(*state);
    ASSERT_TRUE(closed) << closed.error().toStdString();
}

running_program::running_program()
    : window(std::make_unique<gui::main_window>(folder.start(), &answers)) {}

}  // namespace zep::test
