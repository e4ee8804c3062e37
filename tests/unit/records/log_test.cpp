#include <gtest/gtest.h>

#include <QFile>
#include <QTime>

#include "core/data/log_table.h"
#include "core/data/users_table.h"
#include "core/records/employee_export.h"
#include "core/records/log_archive.h"
#include "core/records/log_delete.h"
#include "core/records/log_export.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"
#include "tests/support/scripted_operator.h"

namespace zep::records {
namespace {

data::log_row entry(const char* when, const char* reader, const char* last, const char* first,
                    const char* id = "12345", const char* location = "Front door",
                    bool granted = true) {
    data::log_row row =
        test::log_row(when, QString::fromUtf8(id), 0, QString::fromUtf8(last), granted);
    row.readernum = reader;
    row.firstname = QString::fromUtf8(first);
    row.location = QString::fromUtf8(location);
    return row;
}

class exports_test : public ::testing::Test {
  protected:
    QString out() const { return temp.folder() + "/out.txt"; }
    dbutil_outcome export_range(const char* from, const char* to, bool fixed = true,
                                const char* reader = "", const char* id = "") {
        person.file_answers.push_back(out());
        return export_log(temp.db(), person, {from, to, reader, id, fixed});
    }
    void store(const std::vector<data::log_row>& rows) {
        ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    }

    test::temp_database temp;
    test::scripted_operator person;
};

TEST_F(exports_test, both_layouts_cut_pad_or_trim_each_field_and_end_in_cr_cr_lf) {
    store({entry("2005-03-01 10:00:00", "5", "Li", "Bo"),
           entry("2005-03-01 10:00:01", "126", "Abcdefghijklmnopqrstuvwxy", "B",
                 "1234567890123456789012", "A very long location"),
           entry("2005-03-01 10:00:02", "7", "Abcdefghijklmnopqrs uvwxy", " Bo ", " 42 ",
                 "   Lobby        east", false),
           entry("2005-03-01 10:00:03", "12", "ÉlèveÉlèveÉlèveÉlève", "x", "z", "café")});
    EXPECT_EQ(export_range("03-01-2005", "03-01-2005"), dbutil_outcome::done);
    EXPECT_EQ(test::file_bytes(out()),
              QStringLiteral("2005-03-01 10:00:00 Li                   Bo                   "
                             "12345              005 Front door      Y\r\r\n"
                             "2005-03-01 10:00:01 Abcdefghijklmnopqrst B                    "
                             "123456789012345678 126 A very long loc Y\r\r\n"
                             "2005-03-01 10:00:02 Abcdefghijklmnopqrs   Bo                   "
                             "42                007    Lobby        N\r\r\n"
                             "2005-03-01 10:00:03 ÉlèveÉlèveÉlèveÉlève x                    "
                             "z                  012 café            Y\r\r\n")
                  .toLatin1());
    // Comma delimited: cut first, then trimmed, so a long name loses its tail first.
    EXPECT_EQ(export_range("03-01-2005", "03-01-2005", false), dbutil_outcome::done);
    EXPECT_EQ(test::file_bytes(out()),
              QStringLiteral("2005-03-01 10:00:00,Li,Bo,12345,005,Front door,Y\r\r\n"
                             "2005-03-01 10:00:01,Abcdefghijklmnopqrst,B,123456789012345678,126,"
                             "A very long loc,Y\r\r\n"
                             "2005-03-01 10:00:02,Abcdefghijklmnopqrs,Bo,42,007,Lobby,N\r\r\n"
                             "2005-03-01 10:00:03,ÉlèveÉlèveÉlèveÉlève,x,z,012,café,Y\r\r\n")
                  .toLatin1());
    EXPECT_EQ(person.file_requests.first(), "save|extract.txt|Text (*.txt)|*.txt");
    EXPECT_EQ(person.progress_texts,
              (QStringList{"Preparing Export", "", "4 rows written to " + out(), "Preparing Export",
                           "", "4 rows written to " + out()}));
    EXPECT_EQ(person.messages, QStringList(2, "Export Complete"));
}

TEST_F(exports_test, date_ranges_are_inclusive_for_export_and_delete_and_filters_apply) {
    store({entry("2005-02-28 23:59:59", "5", "A", "a", "1"),
           entry("2005-03-01 00:00:00", "5", "B", "b", "2"),
           entry("2005-03-01 23:59:59", "6", "C", "c", "1"),
           entry("2005-03-02 00:00:00", "5", "D", "d", "1")});
    const auto exported = [&](const char* from, const char* to, const char* reader = "",
                              const char* id = "") {
        export_range(from, to, true, reader, id);
        QByteArray names;
        for (const QByteArray& line : test::file_bytes(out()).split('\n')) {
            if (!line.isEmpty()) names += line.at(20);
        }
        return names;
    };
    EXPECT_EQ(exported("03-01-2005", "03-01-2005"), "BC");
    EXPECT_EQ(exported("02-28-2005", "03-02-2005", "0"), "ABCD");
    EXPECT_EQ(exported("02-28-2005", "03-02-2005", "5"), "ABD");
    EXPECT_EQ(exported("02-28-2005", "03-02-2005", "", " 1 "), "ACD");
    EXPECT_EQ(exported("03-03-2005", "03-09-2005"), "");
    EXPECT_EQ(person.messages, QStringList(5, "Export Complete"));

    const auto remove = [&](const char* from, const char* to) {
        EXPECT_EQ(delete_log_dates(temp.db(), person, from, to), dbutil_outcome::done);
        return person.messages.last();
    };
    // Nothing in range: nothing to ask. Records in range: the count is asked first.
    EXPECT_EQ(remove("03-05-2005", "03-09-2005"), "Deletion Complete - 0 Records Deleted");
    EXPECT_TRUE(person.questions.isEmpty());
    EXPECT_EQ(delete_log_dates(temp.db(), person, "03-01-2005", "03-01-2005"),
              dbutil_outcome::refused);
    EXPECT_EQ(person.questions, QStringList{"Delete 2 log records from 03-01-2005 to 03-01-2005?"});
    EXPECT_EQ(*data::log_table(temp.db()).count(), 4);
    person.confirm_answers = {true};
    EXPECT_EQ(remove("03-01-2005", "03-01-2005"), "Deletion Complete - 2 Records Deleted");
    EXPECT_EQ(person.progress_texts.last(), "");
    EXPECT_TRUE(person.progress_texts.contains("Deleting Records"));
    EXPECT_EQ(*data::log_table(temp.db()).count(), 2);
}

TEST_F(exports_test, refusals_write_nothing) {
    EXPECT_EQ(export_range("01-01-2005", "01-01-2005", true, "127"), dbutil_outcome::refused);
    EXPECT_EQ(export_range("02-30-2005", "01-01-2005"), dbutil_outcome::refused);
    EXPECT_EQ(export_range("01-01-2005", "01-01-205"), dbutil_outcome::refused);
    EXPECT_EQ(delete_log_dates(temp.db(), person, "03-01-2005", "13-01-2005"),
              dbutil_outcome::refused);
    EXPECT_EQ(person.messages, (QStringList{"Reader number must be < 127",
                                            "Export Start Date is not a valid date (mm-dd-yyyy)",
                                            "Export End Date is not a valid date (mm-dd-yyyy)",
                                            "Delete End Date is not a valid date (mm-dd-yyyy)"}));
    EXPECT_TRUE(person.file_requests.isEmpty());
    EXPECT_FALSE(QFile::exists(out()));

    // An empty log leaves the chosen file empty, and has nothing to delete.
    test::write_file(out(), "old");
    person.file_answers.clear();
    EXPECT_EQ(export_range("01-01-2005", "01-01-2005"), dbutil_outcome::refused);
    EXPECT_EQ(test::file_bytes(out()), "");
    EXPECT_EQ(delete_log_dates(temp.db(), person, "01-01-2005", "01-01-2005"),
              dbutil_outcome::refused);
    EXPECT_EQ(person.messages.mid(4), QStringList(2, "There are no items in the log file"));
    person.file_answers = {std::nullopt};
    EXPECT_EQ(export_log(temp.db(), person, {"01-01-2005", "01-01-2005", "", "", true}),
              dbutil_outcome::cancelled);
}

TEST_F(exports_test, employee_list_layout) {
    person.file_answers = {out()};
    EXPECT_EQ(export_employees(temp.db(), person), dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(), "There are no employees in the file");
    EXPECT_EQ(test::file_bytes(out()), "");

    ASSERT_TRUE(data::users_table(temp.db()).insert_all(
        {{"1234", "Smith", "Ann", {}}, {"0999", "Abcdefghijklmnopqrstuvwxyz", "Longfirst", {}}}));
    person.file_answers = {out()};
    EXPECT_EQ(export_employees(temp.db(), person), dbutil_outcome::done);
    EXPECT_EQ(person.file_requests.last(), "save|employees.txt|Text (*.txt)|*.txt");
    EXPECT_EQ(test::file_bytes(out()),
              "Abcdefghijklmnopqrstuvwxyz,Lon     0999\r\r\n"
              "Smith,Ann                          1234\r\r\n");
    EXPECT_EQ(person.messages.last(), "Export Complete");
}

TEST_F(exports_test, a_write_or_read_that_fails_is_reported_not_complete) {
    // Both tables spread over the whole file, so that cutting it leaves the start of each.
    for (int chunk = 0; chunk < 10; ++chunk) {
        std::vector<data::log_row> log;
        std::vector<data::user_row> users;
        for (int i = chunk * 300; i < (chunk + 1) * 300; ++i) {
            const QTime time = QTime::fromMSecsSinceStartOfDay(i * 1000);
            log.push_back(test::log_row("2005-03-01 " + time.toString("hh:mm:ss"), ""));
            users.push_back({QString::number(10000 + i), "Smith", "Ann", {}});
        }
        store(log);
        ASSERT_TRUE(data::users_table(temp.db()).insert_all(users));
    }
    const std::function<dbutil_outcome()> exports[] = {
        [&] {
            return export_log(temp.db(), person, {"03-01-2005", "03-01-2005", "", "", true});
        },
        [&] { return export_employees(temp.db(), person); }};
    const std::pair<QString, const char*> unwritable[] = {
        {temp.folder() + "/missing/out.txt", "Export failed: No such file or directory"},
        {"/dev/full", "Export failed: No space left on device"}};
    for (const auto& run : exports) {
        for (const auto& [file, message] : unwritable) {
            person.file_answers = {file};
            EXPECT_EQ(run(), dbutil_outcome::refused);
            EXPECT_EQ(person.messages.last(), message);
        }
    }
    if (test::server_backend()) return;  // a file cut short is the file's own failure
    temp.close();
    test::cut_short(temp.path());
    temp.reopen();
    for (const auto& run : exports) {
        person.file_answers = {out()};
        EXPECT_EQ(run(), dbutil_outcome::refused);
        EXPECT_TRUE(
            person.messages.last().startsWith("Export failed: database disk image is malformed"))
            << person.messages.last().toStdString();
        const qsizetype lines = test::file_bytes(out()).count("\r\r\n");
        EXPECT_TRUE(lines > 0 && lines < 3000) << lines;  // it failed part way
    }
}

// Pages of `limit` rows read one after the other, each row given by `mark`.
template <typename Mark>
QString read_through(log_archive& archive, int limit, Mark mark) {
    QString marks;
    for (qint64 offset = 0;; offset += limit) {
        const auto page = archive.fetch(offset, limit);
        if (page.empty()) return marks;
        for (const archive_row& row : page) marks += mark(row);
    }
}

TEST(log_archive, pages_continue_after_the_last_row_in_each_order_sorted_as_text) {
    test::temp_database temp;
    std::vector<data::log_row> rows;
    const char* readers[] = {"12", "7", "100", "7"};
    const char* names[] = {"Cole", "Adams", "Baker", "Adams"};
    for (int i = 3; i >= 0; --i) {
        rows.push_back(
            test::log_row(QStringLiteral("2005-03-01 10:0%1:00").arg(i), "", 1, names[i]));
        rows.back().readernum = readers[i];
        rows.back().firstname = " first ";
    }
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    log_archive archive(temp.db());
    EXPECT_EQ(archive.refresh(), 4);
    const auto minute = [](const archive_row& row) { return row.date_time.at(15); };
    EXPECT_EQ(read_through(archive, 3, minute), "0123");
    EXPECT_EQ(archive.fetch(2, 1)[0].date_time, "2005-03-01 10:02:00");  // a jump back
    EXPECT_TRUE(archive.fetch(4, 4).empty());
    const auto first = archive.fetch(0, 1);
    EXPECT_EQ(first[0].name + "|" + first[0].readernum, "Cole,first|12");
    archive.sort_by(1);
    EXPECT_EQ(archive.sort_column(), 1);
    EXPECT_EQ(read_through(archive, 1, minute), "1320");  // equal names in date order
    archive.sort_by(2);
    EXPECT_EQ(read_through(archive, 3, minute), "2013");  // "100" < "12" < "7"
}

// Rows written by other programs may hold NULL where ours hold text: each row still shows
// once, in every order, when the pages meet in the middle of such rows.
TEST(log_archive, sorts_on_each_column_with_null_keys_as_empty_text) {
    test::temp_database temp;
    ASSERT_EQ(
        test::run_sql(
            temp.path(),
            {"INSERT INTO log (\"DateTime\", readernum, lastname, firstname, location, granted) "
             "VALUES (NULL, '7', 'Cole', 'a', NULL, 'Y'), "
             "('2005-03-01 10:00:00', NULL, NULL, 'b', 'Lobby', NULL), "
             "(NULL, '3', 'Adams', 'c', '', 'N'), "
             "('2005-03-01 09:00:00', '12', 'Baker', 'd', NULL, 'Y'), "
             "('', NULL, NULL, 'e', 'Gate', 'Y'), (NULL, '3', NULL, 'f', NULL, NULL)"}),
        "");
    log_archive archive(temp.db());
    EXPECT_EQ(archive.refresh(), 6);
    const auto first_name = [](const archive_row& row) { return row.name.back(); };
    // Date/Time keeps the index's order: NULL before empty text.
    const char* orders[] = {"acfedb", "befcda", "ebdcfa", "acfdeb", "fbcaed"};
    for (int column = 0; column < 5; ++column) {
        archive.sort_by(column);
        EXPECT_EQ(read_through(archive, 2, first_name), orders[column]) << column;
        EXPECT_EQ(read_through(archive, 1, first_name), orders[column]) << column;
    }
    archive.sort_by(1);
    EXPECT_EQ(archive.fetch(0, 1)[0].name, ",b");
}

}  // namespace
}  // namespace zep::records
