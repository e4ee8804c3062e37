// The database file, its tables, transactions, the settings record and the login password.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/data/database_file.h"
#include "core/data/log_query.h"
#include "core/data/log_table.h"
#include "core/data/login_password.h"
#include "core/data/readers_table.h"
#include "core/data/settings_store.h"
#include "core/data/transaction.h"
#include "core/data/users_table.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/folder_watch.h"
#include "tests/support/rows.h"

namespace zep::data {
namespace {

using test::query_column;
using test::unique_connection_name;

// A database as another program makes it: the documented tables, fields and indexes only
// (none of our own), with `change` made to it.
QString other_programs_database(const QTemporaryDir& dir, const QString& change = {}) {
    const QString path = dir.filePath("other.db");
    EXPECT_TRUE(database_file::open(path, unique_connection_name()));
    QStringList statements{"DROP INDEX logname"};
    for (int port = 1; port <= 5; ++port) {
        statements << QString("ALTER TABLE settings DROP COLUMN comdevice%1").arg(port);
    }
    if (!change.isEmpty()) statements += change.split("; ");
    EXPECT_EQ(test::run_sql(path, statements), "");
    return path;
}

// Its mode (0600, whatever the umask) is held by the reliability tests.
TEST(database_file, a_new_or_empty_file_becomes_a_whole_database_by_rename) {
    for (const bool empty_file_there : {false, true}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("zep.db");
        if (empty_file_there) {
            ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
        }
        test::folder_watch watch(dir.path(), IN_CREATE | IN_MOVED_TO);
        auto opened = database_file::open(path, unique_connection_name());
        const QStringList seen = watch.seen();
        ASSERT_TRUE(opened) << opened.error().toStdString();
        EXPECT_TRUE(opened.value()->created());
        // Never made in place: a start stopped half way leaves no file that later starts refuse.
        EXPECT_TRUE(seen.contains(">zep.db") && !seen.contains("+zep.db"))
            << seen.join(' ').toStdString();
        opened.value()->close();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"zep.db"});
    }

    QTemporaryDir dir;
    // Only the default place has its folders made; a folder named by mistake is not.
    const QString path = dir.filePath("deep/down/zep.db");
    EXPECT_EQ(database_file::open(path, unique_connection_name()).error(),
              "Folder " + dir.filePath("deep/down") + " does not exist");
    ASSERT_TRUE(database_file::open(path, unique_connection_name(), true));
    EXPECT_EQ(query_column(path,
                           "SELECT type || ' ' || name || ' ' || tbl_name FROM sqlite_master "
                           "ORDER BY type, name")
                  .join(", "),
              "index datetime log, index logname log, index readernum readers, "
              "index schedulenum schedules, index userid users, table log log, "
              "table readers readers, table schedules schedules, table settings settings, "
              "table users users");
    EXPECT_EQ(query_column(path, "PRAGMA journal_mode"), QStringList{"wal"});
    // The log list by name reads its index rather than sorting the whole log (the detail
    // of each plan line is its fourth column).
    const QString plan = query_column(path,
                                      "EXPLAIN QUERY PLAN SELECT DateTime FROM log ORDER BY "
                                      "ifnull(trim(lastname), '') || ',' || "
                                      "ifnull(trim(firstname), ''), DateTime, rowid LIMIT 100",
                                      3)
                             .join("; ");
    EXPECT_TRUE(plan.contains("USING INDEX logname") && !plan.contains("TEMP B-TREE"))
        << plan.toStdString();
}

TEST(database_file, refuses_incomplete_databases_untouched) {
    struct refusal {
        const char* change;
        const char* message;
    };
    const refusal cases[] = {
        {"DROP TABLE readers", "table \"readers\" is missing"},
        {"ALTER TABLE readers DROP COLUMN address422",
         "table \"readers\" lacks field \"address422\""},
        {"ALTER TABLE settings DROP COLUMN applyallpass",
         "table \"settings\" lacks field \"applyallpass\""},
        {"DROP INDEX userid", "table \"users\" lacks index \"userid\""},
        {"DROP INDEX datetime", "table \"log\" lacks index \"datetime\""},
        // The right name on another table is not the index.
        {"DROP INDEX readernum; CREATE INDEX readernum ON log (readernum)",
         "table \"readers\" lacks index \"readernum\""},
    };
    for (const refusal& c : cases) {
        QTemporaryDir dir;
        const QString path = other_programs_database(dir, c.change);
        const QByteArray before = test::file_bytes(path);

        auto opened = database_file::open(path, unique_connection_name());
        EXPECT_EQ(opened.error(), QString("Database %1: %2").arg(path, c.message));
        EXPECT_EQ(test::file_bytes(path), before) << c.change;
    }

    QTemporaryDir dir;
    const QString path = test::write_file(dir.filePath("zep.db"), QByteArray(4096, 'x'));
    auto opened = database_file::open(path, unique_connection_name());
    EXPECT_TRUE(opened.error().startsWith("Database " + path + ": not a readable SQLite database"))
        << opened.error().toStdString();
    EXPECT_EQ(test::file_bytes(path), QByteArray(4096, 'x'));
}

TEST(database_file, accepts_the_documented_schema_without_our_own_fields_and_indexes) {
    QTemporaryDir dir;
    const QString path =
        other_programs_database(dir, "DROP INDEX userid; CREATE INDEX USERID ON users (userid)");
    auto opened = database_file::open(path, unique_connection_name());
    ASSERT_TRUE(opened) << opened.error().toStdString();
    database_file& db = *opened.value();
    EXPECT_FALSE(db.created());
    EXPECT_FALSE(db.has_field("settings", "comdevice1"));

    auto loaded = load_or_create(db);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    const settings_state before = *loaded;
    loaded->record.comdevice[0] = "/dev/ttyUSB0";
    loaded->record.reclen = 80;
    EXPECT_TRUE(save_settings(db, loaded->record, loaded->marker, before.record, before.marker));
    EXPECT_EQ(load_or_create(db)->record.reclen, 80);
    // Without the name index the log still sorts by name, and none is added.
    EXPECT_TRUE(log_query(db).page(log_order::name, 0, 10));
    // One connection name is one connection.
    EXPECT_FALSE(database_file::open(path, db.connection_name()));
    EXPECT_TRUE(db.connection().isOpen());
    db.close();
    EXPECT_EQ(query_column(path, "SELECT count(*) FROM sqlite_master WHERE type = 'index'"),
              QStringList{"4"});
}

TEST(database_file, path_is_the_argument_then_zep_home_then_xdg_then_home) {
    const QByteArray saved[] = {qgetenv("ZEP_HOME"), qgetenv("XDG_DATA_HOME"), qgetenv("HOME")};
    qputenv("ZEP_HOME", "/z");
    qputenv("XDG_DATA_HOME", "/x");
    qputenv("HOME", "/h");
    EXPECT_EQ(resolve_database_path("/a/b.db"), "/a/b.db");
    EXPECT_EQ(resolve_database_path(""), "/z/zep.db");
    qputenv("ZEP_HOME", "");
    EXPECT_EQ(resolve_database_path(""), "/x/zep/zep.db");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(resolve_database_path(""), "/h/.local/share/zep/zep.db");
    qputenv("ZEP_HOME", saved[0]);  // an empty value counts as unset
    qputenv("XDG_DATA_HOME", saved[1]);
    qputenv("HOME", saved[2]);
}

// Orders, ranges and texts are held by the registers' and exports' tests, which walk the
// tables; here what only the tables do: keys, all-or-nothing writes, identities.

user_row user(const QString& id, const QString& last = "Doe") {
    return {id, last, "Jane", QString(254, ' ')};
}

QStringList log_ids(log_table& log, int stop_after = -1) {
    QStringList ids;
    EXPECT_TRUE(log.walk([&](const log_row& row) {
        ids << row.idnum;
        return ids.size() != stop_after;
    }));
    return ids;
}

TEST(tables, keys_stay_unique_edits_need_the_key_writes_are_all_or_nothing_and_keep_order) {
    test::temp_database temp;
    users_table users(temp.db());
    ASSERT_TRUE(users.insert(user("100")));
    EXPECT_EQ(users.insert(user("100", "Other")).error(), "userid \"100\" already exists");
    EXPECT_EQ(users.update(user("404")).error(), "no user \"404\"");
    EXPECT_TRUE(users.remove("100"));
    EXPECT_EQ(users.remove("100").error(), "no user \"100\"");
    // Several rows land all together or not at all.
    EXPECT_EQ(users.insert_all({user("3"), user("1"), user("3")}).error(),
              "userid \"3\" already exists");
    EXPECT_EQ(*users.count(), 0);
    EXPECT_TRUE(*users.empty());
    // A transaction rolls back unless committed, and nests.
    {
        transaction outer(temp.db());
        ASSERT_TRUE(outer.active());
        ASSERT_TRUE(users.insert(user("1")));
        {
            transaction inner(temp.db());
            ASSERT_TRUE(users.insert(user("2")));
        }
        EXPECT_TRUE(users.insert_all({user("3")}));
        EXPECT_TRUE(outer.commit());
    }
    {
        transaction dropped(temp.db());
        ASSERT_TRUE(users.insert(user("4")));
    }
    QStringList ids;
    ASSERT_TRUE(users.walk([&](const user_row& row) { ids << row.userid; }));
    EXPECT_EQ(ids, QStringList({"1", "3"}));

    readers_table readers(temp.db());
    ASSERT_TRUE(readers.insert(test::reader_row(12, "tcp/ip")));
    EXPECT_EQ(readers.insert(test::reader_row(12, "")).error(), "reader 12 already exists");
    EXPECT_EQ(readers.update(test::reader_row(13, "")).error(), "no reader 13");

    log_table log(temp.db());
    ASSERT_TRUE(log.insert_all(
        {test::log_row("2005-03-02 08:00:00", "a"), test::log_row("2005-03-01 09:00:00", "b"),
         test::log_row("2005-03-02 08:00:00", "c"), test::log_row("2005-03-02 08:00:00", "e")}));
    EXPECT_EQ(log_ids(log), QStringList({"b", "a", "c", "e"}));
    EXPECT_EQ(log_ids(log, 2), QStringList({"b", "a"}));
    log_row first = **log.find("2005-03-02 08:00:00");
    EXPECT_EQ(first.idnum, "a");
    first.idnum = "A";
    EXPECT_TRUE(log.update(first));
    EXPECT_EQ(log_ids(log), QStringList({"b", "A", "c", "e"}));
    EXPECT_TRUE(log.remove(first.id));
    EXPECT_EQ(log.remove(first.id).error(), QString("no log row %1").arg(first.id));
    EXPECT_EQ(log_ids(log), QStringList({"b", "c", "e"}));

    // A reader's batch stored again adds only what is not there yet, counting copies: a
    // swipe stored once but held twice (two in one second) gains its second; a refused and
    // a granted swipe in one second are two.
    const log_row twice = test::log_row("2005-03-02 08:00:00", "c");
    log_row refused = twice;
    refused.granted = "N";
    EXPECT_EQ(log.insert_new({refused}).value_or(-1), 1);
    EXPECT_EQ(log.insert_new({twice, twice, refused}).value_or(-1), 1);
    EXPECT_EQ(log.insert_new({twice, twice, refused}).value_or(-1), 0);
    EXPECT_EQ(log_ids(log), QStringList({"b", "c", "e", "c", "c"}));
}

QStringList settings_rows(test::temp_database& temp, const QString& fields) {
    temp.close();
    return test::query_column(temp.path(), "SELECT " + fields + " FROM settings ORDER BY rowid");
}

// The first start writes both rows with their defaults. Two windows on one database: a save
// writes only what its own window changed.
TEST(settings_store, a_save_writes_only_changed_fields_load_only_fields_stay_passwords_hash) {
    test::temp_database temp;
    const settings_state loaded = *load_or_create(temp.db());
    EXPECT_EQ(loaded.marker, (marker_flags{false, true}));
    EXPECT_EQ(settings_rows(temp,
                            "settings || '|' || reclen || '|' || ipaddress || '|' || "
                            "remoteportaddress || '|' || autoconfigreclen || '|' || "
                            "applyalldowntxt || '|' || autosettings || '|' || barsettings || '|' "
                            "|| proxnumbits || '|' || proxidlen || '|' || loginpass || '|' || "
                            "comdevice3"),
              QStringList({"2211000|40|192.168.1.200|4001|Y|N|10111|1111111000|26|16||/dev/ttyS2",
                           "9999999|40|12-20-2003|4001|N|1|10111|1111111000|26|16||/dev/ttyS2"}));
    settings_state state = loaded;
    state.record.settings = "1121005";
    state.record.reclen = -2;
    state.record.dirlogup = "/var/tmp/logs";
    state.record.comdevice[1] = "/dev/ttyUSB1";
    state.marker = {true, false};
    ASSERT_EQ(test::run_sql(temp.path(), {"UPDATE settings SET ipaddress = '10.0.0.7', "
                                          "loginpass = 'other' WHERE settings <> '9999999'"}),
              "");
    ASSERT_TRUE(
        save_settings(temp.reopen(), state.record, state.marker, loaded.record, loaded.marker));
    auto again = load_or_create(temp.reopen());
    ASSERT_TRUE(again);
    settings_record expected = state.record;
    expected.ipaddress = "10.0.0.7";
    expected.loginpass = again->record.loginpass;  // the other window's, hashed at load
    EXPECT_TRUE(is_login_hash(expected.loginpass) &&
                login_password_matches(expected.loginpass, "other"));
    EXPECT_EQ(again->record, expected);
    EXPECT_EQ(again->marker, state.marker);

    const settings_state before = *again;
    state = before;
    state.record.applyallcleartxt = "Y";
    state.record.applyalldownschtxt = "Y";
    state.record.txtdownloadverify = "N";
    state.record.loginpass = "Secret";
    ASSERT_TRUE(save_settings(temp.db(), state.record, state.marker, before.record, before.marker));
    const QString hash = load_or_create(temp.db())->record.loginpass;
    EXPECT_TRUE(hash.startsWith("$argon2id$") && login_password_matches(hash, "Secret"));
    EXPECT_EQ(settings_rows(temp,
                            "applyallcleartxt || applyalldownschtxt || txtdownloadverify || "
                            "autoconfigreclen || applyalldowntxt || loginpass"),
              QStringList({"NNNYN" + hash, "NNYY2"}));
}

TEST(settings_store, a_16_bit_field_holding_no_such_number_loads_as_its_default_and_says_so) {
    // A server's 16-bit column holds none of the wrong numbers: only the file can.
    const struct {
        const char* stored;
        qint16 loaded;
        bool file_only;
    } cases[] = {{"-32768", -32768, false}, {"32767", 32767, false}, {"' 64 '", 64, false},
                 {"70000", 40, true},       {"-32769", 40, true},    {"'forty'", 40, true},
                 {"12.5", 40, true},        {"NULL", 40, false}};
    for (const auto& [stored, loaded, file_only] : cases) {
        if (file_only && test::server_backend()) continue;
        test::temp_database temp;
        ASSERT_TRUE(load_or_create(temp.db()));
        temp.close();
        // The marker row's copy is never read, so it is never reported.
        ASSERT_EQ(test::run_sql(temp.path(), {QString("UPDATE settings SET reclen = ") + stored}),
                  "");
        const auto state = load_or_create(temp.reopen());
        ASSERT_TRUE(state);
        EXPECT_EQ(state->record.reclen, loaded) << stored;
        EXPECT_EQ(state->warnings.size(), loaded == 40 ? 1 : 0) << stored;
        if (QString(stored) == "70000") {
            EXPECT_EQ(state->warnings, QStringList{"Settings field \"reclen\" holds \"70000\", not "
                                                   "a 16-bit number: its default 40 is used"});
        }
    }
}

TEST(settings_store, adds_whichever_row_is_missing_and_a_failed_save_changes_neither) {
    test::temp_database temp;
    ASSERT_TRUE(load_or_create(temp.db()));
    temp.close();
    ASSERT_EQ(test::run_sql(temp.path(), {"DELETE FROM settings WHERE settings <> '9999999'",
                                          "UPDATE settings SET applyalldowntxt = '2'"}),
              "");
    auto loaded = load_or_create(temp.reopen());
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->marker.export_fixed);
    EXPECT_EQ(settings_rows(temp, "settings"), QStringList({"9999999", "2211000"}));
    ASSERT_EQ(test::run_sql(temp.path(), {"DELETE FROM settings WHERE settings = '9999999'"}), "");
    ASSERT_TRUE(load_or_create(temp.reopen()));
    EXPECT_EQ(settings_rows(temp, "settings"), QStringList({"2211000", "9999999"}));

    settings_state state = *load_or_create(temp.reopen());
    const settings_state loaded_state = state;
    temp.close();
    ASSERT_EQ(test::run_sql(temp.path(), {test::refusing_trigger("UPDATE", "settings",
                                                                 "old.settings = '9999999'")}),
              "");
    state.record.reclen = 99;
    state.record.ipaddress = "127.0.0.9";
    state.marker.dbutil_add_all = true;
    EXPECT_FALSE(save_settings(temp.reopen(), state.record, state.marker, loaded_state.record,
                               loaded_state.marker));
    EXPECT_EQ(settings_rows(temp, "reclen || ipaddress || autoconfigreclen"),
              QStringList({"40192.168.1.200Y", "4012-20-2003N"}));
}

// A stored hash verifies only the exact password; a plain stored value compares as text; a
// value that looks like a hash by its prefix but is none never matches, not even itself.
TEST(login_password, stored_hashes_and_plain_values_match_only_the_exact_password) {
    const QString hash = hash_login_password("Tür-42");
    EXPECT_TRUE(is_login_hash(hash) && hash.startsWith("$argon2id$")) << hash.toStdString();
    EXPECT_FALSE(hash.contains("Tür-42") || is_login_hash("secret"));
    EXPECT_NE(hash_login_password("Tür-42"), hash);  // salted
    EXPECT_TRUE(login_password_matches(hash, "Tür-42") && login_password_matches("", ""));
    EXPECT_TRUE(login_password_matches("secret", "secret"));
    for (const char* wrong : {"tür-42", "Tür-42 ", ""})
        EXPECT_FALSE(login_password_matches(hash, wrong));
    for (const char* wrong : {"Secret", ""}) EXPECT_FALSE(login_password_matches("secret", wrong));
    EXPECT_FALSE(login_password_matches("$argon2id$broken", "$argon2id$broken"));
}

}  // namespace
}  // namespace zep::data
