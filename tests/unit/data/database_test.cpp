#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/data/database_file.h"
#include "core/data/log_query.h"
#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/settings_store.h"
#include "core/data/transaction.h"
#include "core/data/users_table.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/folder_watch.h"
#include "tests/support/rows.h"

namespace zep {
namespace {

using test::query_column;
using test::unique_connection_name;

// A database as another program makes it: the documented tables, fields and indexes only
// (none of our own), with `change` made to it.
QString other_programs_database(const QTemporaryDir& dir, const QString& change = {}) {
    const QString path = dir.filePath("other.db");
    EXPECT_TRUE(data::database_file::open(path, unique_connection_name()));
    QStringList statements{"DROP INDEX logname"};
    for (int port = 1; port <= 5; ++port) {
        statements << QStringLiteral("ALTER TABLE settings DROP COLUMN comdevice%1").arg(port);
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
        auto opened = data::database_file::open(path, unique_connection_name());
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
    const QString path = dir.filePath("deep/down/zep.db");
    ASSERT_TRUE(data::database_file::open(path, unique_connection_name()));
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

        auto opened = data::database_file::open(path, unique_connection_name());
        EXPECT_EQ(opened.error(), QStringLiteral("Database %1: %2").arg(path, c.message));
        EXPECT_EQ(test::file_bytes(path), before) << c.change;
    }

    QTemporaryDir dir;
    const QString path = test::write_file(dir.filePath("zep.db"), QByteArray(4096, 'x'));
    auto opened = data::database_file::open(path, unique_connection_name());
    EXPECT_TRUE(opened.error().startsWith("Database " + path + ": not a readable SQLite database"))
        << opened.error().toStdString();
    EXPECT_EQ(test::file_bytes(path), QByteArray(4096, 'x'));
}

TEST(database_file, accepts_the_documented_schema_without_our_own_fields_and_indexes) {
    QTemporaryDir dir;
    const QString path =
        other_programs_database(dir, "DROP INDEX userid; CREATE INDEX USERID ON users (userid)");
    auto opened = data::database_file::open(path, unique_connection_name());
    ASSERT_TRUE(opened) << opened.error().toStdString();
    data::database_file& db = *opened.value();
    EXPECT_FALSE(db.created());
    EXPECT_FALSE(db.has_field("settings", "comdevice1"));

    auto loaded = data::load_or_create(db);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    const data::settings_state before = *loaded;
    loaded->record.comdevice[0] = "/dev/ttyUSB0";
    loaded->record.reclen = 80;
    EXPECT_TRUE(
        data::save_settings(db, loaded->record, loaded->marker, before.record, before.marker));
    EXPECT_EQ(data::load_or_create(db)->record.reclen, 80);
    // Without the name index the log still sorts by name, and none is added.
    EXPECT_TRUE(data::log_query(db).page(data::log_order::name, 0, 10));
    // One connection name is one connection.
    EXPECT_FALSE(data::database_file::open(path, db.connection_name()));
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
    EXPECT_EQ(data::resolve_database_path("/a/b.db"), "/a/b.db");
    EXPECT_EQ(data::resolve_database_path(""), "/z/zep.db");
    qputenv("ZEP_HOME", "");
    EXPECT_EQ(data::resolve_database_path(""), "/x/zep/zep.db");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(data::resolve_database_path(""), "/h/.local/share/zep/zep.db");
    qputenv("ZEP_HOME", saved[0]);  // an empty value counts as unset
    qputenv("XDG_DATA_HOME", saved[1]);
    qputenv("HOME", saved[2]);
}

// Orders, ranges and texts are held by the registers' and exports' tests, which walk the
// tables; here what only the tables do: keys, all-or-nothing writes, identities.

data::user_row user(const QString& id, const QString& last = "Doe") {
    return {id, last, "Jane", QString(254, ' ')};
}

QStringList log_ids(data::log_table& log, int stop_after = -1) {
    QStringList ids;
    EXPECT_TRUE(log.walk([&](const data::log_row& row) {
        ids << row.idnum;
        return ids.size() != stop_after;
    }));
    return ids;
}

TEST(tables, keys_stay_unique_edits_need_the_key_and_equal_date_times_keep_their_order) {
    test::temp_database temp;
    data::users_table users(temp.db());
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

    data::readers_table readers(temp.db());
    ASSERT_TRUE(readers.insert(test::reader_row(12, "tcp/ip")));
    EXPECT_EQ(readers.insert(test::reader_row(12, "")).error(), "reader 12 already exists");
    EXPECT_EQ(readers.update(test::reader_row(13, "")).error(), "no reader 13");

    data::log_table log(temp.db());
    ASSERT_TRUE(log.insert_all(
        {test::log_row("2005-03-02 08:00:00", "a"), test::log_row("2005-03-01 09:00:00", "b"),
         test::log_row("2005-03-02 08:00:00", "c"), test::log_row("2005-03-02 08:00:00", "e")}));
    EXPECT_EQ(log_ids(log), QStringList({"b", "a", "c", "e"}));
    EXPECT_EQ(log_ids(log, 2), QStringList({"b", "a"}));
    data::log_row first = **log.find("2005-03-02 08:00:00");
    EXPECT_EQ(first.idnum, "a");
    first.idnum = "A";
    EXPECT_TRUE(log.update(first));
    EXPECT_EQ(log_ids(log), QStringList({"b", "A", "c", "e"}));
    EXPECT_TRUE(log.remove(first.id));
    EXPECT_EQ(log.remove(first.id).error(), QStringLiteral("no log row %1").arg(first.id));
    EXPECT_EQ(log_ids(log), QStringList({"b", "c", "e"}));
}

TEST(transaction, rolls_back_unless_committed_and_nests) {
    test::temp_database temp;
    data::users_table users(temp.db());
    {
        data::transaction outer(temp.db());
        ASSERT_TRUE(outer.active());
        ASSERT_TRUE(users.insert(user("1")));
        {
            data::transaction inner(temp.db());
            ASSERT_TRUE(users.insert(user("2")));
        }
        EXPECT_TRUE(users.insert_all({user("3")}));
        EXPECT_TRUE(outer.commit());
    }
    {
        data::transaction dropped(temp.db());
        ASSERT_TRUE(users.insert(user("4")));
    }
    QStringList ids;
    ASSERT_TRUE(users.walk([&](const data::user_row& row) { ids << row.userid; }));
    EXPECT_EQ(ids, QStringList({"1", "3"}));
}

}  // namespace
}  // namespace zep
