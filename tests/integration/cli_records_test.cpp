#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>

#include "core/data/log_table.h"
#include "core/data/users_table.h"
#include "tests/integration/cli_harness.h"
#include "tests/support/data/temp_database.h"

namespace zep {
namespace {

using test::cli_run;

class cli_records_test : public ::testing::Test {
  protected:
    cli_run zep(const QStringList& args) { return test::run_zep(temp.path(), args); }
    QString file(const char* name) const { return temp.folder() + '/' + QLatin1String(name); }
    QByteArray bytes(const char* name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void store_log() {
        ASSERT_TRUE(data::log_table(temp.db()).insert_all(
            {{"2005-03-01 08:00:00", "5", "r", "Front door", "42", "Li", "Bo", "Y"},
             {"2005-03-01 09:00:00", "7", "r", "Back", "43", "Smith", "Ann", "N"},
             {"2005-03-02 08:00:00", "5", "r", "Front door", "42", "Li", "Bo", "Y"}}));
    }

    test::temp_database temp;
};

TEST_F(cli_records_test, log_export_writes_the_layouts_of_the_screen) {
    store_log();
    auto run = zep({"log", "export", file("fixed.txt"), "--from", "03-01-2005", "--to",
                    "03-01-2005", "--reader", "5", "--format", "fixed"});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out, QStringLiteral("Export Complete\n"));
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_EQ(bytes("fixed.txt"),
              QByteArray("2005-03-01 08:00:00 Li                   Bo                   "
                         "42                 005 Front door      Y\r\r\n"));

    run = zep({"log", "export", file("comma.txt"), "--from", "02-01-2005", "--to", "03-31-2005",
               "--format", "comma", "--id", "43"});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(bytes("comma.txt"), QByteArray("2005-03-01 09:00:00,Smith,Ann,43,007,Back,N\r\r\n"));
}

TEST_F(cli_records_test, refusals_go_to_stderr_with_status_1) {
    auto run = zep({"log", "export", file("x.txt"), "--from", "03-01-2005", "--to", "03-01-2005"});
    EXPECT_EQ(run.status, cli::exit_failed);
    EXPECT_EQ(run.err, QStringLiteral("There are no items in the log file\n"));
    EXPECT_EQ(bytes("x.txt"), QByteArray());

    run = zep({"log", "export", file("y.txt"), "--reader", "127"});
    EXPECT_EQ(run.status, cli::exit_failed);
    EXPECT_EQ(run.err, QStringLiteral("Reader number must be < 127\n"));
    EXPECT_FALSE(QFile::exists(file("y.txt")));

    run = zep({"log", "delete", "--from", "02-30-2005", "--to", "03-01-2005"});
    EXPECT_EQ(run.status, cli::exit_failed);
    EXPECT_EQ(run.err, QStringLiteral("Delete Start Date is not a valid date (mm-dd-yyyy)\n"));

    run = zep({"users", "export", file("e.txt")});
    EXPECT_EQ(run.status, cli::exit_failed);
    EXPECT_EQ(run.err, QStringLiteral("There are no employees in the file\n"));

    EXPECT_EQ(zep({"log", "export", file("z.txt"), "--format", "csv"}).status, cli::exit_usage);
    EXPECT_EQ(zep({"log", "delete", "--from", "03-01-2005"}).status, cli::exit_usage);
}

TEST_F(cli_records_test, log_delete_reports_the_count) {
    store_log();
    auto run = zep({"log", "delete", "--from", "03-01-2005", "--to", "03-01-2005"});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out, QStringLiteral("Deletion Complete - 2 Records Deleted\n"));
    run = zep({"log", "delete", "--from", "03-01-2005", "--to", "03-01-2005"});
    EXPECT_EQ(run.out, QStringLiteral("Deletion Complete - 0 Records Deleted\n"));
    EXPECT_EQ(*data::log_table(temp.db()).count(), 1);
}

TEST_F(cli_records_test, users_export_writes_the_employee_list) {
    ASSERT_TRUE(data::users_table(temp.db()).insert(
        {"1234", "Smith", "Ann", QString(254, QLatin1Char(' '))}));
    const auto run = zep({"users", "export", file("employees.txt")});
    EXPECT_EQ(run.status, cli::exit_ok);
    EXPECT_EQ(run.out, QStringLiteral("Export Complete\n"));
    EXPECT_EQ(bytes("employees.txt"), QByteArray("Smith,Ann                          1234\r\r\n"));
}

}  // namespace
}  // namespace zep
