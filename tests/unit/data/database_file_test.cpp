#include "core/data/database_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/data/log_query.h"
#include "core/data/settings_store.h"
#include "tests/support/data/temp_database.h"
#include "tests/unit/data/raw_sqlite.h"

namespace zep {
namespace {

using test::raw_sqlite;
using test::unique_connection_name;

// The documented tables with exactly their documented fields, built by hand.
QStringList documented_schema() {
    return {
        "CREATE TABLE users (userid TEXT, lastname TEXT, firstname TEXT, schedules TEXT)",
        "CREATE TABLE schedules (schedulenum INTEGER, schedulename TEXT, sunday TEXT, "
        "monday TEXT, tuesday TEXT, wednesday TEXT, thursday TEXT, friday TEXT, saturday TEXT)",
        "CREATE TABLE readers (readernum INTEGER, readername TEXT, location TEXT, active TEXT, "
        "timezone TEXT, commmode TEXT, protocol TEXT, address422 TEXT, ipaddress TEXT, Port TEXT)",
        "CREATE TABLE log (DateTime TEXT, readernum TEXT, readername TEXT, location TEXT, "
        "idnum TEXT, lastname TEXT, firstname TEXT, granted TEXT)",
        "CREATE TABLE settings (settings TEXT, reclen INTEGER, redled INTEGER, relay INTEGER, "
        "ipaddress TEXT, remoteportaddress TEXT, autoconfigreclen TEXT, applyalldowntxt TEXT, "
        "applyallcleartxt TEXT, applyalldownschtxt TEXT, txtformat TEXT, txtdownloadverify TEXT, "
        "autoacclistdown TEXT, autoacclistup TEXT, autoschdown TEXT, autologup TEXT, "
        "autosettings TEXT, diracclistdown TEXT, diracclistup TEXT, dirschdown TEXT, "
        "dirlogup TEXT, singacclistdown TEXT, singacclistup TEXT, singschdown TEXT, "
        "singlogup TEXT, prior011001 TEXT, addhocaddall TEXT, setdateall TEXT, barsettings TEXT, "
        "barstart INTEGER, barlen INTEGER, barapplyall TEXT, magsettings TEXT, mag1start INTEGER, "
        "mag1len INTEGER, mag2start INTEGER, mag2len INTEGER, magapplyall TEXT, proxmode TEXT, "
        "proxnumbits INTEGER, proxsitestart INTEGER, proxsitelen INTEGER, proxidstart INTEGER, "
        "proxidlen INTEGER, proxsitechars INTEGER, proxidchars INTEGER, proxapplyall TEXT, "
        "applyallsetparms TEXT, applyallsetmode TEXT, applyallreset TEXT, applyall232log TEXT, "
        "applyallbadlog TEXT, defreadermode TEXT, def232log TEXT, defbadlog TEXT, "
        "loginpass TEXT, applyallpass TEXT)",
    };
}

QString make_database(const QTemporaryDir& dir, QStringList schema) {
    const QString path = dir.filePath("other.db");
    raw_sqlite raw(path);
    EXPECT_EQ(raw.run(schema), "");
    return path;
}

TEST(database_file, first_start_creates_a_private_file_with_tables_and_indexes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("deep/down/zep.db");
    auto opened = data::database_file::open(path, unique_connection_name());
    ASSERT_TRUE(opened) << opened.error().toStdString();
    EXPECT_TRUE(opened.value()->created());

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    opened.value()->close();

    raw_sqlite raw(path);
    EXPECT_EQ(raw.column("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
              QStringList({"log", "readers", "schedules", "settings", "users"}));
    EXPECT_EQ(raw.column("SELECT name || ':' || tbl_name FROM sqlite_master "
                         "WHERE type = 'index' ORDER BY name"),
              QStringList({"datetime:log", "logname:log", "readernum:readers",
                           "schedulenum:schedules", "userid:users"}));
    // The log list by name reads its index rather than sorting the whole log (the detail
    // of each plan line is its fourth column).
    const QString plan =
        raw.column(
               "EXPLAIN QUERY PLAN SELECT DateTime FROM log "
               "ORDER BY trim(lastname) || ',' || trim(firstname), DateTime, rowid LIMIT 100",
               3)
            .join("; ");
    EXPECT_TRUE(plan.contains("USING INDEX logname") && !plan.contains("TEMP B-TREE"))
        << plan.toStdString();
    EXPECT_EQ(raw.column("SELECT type FROM pragma_table_info('log') WHERE name = 'readernum'"),
              QStringList{"TEXT"});
    EXPECT_EQ(raw.column("SELECT type FROM pragma_table_info('settings') WHERE name = 'reclen'"),
              QStringList{"INTEGER"});
    EXPECT_EQ(raw.column("SELECT name FROM pragma_table_info('readers') WHERE cid = 9"),
              QStringList{"Port"});
    EXPECT_EQ(raw.column("PRAGMA journal_mode"), QStringList{"wal"});
}

TEST(database_file, existing_file_is_opened_without_being_recreated) {
    test::temp_database temp;
    temp.close();
    {
        raw_sqlite raw(temp.path());
        ASSERT_EQ(raw.run({"INSERT INTO users VALUES ('7', 'Doe', 'Jane', '')"}), "");
    }
    data::database_file& db = temp.reopen();
    EXPECT_FALSE(db.created());
    db.close();
    raw_sqlite raw(temp.path());
    EXPECT_EQ(raw.column("SELECT lastname FROM users"), QStringList{"Doe"});
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
    };
    for (const refusal& c : cases) {
        QTemporaryDir dir;
        QStringList schema = documented_schema();
        schema << c.change;
        const QString path = make_database(dir, schema);
        const QByteArray before = test::file_bytes(path);

        auto opened = data::database_file::open(path, unique_connection_name());
        EXPECT_FALSE(opened);
        EXPECT_EQ(opened.error(), QStringLiteral("Database %1: %2").arg(path, c.message));
        EXPECT_EQ(test::file_bytes(path), before) << c.change;
        EXPECT_TRUE(QFile::exists(path));
    }
}

TEST(database_file, refuses_a_file_that_is_not_a_database) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zep.db");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();

    auto opened = data::database_file::open(path, unique_connection_name());
    EXPECT_FALSE(opened);
    EXPECT_TRUE(opened.error().startsWith("Database " + path + ": not a readable SQLite database"))
        << opened.error().toStdString();
    EXPECT_EQ(test::file_bytes(path), QByteArray(4096, 'x'));
}

TEST(database_file, accepts_the_documented_fields_without_our_own) {
    QTemporaryDir dir;
    const QString path = make_database(dir, documented_schema());
    auto opened = data::database_file::open(path, unique_connection_name());
    ASSERT_TRUE(opened) << opened.error().toStdString();
    EXPECT_FALSE(opened.value()->has_field("settings", "comdevice1"));

    auto loaded = data::load_or_create(*opened.value());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->record.comdevice[4], "/dev/ttyS4");

    loaded->record.comdevice[0] = "/dev/ttyUSB0";
    loaded->record.reclen = 80;
    EXPECT_TRUE(data::save_settings(*opened.value(), loaded->record, loaded->marker));
    EXPECT_EQ(data::load_or_create(*opened.value())->record.reclen, 80);

    // Without the indexes of a new database the log still sorts by name, and none is added.
    EXPECT_TRUE(data::log_query(*opened.value()).page(data::log_order::name, 0, 10));
    opened.value()->close();
    EXPECT_EQ(raw_sqlite(path).column("SELECT name FROM sqlite_master WHERE type = 'index'"),
              QStringList());
}

TEST(database_file, one_connection_name_is_one_connection) {
    test::temp_database temp;
    auto second = data::database_file::open(temp.path(), temp.db().connection_name());
    EXPECT_FALSE(second);
    EXPECT_TRUE(temp.db().connection().isOpen());

    auto other = data::database_file::open(temp.path(), unique_connection_name());
    EXPECT_TRUE(other) << other.error().toStdString();
}

class database_path : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"ZEP_HOME", "XDG_DATA_HOME", "HOME"}) {
            saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        }
    }
    void TearDown() override {
        for (const auto& [name, value, was_set] : saved_) {
            if (was_set)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

  private:
    struct saved_var {
        const char* name;
        QByteArray value;
        bool was_set;
    };
    std::vector<saved_var> saved_;
};

TEST_F(database_path, takes_the_argument_then_zep_home_then_xdg_then_home) {
    qputenv("ZEP_HOME", "/z");
    qputenv("XDG_DATA_HOME", "/x");
    qputenv("HOME", "/h");
    EXPECT_EQ(data::resolve_database_path("/a/b.db"), "/a/b.db");
    EXPECT_EQ(data::resolve_database_path(""), "/z/zep.db");
    qputenv("ZEP_HOME", "");
    EXPECT_EQ(data::resolve_database_path(""), "/x/zep/zep.db");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(data::resolve_database_path(""), "/h/.local/share/zep/zep.db");
}

}  // namespace
}  // namespace zep
