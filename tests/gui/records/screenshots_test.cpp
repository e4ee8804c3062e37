#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "core/records/access_string.h"
#include "gui/records/newuser_dialog.h"
#include "gui/records/readerpop_dialog.h"
#include "gui/records/readers_form.h"
#include "gui/records/schedules_form.h"
#include "gui/records/users_form.h"
#include "tests/gui/records/records_test_support.h"

namespace zep::test {
namespace {

// ZEP_RECORDS_SCREENSHOTS=DIR: pictures of the Database screens with some data, for
// checking the layouts by eye (best under a real X server such as Xvfb).
TEST(records_screenshots, saves_each_screen_when_asked) {
    const QString folder = qEnvironmentVariable("ZEP_RECORDS_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "ZEP_RECORDS_SCREENSHOTS not set";
    QDir().mkpath(folder);
    records_program program;
    program.window->resize(1180, 720);
    program.add_reader(1, "Lobby");
    program.add_reader(3, "Front door");
    program.add_schedule(5, "Day shift");
    program.add_schedule(12, "Night shift", "22000600");
    QString access = records::access_string::with_slot(records::access_string::blank(), 1, "005");
    program.add_user("1234", "Smith", "Ann", records::access_string::with_slot(access, 3, "000"));
    program.add_user("77", "Brown", "Bob");
    for (int i = 0; i < 40; ++i) {
        program.add_log(QStringLiteral("2024-05-%1 08:%2:00")
                            .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                            .arg(i, 2, 10, QLatin1Char('0')),
                        QStringLiteral("00%1").arg(i % 4), i % 2 ? "Smith" : "Brown",
                        i % 2 ? "Ann" : "Bob", i % 2 ? "1234" : "77", "Front door",
                        i % 5 ? "Y" : "N");
    }
    const auto save = [&](QWidget* widget, const char* name) {
        QTest::qWait(50);
        EXPECT_TRUE(widget->grab().save(folder + QStringLiteral("/") + QString::fromLatin1(name)));
    };
    auto* readers = program.open<gui::readers_form>("readersform");
    click(readers->reader_list(), row_with(readers->reader_list(), 0, "003"));
    save(program.window.get(), "readersform.png");
    auto* schedules = program.open<gui::schedules_form>("schedulesform");
    double_click(schedules->schedule_list(), row_with(schedules->schedule_list(), 0, "012"));
    save(program.window.get(), "schedulesform.png");
    auto* users = program.open<gui::users_form>("usersform");
    click(users->user_list(), row_with(users->user_list(), 0, "Smith"));
    click(users->assignment_list(), users->assignment_list()->topLevelItem(0));
    save(program.window.get(), "usersform.png");
    users->lmu();
    save(users->user_dialog(), "newuser.png");
    users->user_dialog()->reject();
    users->add_reader_schedule();
    users->picker()->select_all_remaining();
    users->picker()->select_schedule(users->picker()->schedule_list()->topLevelItem(4));
    save(users->picker(), "readerpop.png");
    users->picker()->reject();
    program.open_screen(QStringLiteral("archive"));
    save(program.window.get(), "archive.png");
    program.open_screen(QStringLiteral("dbutil"));
    save(program.window.get(), "dbutil.png");
}

}  // namespace
}  // namespace zep::test
