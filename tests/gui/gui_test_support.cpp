#include "gui_test_support.h"

#include <QDeadlineTimer>
#include <QTest>
#include <gtest/gtest.h>

#include "temp_database.h"

namespace zep::test {

bool wait_until(const std::function<bool()>& condition, int ms) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(5);
    }
    return true;
}

program_folder::program_folder() = default;

std::unique_ptr<session> program_folder::start() const {
    startup_options options;
    options.db_arg = db_path();
    options.connection_name = unique_connection_name();
    startup_result started = start_up(options);
    EXPECT_TRUE(started.state) << started.error.toStdString();
    return std::move(started.state);
}

void program_folder::save(const std::function<void(session&)>& edit) const {
    std::unique_ptr<session> state = start();
    edit(*state);
    QString error;
    ASSERT_TRUE(close_down(*state, &error)) << error.toStdString();
}

running_program::running_program()
    : window(std::make_unique<gui::main_window>(folder.start(), &answers)) {}

}  // namespace zep::test
