#include "core/program/startup.h"

#include <gtest/gtest.h>

#include "core/data/login_password.h"
#include "core/data/settings_store.h"
#include "core/program/login.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"

namespace zep::program {
namespace {

class startup : public ::testing::Test {
  protected:
    result<std::unique_ptr<session>> start(const QString& command_line = {}) {
        return start_up({temp_.path(), command_line, test::unique_connection_name()});
    }
    // Stores the settings row's comm string and login password as another program would.
    void store(const QString& comm, const QString& loginpass = {}) {
        ASSERT_TRUE(data::load_or_create(temp_.db()));
        temp_.close();
        ASSERT_EQ(test::run_sql(temp_.path(),
                                {QStringLiteral("UPDATE settings SET settings = '%1', "
                                                "loginpass = '%2' WHERE settings <> '9999999'")
                                     .arg(comm, loginpass)}),
                  "");
    }
    QStringList stored(const QString& field) {
        return test::query_column(temp_.path(),
                                  "SELECT " + field + " FROM settings ORDER BY rowid");
    }

    test::temp_database temp_;
};

// How each character decodes is the link's own test; here that start-up decodes the
// stored string, settles the address in it as three digits, and takes only the exact word
// "background" for a background run.
TEST_F(startup, decodes_the_link_settles_the_address_and_knows_background) {
    store("12215");
    auto started = start();
    ASSERT_TRUE(started) << started.error().toStdString();
    EXPECT_EQ(started.value()->settings.settings, "1221005");
    EXPECT_TRUE(started.value()->comm.tcp());
    EXPECT_EQ(started.value()->comm.protocol_address, 5);

    QString comm = "2112";
    link::comm_settings decoded = link::decode_comm_settings(comm);
    apply_protocol_address(comm, decoded, "");
    EXPECT_EQ(comm, "2112");
    apply_protocol_address(comm, decoded, "7");
    EXPECT_EQ(comm, "2112007");
    EXPECT_EQ(decoded.protocol_address, 7);
    EXPECT_TRUE(start_up(parse_startup_arguments({"--db", temp_.path(), "background"}))
                    .value()
                    ->background);
    EXPECT_FALSE(start("background now").value()->background);
    EXPECT_FALSE(start("Background").value()->background);
    const auto parsed = parse_startup_arguments({"a", "--db=/x/y.db", "b"});
    EXPECT_EQ(parsed.db_arg, "/x/y.db");
    EXPECT_EQ(parsed.command_line, "a b");
}

TEST_F(startup, a_wrong_or_cancelled_login_is_told_once) {
    store("2211000", "Open Sesame");
    auto started = start();
    ASSERT_TRUE(started);
    const session& s = *started.value();
    ASSERT_TRUE(login_required(s));
    test::scripted_operator wrong;
    wrong.text_answers = {QString("OPEN SESAME")};
    EXPECT_FALSE(ask_login(s, wrong));
    EXPECT_EQ(wrong.prompts, QStringList{"Password|Enter Password"});
    EXPECT_EQ(wrong.messages, QStringList{"Invalid Password"});
    test::scripted_operator cancelled, right;
    EXPECT_FALSE(ask_login(s, cancelled));
    right.text_answers = {QString("Open Sesame")};
    EXPECT_TRUE(ask_login(s, right));
    EXPECT_TRUE(right.messages.isEmpty());
}

TEST_F(startup, closing_writes_back_and_a_start_not_closed_writes_nothing) {
    store("2211000");
    const QStringList before = stored("ipaddress");
    {
        auto started = start();
        ASSERT_TRUE(started);
        started.value()->settings.ipaddress = "127.9.8.7";
    }
    EXPECT_EQ(stored("ipaddress"), before);
    {
        auto started = start();
        ASSERT_TRUE(started);
        session& s = *started.value();
        s.settings.ipaddress = "127.9.8.7";
        s.marker.export_fixed = false;
        ASSERT_TRUE(close_down(s));
        EXPECT_FALSE(s.db->is_open());
    }
    if (!test::server_backend()) {
        EXPECT_EQ(stored("ipaddress || applyalldowntxt"),
                  QStringList({"127.9.8.7N", "12-20-20032"}));
    }
    // The next start finds both (the link, with a server, in this PC's own settings).
    auto again = start();
    ASSERT_TRUE(again);
    EXPECT_EQ(again.value()->settings.ipaddress, "127.9.8.7");
    EXPECT_FALSE(again.value()->marker.export_fixed);
}

// Two windows on one database: A changes the login password (written at once) and the link;
// B, opened before, closes last and undoes neither; the old password no longer works.
TEST_F(startup, a_window_that_closes_last_keeps_the_changes_of_another) {
    store("2211000", "old");
    auto a = start(), b = start();
    ASSERT_TRUE(a && b);
    test::scripted_operator person;
    EXPECT_EQ(set_login_password(**a, "old", "new", person), maintenance::login_change::changed);
    EXPECT_TRUE(data::login_password_matches(stored("loginpass").front(), "new"));
    // B's screen checks against what is stored now, not what it read at its start.
    EXPECT_EQ(set_login_password(**b, "old", "other", person), maintenance::login_change::mismatch);
    a.value()->settings.settings = "1211005";
    ASSERT_TRUE(close_down(**a));
    b.value()->settings.relay = 7;
    ASSERT_TRUE(close_down(**b));
    auto again = start();
    ASSERT_TRUE(again);
    EXPECT_EQ(again.value()->settings.settings, "1211005");
    EXPECT_EQ(again.value()->settings.relay, 7);
    EXPECT_TRUE(check_login(**again, "new"));
    EXPECT_FALSE(check_login(**again, "old"));
}

}  // namespace
}  // namespace zep::program
