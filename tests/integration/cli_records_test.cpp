#include <gtest/gtest.h>

#include <QFileInfo>

#include "core/data/log_table.h"
#include "core/data/users_table.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace zep {
namespace {

class cli_records_test : public ::testing::Test {
  protected:
    test::cli_run zep(const QStringList& args) { return test::run_zep(temp.path(), args); }
    QString file(const char* name) const { return temp.folder() + '/' + QLatin1String(name); }

    test::temp_database temp;
};

TEST_F(cli_records_test, log_export_and_delete_answer_on_stdout_refusals_on_stderr) {
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(
        {test::log_row("2005-03-01 08:00:00", "42", 5, "Li"),
         test::log_row("2005-03-01 09:00:00", "43", 7, "Smith", false),
         test::log_row("2005-03-02 08:00:00", "42", 5, "Li")}));
    auto run = zep({"log", "export", file("comma.txt"), "--from", "03-01-2005", "--to",
                    "03-01-2005", "--reader", "5", "--format", "comma"});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out, "Export Complete\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(test::file_bytes(file("comma.txt")), "2005-03-01 08:00:00,Li,,42,005,,Y\r\r\n");

    // Off a terminal the count is asked and refused, nothing deleted, until --yes answers.
    run = zep({"log", "delete", "--from", "03-01-2005", "--to", "03-01-2005"});
    EXPECT_EQ(run.status, cli::exit_failed);
    EXPECT_EQ(run.err,
              "Delete 2 log records from 03-01-2005 to 03-01-2005?\n"
              "zep: not confirmed (--yes answers the question)\n");
    run = zep({"log", "delete", "--from", "03-01-2005", "--to", "03-01-2005", "--yes"});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out, "Deletion Complete - 2 Records Deleted\n");
    EXPECT_EQ(*data::log_table(temp.db()).count(), 1);
    run = zep({"log", "export", file("y.txt"), "--reader", "127"});
    EXPECT_EQ(run.status, cli::exit_failed);
    EXPECT_EQ(run.err, "Reader number must be < 127\n");
    EXPECT_EQ(zep({"log", "export", file("z.txt"), "--format", "csv"}).status, cli::exit_usage);
}

// Help and usage errors come from the command table; an error is one line, the usage and
// where to read more, and a typo is answered with the nearest name.
TEST_F(cli_records_test, help_and_usage_errors_are_per_command) {
    auto run = zep({"log", "delete", "--from", "03-01-2005"});
    EXPECT_EQ(run.status, cli::exit_usage);
    EXPECT_EQ(run.err,
              "zep log delete: missing --to\n"
              "usage: zep [--db PATH] log delete --from MM-DD-YYYY --to MM-DD-YYYY [--yes]\n"
              "Run 'zep help log delete' for details.\n");
    run = zep({"users", "export", "--help"});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out,
              "usage: zep [--db PATH] users export FILE [--csv]\n\n"
              "Export the employee list (or, with --csv, the card holders) to FILE. Every\n"
              "user, in ID order. The CSV file is what 'zep users import' reads.\n\n"
              "options:\n  --csv                     card holders as CSV, with a column for "
              "each reader\n                            entered\n\n"
              "exit status:\n  0    done\n  1    failed (the reason is on stderr)\n"
              "  2    bad usage\n");
    EXPECT_EQ(zep({"help", "users", "export"}).out, run.out);
    EXPECT_EQ(zep({"--db"}).err.section('\n', 0, 0), "zep: --db needs a PATH");
    EXPECT_EQ(zep({"users", "exprot", "x"}).err.section('\n', 0, 0),
              "zep: unknown command 'users exprot'; did you mean 'users export'?");
    EXPECT_EQ(zep({"log", "export", "x", "--formt", "comma"}).err.section('\n', 0, 0),
              "zep log export: unknown option --formt; did you mean '--format'?");
}

TEST_F(cli_records_test, users_export_writes_the_employee_list_and_start_up_warnings_go_to_stderr) {
    ASSERT_TRUE(data::users_table(temp.db()).insert({"1234", "Smith", "Ann", QString(254, ' ')}));
    temp.close();
    ASSERT_EQ(zep({"users", "export", file("first.txt")}).status, cli::exit_ok);  // settings made
    ASSERT_EQ(test::run_sql(temp.path(), {"UPDATE settings SET redled = NULL"}), "");
    const auto run = zep({"users", "export", file("employees.txt")});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out, "Export Complete\n");
    EXPECT_EQ(run.err,
              "Settings field \"redled\" holds \"\", not a 16-bit number: "
              "its default 3 is used\n");
    EXPECT_EQ(test::file_bytes(file("employees.txt")),
              "Smith,Ann                          1234\r\r\n");
    // A --db in a folder that is not there is refused, and no folder is made for it.
    const QString missing = temp.folder() + "/no/such";
    const auto refused = test::run_zep(missing + "/zep.db", {"users", "export", file("x.txt")});
    EXPECT_EQ(refused.status, cli::exit_failed);
    EXPECT_EQ(refused.err, "Folder " + missing + " does not exist\n");
    EXPECT_FALSE(QFileInfo::exists(temp.folder() + "/no"));
}

// A site moved from its file to the server and back: every table comes across, and the log
// and employee list exported from each database are the same bytes.
TEST_F(cli_records_test, db_copy_moves_a_site_to_the_server_and_back_unchanged) {
    if (!test::server_backend()) GTEST_SKIP() << "needs the run's PostgreSQL server";
    const QString site = file("site.db"), back = file("back.db");
    {
        auto db = data::database_file::open(site, test::unique_connection_name());
        ASSERT_TRUE(db);
        std::vector<data::log_row> log;
        for (int i = 0; i < 300; ++i) {
            log.push_back(test::log_row(QString("2005-03-%1 08:00:%2")
                                            .arg(1 + i % 28, 2, 10, QChar('0'))
                                            .arg(i % 3, 2, 10, QChar('0')),
                                        QString::number(i % 7), i % 127,
                                        QStringList{"smith", "Smith", "Élan", "", "b"}[i % 5],
                                        i % 4 != 0));
        }
        ASSERT_TRUE(data::log_table(**db).insert_all(log));
        ASSERT_TRUE(
            data::users_table(**db).insert_all({{"2", "adams", "x", QString(254, ' ')},
                                                {"10", "Adams", "é", "01" + QString(252, ' ')}}));
    }
    ASSERT_EQ(test::run_sql(site, {"INSERT INTO log (\"DateTime\", idnum) VALUES (NULL, '9')"}),
              "");
    const auto exports = [&](const QString& db, const QString& tag) {
        QByteArray all;
        for (const char* format : {"fixed", "comma"}) {
            const QString out = file("out.txt");
            EXPECT_EQ(test::run_zep(db, {"log", "export", out, "--from", "01-01-2005", "--to",
                                         "12-31-2005", "--format", format})
                          .status,
                      cli::exit_ok)
                << tag.toStdString();
            all += test::file_bytes(out);
        }
        EXPECT_EQ(test::run_zep(db, {"users", "export", file("users.txt")}).status, cli::exit_ok);
        return all + test::file_bytes(file("users.txt"));
    };
    const QByteArray from_file = exports(site, "file");
    temp.close();
    const auto copy = [&](const QString& from, const QString& to) {
        return test::run_zep({}, {"db", "copy", "--from", from, "--to", to});
    };
    const auto there = copy(site, temp.path());
    ASSERT_EQ(there.status, cli::exit_ok) << there.err.toStdString();
    EXPECT_EQ(exports(temp.path(), "server"), from_file);
    // A target that holds records already is refused and keeps them.
    const auto again = copy(site, temp.path());
    EXPECT_EQ(again.status, cli::exit_failed);
    EXPECT_EQ(test::query_column(temp.path(), "SELECT count(*) FROM log"), QStringList{"301"});
    ASSERT_EQ(copy(temp.path(), back).status, cli::exit_ok);
    EXPECT_EQ(exports(back, "back"), from_file);
}

}  // namespace
}  // namespace zep
