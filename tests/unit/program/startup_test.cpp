#include "core/program/startup.h"

#include <gtest/gtest.h>

#include "core/data/login_password.h"
#include "core/data/settings_store.h"
#include "core/program/login.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"
#include "tests/unit/data/raw_sqlite.h"

namespace zep {
namespace {

using test::raw_sqlite;

class startup : public ::testing::Test {
  protected:
    result<std::unique_ptr<program::session>> start(const QString& command_line = {}) {
        return program::start_up({temp_.path(), command_line, test::unique_connection_name()});
    }
    // Stores the settings row's comm string and login password as another program would.
    void store(const QString& comm, const QString& loginpass = {}) {
        ASSERT_TRUE(data::load_or_create(temp_.db()));
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

TEST_F(startup, first_start_gives_the_default_link) {
    temp_.close();
    auto started = start();
    ASSERT_TRUE(started) << started.error().toStdString();
    const program::session& s = *started.value();
    EXPECT_EQ(s.settings.settings, "2211000");
    EXPECT_FALSE(s.comm.tcp());
    EXPECT_FALSE(s.comm.protocol_on());
    EXPECT_EQ(s.comm.port, 1);
    EXPECT_EQ(s.comm.baud(), 9600);
    EXPECT_EQ(s.comm.protocol_address, 0);
    EXPECT_FALSE(s.busy);
    EXPECT_FALSE(s.background);
    EXPECT_FALSE(program::login_required(s));
}

TEST_F(startup, decodes_the_stored_comm_settings) {
    store("1121005");
    auto started = start();
    ASSERT_TRUE(started);
    const link::comm_settings& c = started.value()->comm;
    EXPECT_TRUE(c.tcp());
    EXPECT_TRUE(c.protocol_on());
    EXPECT_EQ(c.port, 2);
    EXPECT_EQ(c.baud(), 9600);
    EXPECT_EQ(c.protocol_address, 5);
}

TEST_F(startup, settles_the_address_as_three_digits) {
    QString comm = "2112";
    link::comm_settings decoded = link::decode_comm_settings(comm);
    program::apply_protocol_address(comm, decoded, "");
    EXPECT_EQ(comm, "2112");
    program::apply_protocol_address(comm, decoded, "7");
    EXPECT_EQ(comm, "2112007");
    EXPECT_EQ(decoded.protocol_address, 7);
    EXPECT_EQ(decoded.speed_choice, 2);
    program::apply_protocol_address(comm, decoded, "126");
    EXPECT_EQ(comm, "2112126");

    store("12215");
    auto started = start();
    ASSERT_TRUE(started);
    EXPECT_EQ(started.value()->settings.settings, "1221005");
    EXPECT_EQ(started.value()->comm.protocol_address, 5);
}

TEST_F(startup, background_only_for_exactly_that_word) {
    EXPECT_TRUE(
        program::start_up(program::parse_startup_arguments({"--db", temp_.path(), "background"}))
            .value()
            ->background);
    EXPECT_FALSE(start("background now").value()->background);
    EXPECT_FALSE(start("Background").value()->background);

    const program::startup_options parsed =
        program::parse_startup_arguments({"a", "--db=/x/y.db", "b"});
    EXPECT_EQ(parsed.db_arg, "/x/y.db");
    EXPECT_EQ(parsed.command_line, "a b");
}

TEST_F(startup, a_bad_database_is_reported_not_repaired) {
    temp_.close();
    {
        raw_sqlite raw(temp_.path());
        ASSERT_EQ(raw.run({"DROP TABLE log"}), "");
    }
    auto started = start();
    EXPECT_FALSE(started);
    EXPECT_EQ(started.error(), "Database " + temp_.path() + ": table \"log\" is missing");
}

TEST_F(startup, login_password_is_exact) {
    store("2211000", "Open Sesame");
    auto started = start();
    ASSERT_TRUE(started);
    const program::session& s = *started.value();
    ASSERT_TRUE(program::login_required(s));
    EXPECT_TRUE(program::check_login(s, "Open Sesame"));
    EXPECT_FALSE(program::check_login(s, "open sesame"));
    EXPECT_FALSE(program::check_login(s, ""));
    EXPECT_FALSE(program::check_login(s, "Open Sesame "));

    test::scripted_operator wrong;
    wrong.text_answers = {QString("OPEN SESAME")};
    EXPECT_FALSE(program::ask_login(s, wrong));
    EXPECT_EQ(wrong.prompts, QStringList{"Password|Enter Password"});
    EXPECT_EQ(wrong.messages, QStringList{"Invalid Password"});

    test::scripted_operator cancelled;
    EXPECT_FALSE(program::ask_login(s, cancelled));

    test::scripted_operator right;
    right.text_answers = {QString("Open Sesame")};
    EXPECT_TRUE(program::ask_login(s, right));
    EXPECT_TRUE(right.messages.isEmpty());
}

TEST_F(startup, closing_writes_back_and_hashes_a_plain_password) {
    store("2211000", "pw");
    {
        auto started = start();
        ASSERT_TRUE(started);
        program::session& s = *started.value();
        s.settings.ipaddress = "10.9.8.7";
        s.marker.export_fixed = false;
        ASSERT_TRUE(program::close_down(s));
        EXPECT_FALSE(s.db->is_open());
    }
    EXPECT_EQ(stored("ipaddress"), QStringList({"10.9.8.7", "12-20-2003"}));
    EXPECT_EQ(stored("applyalldowntxt"), QStringList({"N", "2"}));
    const QString hash = stored("loginpass").first();
    EXPECT_TRUE(data::is_login_hash(hash));

    auto again = start();
    ASSERT_TRUE(again);
    EXPECT_TRUE(program::check_login(*again.value(), "pw"));
    EXPECT_FALSE(program::check_login(*again.value(), hash));
}

TEST_F(startup, a_start_that_is_not_closed_writes_nothing) {
    store("2211000", "pw");
    const QStringList before = stored("ipaddress || loginpass");
    {
        auto started = start();
        ASSERT_TRUE(started);
        started.value()->settings.ipaddress = "10.9.8.7";
        EXPECT_FALSE(program::check_login(*started.value(), "PW"));
    }
    EXPECT_EQ(stored("ipaddress || loginpass"), before);
}

}  // namespace
}  // namespace zep
