#include <gtest/gtest.h>

#include <QFile>

#include "core/data/log_table.h"
#include "core/data/users_table.h"
#include "core/records/employee_export.h"
#include "core/records/log_delete.h"
#include "core/records/log_export.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/scripted_operator.h"

namespace zep {
namespace {

data::log_row entry(const char* when, const char* reader, const char* last, const char* first,
                    const char* id = "12345", const char* location = "Front door") {
    return {QString::fromLatin1(when),     QString::fromLatin1(reader), QStringLiteral("r"),
            QString::fromLatin1(location), QString::fromLatin1(id),     QString::fromLatin1(last),
            QString::fromLatin1(first),    QStringLiteral("Y")};
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class exports_test : public ::testing::Test {
  protected:
    QString out() const { return temp.folder() + QStringLiteral("/out.txt"); }
    records::dbutil_outcome export_range(const char* from, const char* to, bool fixed = true,
                                         const char* reader = "", const char* id = "") {
        person.file_answers.push_back(out());
        return records::export_log(temp.db(), person,
                                   {QString::fromLatin1(from), QString::fromLatin1(to),
                                    QString::fromLatin1(reader), QString::fromLatin1(id), fixed});
    }
    void store(std::vector<data::log_row> rows) {
        ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    }

    test::temp_database temp;
    test::scripted_operator person;
};

TEST_F(exports_test, fixed_layout_pads_every_field_and_ends_in_cr_cr_lf) {
    const QString line = records::fixed_log_line(entry("2005-03-01 10:00:00", "5", "Li", "Bo"));
    EXPECT_EQ(line, QStringLiteral("2005-03-01 10:00:00 ") +
                        QStringLiteral("Li").leftJustified(20) + ' ' +
                        QStringLiteral("Bo").leftJustified(20) + ' ' +
                        QStringLiteral("12345").leftJustified(18) + QStringLiteral(" 005 ") +
                        QStringLiteral("Front door").leftJustified(15) + QStringLiteral(" Y"));
    EXPECT_EQ(line.size(), 19 + 1 + 20 + 1 + 20 + 1 + 18 + 1 + 3 + 1 + 15 + 1 + 1);
    const QString cut =
        records::fixed_log_line(entry("2005-03-01 10:00:00", "126", "Abcdefghijklmnopqrstuvwxy",
                                      "B", "1234567890123456789012", "A very long location"));
    EXPECT_TRUE(cut.contains(QStringLiteral(" Abcdefghijklmnopqrst B ")));
    EXPECT_TRUE(cut.contains(QStringLiteral(" 123456789012345678 126 A very long loc Y")));

    store({entry("2005-03-01 10:00:00", "5", "Li", "Bo")});
    EXPECT_EQ(export_range("03-01-2005", "03-01-2005"), records::dbutil_outcome::done);
    EXPECT_EQ(file_bytes(out()), line.toLatin1() + "\r\r\n");
    EXPECT_EQ(person.file_requests, QStringList{"save|extract.txt|Text (*.txt)|*.txt"});
    EXPECT_EQ(person.progress_texts, (QStringList{"Preparing Export", ""}));
    EXPECT_EQ(person.messages, QStringList{"Export Complete"});
}

TEST_F(exports_test, comma_layout_cuts_before_trimming) {
    const data::log_row row = entry("2005-03-01 10:00:00", "7", "Abcdefghijklmnopqrs uvwxy", " Bo ",
                                    " 42 ", "   Lobby        east");
    // The 20-character cut leaves "Abcdefghijklmnopqrs " whose trailing blank then goes.
    EXPECT_EQ(records::comma_log_line(row),
              QStringLiteral("2005-03-01 10:00:00,Abcdefghijklmnopqrs,Bo,42,007,Lobby,Y"));
    store({row});
    EXPECT_EQ(export_range("01-01-2005", "12-31-2005", false), records::dbutil_outcome::done);
    EXPECT_EQ(file_bytes(out()),
              QByteArray("2005-03-01 10:00:00,Abcdefghijklmnopqrs,Bo,42,007,Lobby,Y\r\r\n"));
}

// The database builds the exported lines; they must be the lines of the layouts.
TEST_F(exports_test, exported_lines_equal_the_layouts_for_awkward_rows) {
    const QString accented = QStringLiteral("%1l%2ve").arg(QChar(0xE9)).arg(QChar(0xE8));
    std::vector<data::log_row> stored = {
        entry("2005-03-01 10:00:00", "0", "  Lead", "Tail  ", "  ", ""),
        entry("2005-03-01 10:00:01", "126", "Abcdefghijklmnopqrstuvwxyz", "12345678901234567890X",
              "1234567890123456789", "Loading bay north"),
        entry("2005-03-01 10:00:02", "007", "", "", "", "   "),
        entry("2005-03-01 10:00:03", "12", "x", "y", "z", "caf")};
    stored.back().lastname = accented.repeated(4);  // 20 characters, 24 bytes of UTF-8
    stored.back().location += QChar(0xE9);
    store(stored);
    for (const bool fixed : {true, false}) {
        QByteArray expected;
        for (const data::log_row& row : stored) {
            expected +=
                (fixed ? records::fixed_log_line(row) : records::comma_log_line(row)).toLatin1() +
                "\r\r\n";
        }
        EXPECT_EQ(export_range("03-01-2005", "03-01-2005", fixed), records::dbutil_outcome::done);
        EXPECT_EQ(file_bytes(out()), expected) << (fixed ? "fixed" : "comma");
    }
}

TEST_F(exports_test, date_range_is_inclusive_and_filters_apply) {
    store({entry("2005-02-28 23:59:59", "5", "A", "a", "1"),
           entry("2005-03-01 00:00:00", "5", "B", "b", "2"),
           entry("2005-03-01 23:59:59", "6", "C", "c", "1"),
           entry("2005-03-02 00:00:00", "5", "D", "d", "1")});
    const auto exported_names = [&] {
        QByteArray names;
        for (const QByteArray& line : file_bytes(out()).split('\n')) {
            if (!line.isEmpty()) names += line.at(20);
        }
        return names;
    };
    export_range("03-01-2005", "03-01-2005");
    EXPECT_EQ(exported_names(), QByteArray("BC"));
    export_range("02-28-2005", "03-02-2005", true, "0");
    EXPECT_EQ(exported_names(), QByteArray("ABCD"));
    export_range("02-28-2005", "03-02-2005", true, "5");
    EXPECT_EQ(exported_names(), QByteArray("ABD"));
    export_range("02-28-2005", "03-02-2005", true, "", " 1 ");
    EXPECT_EQ(exported_names(), QByteArray("ACD"));
    export_range("03-03-2005", "03-09-2005");
    EXPECT_EQ(file_bytes(out()), QByteArray());
    EXPECT_EQ(person.messages.last(), QStringLiteral("Export Complete"));
}

TEST_F(exports_test, refusals_write_nothing) {
    QFile(out()).remove();
    EXPECT_EQ(export_range("01-01-2005", "01-01-2005", true, "127"),
              records::dbutil_outcome::refused);
    EXPECT_EQ(export_range("02-30-2005", "01-01-2005"), records::dbutil_outcome::refused);
    EXPECT_EQ(export_range("01-01-2005", "01-01-205"), records::dbutil_outcome::refused);
    EXPECT_EQ(person.messages, (QStringList{"Reader number must be < 127",
                                            "Export Start Date is not a valid date (mm-dd-yyyy)",
                                            "Export End Date is not a valid date (mm-dd-yyyy)"}));
    EXPECT_TRUE(person.file_requests.isEmpty());
    EXPECT_FALSE(QFile::exists(out()));

    // An empty log leaves the chosen file empty.
    QFile stale(out());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    person.file_answers.clear();
    EXPECT_EQ(export_range("01-01-2005", "01-01-2005", true, "126"),
              records::dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(), QStringLiteral("There are no items in the log file"));
    EXPECT_EQ(file_bytes(out()), QByteArray());

    person.file_answers.push_back(std::nullopt);
    EXPECT_EQ(records::export_log(temp.db(), person, {"01-01-2005", "01-01-2005", "", "", true}),
              records::dbutil_outcome::cancelled);
}

TEST_F(exports_test, delete_counts_inclusive_range_and_reports_zero) {
    const auto remove = [&](const char* from, const char* to) {
        return records::delete_log_dates(temp.db(), person, QString::fromLatin1(from),
                                         QString::fromLatin1(to));
    };
    EXPECT_EQ(remove("03-01-2005", "03-01-2005"), records::dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(), QStringLiteral("There are no items in the log file"));

    store({entry("2005-03-01 00:00:00", "5", "B", "b"), entry("2005-03-01 23:59:59", "5", "C", "c"),
           entry("2005-03-02 00:00:00", "5", "D", "d")});
    EXPECT_EQ(remove("03-05-2005", "03-09-2005"), records::dbutil_outcome::done);
    EXPECT_EQ(person.messages.last(), QStringLiteral("Deletion Complete - 0 Records Deleted"));
    EXPECT_EQ(remove("03-01-2005", "03-01-2005"), records::dbutil_outcome::done);
    EXPECT_EQ(person.messages.last(), QStringLiteral("Deletion Complete - 2 Records Deleted"));
    EXPECT_EQ(person.progress_texts.first(), QStringLiteral("Deleting Records"));
    EXPECT_TRUE(person.questions.isEmpty());
    EXPECT_EQ(*data::log_table(temp.db()).count(), 1);

    EXPECT_EQ(remove("03-01-2005", "13-01-2005"), records::dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(),
              QStringLiteral("Delete End Date is not a valid date (mm-dd-yyyy)"));
    EXPECT_EQ(*data::log_table(temp.db()).count(), 1);
}

TEST_F(exports_test, employee_list_layout) {
    person.file_answers.push_back(out());
    EXPECT_EQ(records::export_employees(temp.db(), person), records::dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(), QStringLiteral("There are no employees in the file"));
    EXPECT_EQ(file_bytes(out()), QByteArray());

    data::users_table users(temp.db());
    ASSERT_TRUE(users.insert_all(
        {{QStringLiteral("1234"), QStringLiteral("Smith"), QStringLiteral("Ann"), {}},
         {QStringLiteral("0999"),
          QStringLiteral("Abcdefghijklmnopqrstuvwxyz"),
          QStringLiteral("Longfirst"),
          {}}}));
    person.file_answers.push_back(out());
    EXPECT_EQ(records::export_employees(temp.db(), person), records::dbutil_outcome::done);
    EXPECT_EQ(person.file_requests.last(), QStringLiteral("save|employees.txt|Text (*.txt)|*.txt"));
    EXPECT_EQ(file_bytes(out()), QByteArray("Abcdefghijklmnopqrstuvwxyz,Lon     0999\r\r\n"
                                            "Smith,Ann                          1234\r\r\n"));
    EXPECT_EQ(person.messages.last(), QStringLiteral("Export Complete"));

    // A write that fails only when the last buffer goes out is still a failed export.
    if (!QFile::exists(QStringLiteral("/dev/full"))) return;
    person.file_answers.push_back(QStringLiteral("/dev/full"));
    EXPECT_EQ(records::export_employees(temp.db(), person), records::dbutil_outcome::refused);
    EXPECT_EQ(person.messages.last(), QStringLiteral("No space left on device"));
}

TEST(date_boxes, bounds_from_mm_dd_yyyy) {
    EXPECT_EQ(records::date_bound(QStringLiteral("03-01-2005")), QStringLiteral("2005-03-01"));
    EXPECT_EQ(records::date_bound(QStringLiteral("12312030")), QStringLiteral("2030-12-31"));
    EXPECT_EQ(records::date_bound(QStringLiteral("02-29-2004")), QStringLiteral("2004-02-29"));
    for (const char* bad : {"02-29-2005", "00-10-2005", "03-01-05", "__-__-____", "", "3-1-2005"}) {
        EXPECT_FALSE(records::date_bound(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_EQ(records::date_box_text(QDate(2005, 3, 1)), QStringLiteral("03-01-2005"));
}

}  // namespace
}  // namespace zep
