#include "data/startup.h"

#include <gtest/gtest.h>

#include "data/settings_store.h"
#include "maintenance/login_password.h"
#include "raw_sqlite.h"
#include "scripted_operator.h"
#include "temp_database.h"

namespace zep {
namespace {

using test::raw_sqlite;

class startup : public ::testing::Test {
  protected:
    startup_result start(const QString& command_line = {}) {
        return start_up({temp_.path(), command_line, test::unique_connection_name()});
    }
    // Stores the settings row's comm string and login password as another program would.
    void store(const QString& comm, const QString& loginpass = {}) {
        load_or_create(temp_.db());
        temp_.close();
        raw_sqlite raw(temp_.path());
        ASSERT_EQ(raw.run({QStringLiteral("UPDATE settings SET settings = '%1', loginpass = '%2' "
                                          "WHERE settings <> '9999999'")
                               .arg(comm, loginpass)}),
                  "");
    }
    QStringList stored(const QString& field) {
        raw_sqlite raw(temp_.path());
        return raw.column("SELECT " + field + " FROM settings ORDER BY rowid");
    }

    test::temp_database temp_;
};

TEST_F(startup, first_start_gives_the_default_link_and_navigation) {
    temp_.close();
    startup_result started = start();
    ASSERT_TRUE(started.state) << started.error.toStdString();
    const session& s = *started.state;
    EXPECT_EQ(s.settings.settings, "2211000");
    EXPECT_FALSE(s.comm.tcp());
    EXPECT_FALSE(s.comm.protocol_on());
    EXPECT_EQ(s.comm.port, 1);
    EXPECT_EQ(s.comm.baud(), 9600);
    EXPECT_EQ(s.comm.protocol_address, 0);
    EXPECT_EQ(s.navigation.current_menu, "command");
    EXPECT_EQ(s.navigation.command_screen, "commform");
    EXPECT_EQ(s.navigation.database_screen, "usersform");
    EXPECT_FALSE(s.flags.busy || s.flags.tcp_connected || s.flags.serial_open);
    EXPECT_FALSE(s.background);
    EXPECT_FALSE(login_required(s));
}

TEST_F(startup, decodes_the_stored_comm_settings) {
    store("1121005");
    startup_result started = start();
    ASSERT_TRUE(started.state);
    const comm_settings& c = started.state->comm;
    EXPECT_TRUE(c.tcp());
    EXPECT_TRUE(c.protocol_on());
    EXPECT_EQ(c.port, 2);
    EXPECT_EQ(c.baud(), 9600);
    EXPECT_EQ(c.protocol_address, 5);
}

TEST_F(startup, settles_the_address_as_three_digits) {
    QString comm = "2112";
    comm_settings decoded = decode_comm_settings(comm);
    apply_protocol_address(comm, decoded, "");
    EXPECT_EQ(comm, "2112");
    apply_protocol_address(comm, decoded, "7");
    EXPECT_EQ(comm, "2112007");
    EXPECT_EQ(decoded.protocol_address, 7);
    EXPECT_EQ(decoded.speed_choice, 2);
    apply_protocol_address(comm, decoded, "126");
    EXPECT_EQ(comm, "2112126");

    store("12215");
    startup_result started = start();
    ASSERT_TRUE(started.state);
    EXPECT_EQ(started.state->settings.settings, "1221005");
    EXPECT_EQ(started.state->comm.protocol_address, 5);
}

TEST_F(startup, background_only_for_exactly_that_word) {
    EXPECT_TRUE(
        start_up(parse_startup_arguments({"--db", temp_.path(), "background"})).state->background);
    EXPECT_FALSE(start("background now").state->background);
    EXPECT_FALSE(start("Background").state->background);

    const startup_options parsed = parse_startup_arguments({"a", "--db=/x/y.db", "b"});
    EXPECT_EQ(parsed.db_arg, "/x/y.db");
    EXPECT_EQ(parsed.command_line, "a b");
}

TEST_F(startup, a_bad_database_is_reported_not_repaired) {
    temp_.close();
    {
        raw_sqlite raw(temp_.path());
        ASSERT_EQ(raw.run({"DROP TABLE log"}), "");
    }
    startup_result started = start();
    EXPECT_FALSE(started.state);
    EXPECT_EQ(started.error, "Database " + temp_.path() + ": table \"log\" is missing");
}

TEST_F(startup, login_password_is_exact) {
    store("2211000", "Open Sesame");
    startup_result started = start();
    ASSERT_TRUE(started.state);
    const session& s = *started.state;
    ASSERT_TRUE(login_required(s));
    EXPECT_TRUE(check_login(s, "Open Sesame"));
    EXPECT_FALSE(check_login(s, "open sesame"));
    EXPECT_FALSE(check_login(s, ""));
    EXPECT_FALSE(check_login(s, "Open Sesame "));

    test::scripted_operator wrong;
    wrong.text_answers = {QString("OPEN SESAME")};
    EXPECT_FALSE(ask_login(s, wrong));
    EXPECT_EQ(wrong.prompts, QStringList{"Password|Enter Password"});
    EXPECT_EQ(wrong.messages, QStringList{"Invalid Password"});

    test::scripted_operator cancelled;
    EXPECT_FALSE(ask_login(s, cancelled));

    test::scripted_operator right;
    right.text_answers = {QString("Open Sesame")};
    EXPECT_TRUE(ask_login(s, right));
    EXPECT_TRUE(right.messages.isEmpty());
}

TEST_F(startup, closing_writes_back_and_hashes_a_plain_password) {
    store("2211000", "pw");
    {
        startup_result started = start();
        ASSERT_TRUE(started.state);
        session& s = *started.state;
        s.settings.ipaddress = "10.9.8.7";
        s.marker.export_fixed = false;
        QString error;
        ASSERT_TRUE(close_down(s, &error)) << error.toStdString();
        EXPECT_FALSE(s.db->is_open());
    }
    EXPECT_EQ(stored("ipaddress"), QStringList({"10.9.8.7", "12-20-2003"}));
    EXPECT_EQ(stored("applyalldowntxt"), QStringList({"N", "2"}));
    const QString hash = stored("loginpass").first();
    EXPECT_TRUE(is_login_hash(hash));

    startup_result again = start();
    ASSERT_TRUE(again.state);
    EXPECT_TRUE(check_login(*again.state, "pw"));
    EXPECT_FALSE(check_login(*again.state, hash));
}

TEST_F(startup, a_start_that_is_not_closed_writes_nothing) {
    store("2211000", "pw");
    const QStringList before = stored("ipaddress || loginpass");
    {
        startup_result started = start();
        ASSERT_TRUE(started.state);
        started.state->settings.ipaddress = "10.9.8.7";
        EXPECT_FALSE(check_login(*started.state, "PW"));
    }
    EXPECT_EQ(stored("ipaddress || loginpass"), before);
}

}  // namespace
}  // namespace zep
