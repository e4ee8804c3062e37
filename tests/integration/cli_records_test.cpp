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

}  // namespace
}  // namespace zep
