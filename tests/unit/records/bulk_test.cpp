#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <random>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/records/access_string.h"
#include "core/records/log_archive.h"
#include "core/records/users_csv.h"
#include "core/records/users_series.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace zep::records {
namespace {

QString with_access(std::initializer_list<std::pair<int, const char*>> slots) {
    QString access = access_string::blank();
    for (const auto& [reader, code] : slots) access.replace(2 * reader, 2, QLatin1String(code));
    return access;
}

class bulk_users_test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(data::schedules_table(temp.db()).insert({5, "Day"}));
        ASSERT_TRUE(data::schedules_table(temp.db()).insert({12, "Night"}));
    }
    QString file(const QByteArray& bytes) {
        return test::write_file(temp.folder() + "/users.csv", bytes);
    }
    std::vector<data::user_row> users() { return *data::users_table(temp.db()).all(); }
    users_import_plan plan(const QByteArray& bytes, bool replace = false) {
        const auto planned = plan_users_import(temp.db(), file(bytes), replace);
        EXPECT_TRUE(planned) << planned.error().toStdString();
        return planned ? *planned : users_import_plan{};
    }

    test::temp_database temp;
};

TEST_F(bulk_users_test, any_faulty_line_refuses_the_whole_file_with_each_fault_named) {
    ASSERT_TRUE(data::users_table(temp.db()).insert({"1", "Kept", "Anne", with_access({})}));
    const users_import_plan faulty = plan(
        "userid,lastname,firstname,reader_003\r\n"
        "1,Changed,Anne,05\r\n"         // line 2: fine alone
        ",No,Id,\r\n"                   // 3
        "1234567890123456789,L,F,\r\n"  // 4: 19 characters
        "7,Only,two\r\n"                // 5
        "8,A,B,7\r\n"                   // 6: no schedule 07
        "9,A,B,x1\r\n"                  // 7
        "1,Again,Anne,\r\n"             // 8: duplicate of line 2
        "10,\xce\xa9mega,B,\r\n"        // 9: not Latin-1
        "\"11\",\"two\nlines\",B,\r\n"  // 10-11: a line break in a name
        "12,,B,\r\n"                    // 12
        "1\x01,A,B,\r\n");              // 13: a control character in the ID
    EXPECT_EQ(faulty.faults,
              (QStringList{"line 3: the ID is empty",
                           "line 4: the ID 1234567890123456789 has more than 18 characters",
                           "line 5: 3 fields, the header has 4",
                           "line 6: reader_003: there is no schedule 07",
                           "line 7: reader_003: \"x1\" is not a schedule code",
                           "line 8: the ID 1 is on line 2 too",
                           "line 9: a name holds a character that cannot be stored (not Latin-1)",
                           "line 10: a name holds a control character (a line break or tab)",
                           "line 12: the last name is empty",
                           "line 13: the ID 1\x01 holds a character no reader can take"}));
    EXPECT_FALSE(apply_users_import(temp.db(), faulty));
    EXPECT_EQ(users().size(), 1u);
    EXPECT_EQ(users()[0].lastname, "Kept");

    // The header alone is enough to refuse: columns that are no reader, or come twice.
    EXPECT_EQ(
        plan("userid,lastname,firstname,reader_127,reader_001,reader_001,door\n1,A,B,,,,\n").faults,
        (QStringList{"line 1: column \"reader_127\": there is no reader above 126",
                     "line 1: column \"reader_001\" comes twice",
                     "line 1: column \"door\" is neither a name nor reader_NNN"}));
    EXPECT_EQ(plan("id,last,first\n1,A,B\n").faults,
              QStringList{"line 1: the header must begin userid,lastname,firstname"});
    EXPECT_EQ(plan("userid,lastname,firstname\n\"1,A,B\n").faults,
              QStringList{"line 2: a quote is never closed"});
    EXPECT_EQ(plan("userid,lastname,firstname\n1,\xff,B\n").faults,
              QStringList{"the file is not UTF-8 text"});
    EXPECT_FALSE(plan_users_import(temp.db(), temp.folder() + "/missing.csv", false));
}

TEST_F(bulk_users_test, imports_add_and_update_only_what_the_file_names) {
    ASSERT_TRUE(data::users_table(temp.db()).insert_all(
        {{"1", "Old", "Anne", with_access({{3, "12"}, {9, "05"}})},
         {"2", "Same", "Bob", with_access({{3, "05"}})},
         {"3", "Absent", "Cy", with_access({{9, "12"}})}}));
    // A BOM, a spreadsheet's "5" for "05", columns in any order, blank lines and CR LF.
    const QByteArray csv =
        "\xef\xbb\xbfuserid,lastname,firstname,reader_009,reader_003\r\n"
        "1,New,Anne,,5\r\n"
        "\r\n"
        "2,Same,Bob,,05\r\n"
        " 4 ,\"'=Sum, Jr\",\"D\"\"x\",12,\r\n";
    const users_import_plan merged = plan(csv);
    ASSERT_TRUE(merged.ok()) << merged.faults.join('\n').toStdString();
    EXPECT_EQ(import_summary(merged), "1 added, 1 updated, 1 unchanged");
    ASSERT_TRUE(apply_users_import(temp.db(), merged));
    std::vector<data::user_row> stored = users();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0], (data::user_row{"1", "New", "Anne", with_access({{3, "05"}})}));
    EXPECT_EQ(stored[2], (data::user_row{"3", "Absent", "Cy", with_access({{9, "12"}})}));
    EXPECT_EQ(stored[3], (data::user_row{"4", "=Sum, Jr", "D\"x", with_access({{9, "12"}})}));

    // --replace: readers whose column the file lacks lose the user's access.
    const users_import_plan replaced =
        plan("userid,lastname,firstname,reader_009\n2,Same,Bob,\n", true);
    EXPECT_EQ(import_summary(replaced), "0 added, 1 updated, 0 unchanged");
    ASSERT_TRUE(apply_users_import(temp.db(), replaced));
    EXPECT_EQ(users()[1].schedules, access_string::blank());
}

TEST_F(bulk_users_test, an_export_imported_again_changes_nothing) {
    ASSERT_TRUE(data::users_table(temp.db()).insert_all(
        {{"0007", "Émile", "+Zoë", with_access({{126, "12"}, {0, "05"}})},
         {"A-1", "@home", "-x", with_access({})},
         {"B 2", "O\"Neil, Jr", "Ann", with_access({{40, "05"}})}}));
    const QString out = temp.folder() + "/out.csv";
    ASSERT_EQ(export_users_csv(temp.db(), out).value_or(-1), 3);
    const QByteArray bytes = test::file_bytes(out);
    EXPECT_TRUE(bytes.startsWith("userid,lastname,firstname,reader_000,reader_040,reader_126\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nA-1,'@home,'-x,,,\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nB 2,\"O\"\"Neil, Jr\",Ann,,05,\r\n"));
    const auto again = plan_users_import(temp.db(), out, true);
    ASSERT_TRUE(again && again->ok());
    EXPECT_EQ(import_summary(*again), "0 added, 0 updated, 3 unchanged");
}

TEST_F(bulk_users_test, a_series_skips_stored_ids_and_gives_access_at_active_readers_only) {
    data::reader_row active = test::reader_row(4, "tcp/ip"), idle = test::reader_row(6, "tcp/ip");
    idle.active.clear();
    ASSERT_TRUE(data::readers_table(temp.db()).insert_all({active, idle}));
    ASSERT_TRUE(data::users_table(temp.db()).insert({"0003", "Mine", "Own", with_access({})}));

    const auto planned = plan_series(temp.db(), {"0001", "0010", "5", true});
    ASSERT_TRUE(planned);
    EXPECT_EQ(planned->ids.front(), "0001");
    EXPECT_EQ(planned->ids.back(), "0010");
    EXPECT_EQ(planned->question(), "Add 9 users with the IDs 0001 to 0010?");
    EXPECT_EQ(add_series(temp.db(), *planned).value_or(""), "Added 9 users (1 already existed)");
    const std::vector<data::user_row> stored = users();
    ASSERT_EQ(stored.size(), 10u);
    EXPECT_EQ(stored[2], (data::user_row{"0003", "Mine", "Own", with_access({})}));
    EXPECT_EQ(stored[9], (data::user_row{"0010", "Card", "0010", with_access({{4, "05"}})}));

    // Without "all active readers" the new users have no access; a second run adds none.
    const auto bare = plan_series(temp.db(), {"98", "101", "", false});
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->ids, (QStringList{"98", "99", "100", "101"}));
    EXPECT_EQ(add_series(temp.db(), *bare).value_or(""), "Added 4 users (0 already existed)");
    EXPECT_EQ(users().back().schedules, access_string::blank());
    EXPECT_EQ(add_series(temp.db(), *bare).value_or(""), "Added 0 users (4 already existed)");

    const auto refusal = [&](series_request request) {
        const auto refused = plan_series(temp.db(), request);
        return refused ? QString() : refused.error();
    };
    EXPECT_EQ(refusal({"1", "100001", "", false}), "A series may hold at most 100,000 IDs");
    EXPECT_EQ(plan_series(temp.db(), {"1", "100000", "", false}).value().ids.size(), 100'000);
    EXPECT_EQ(refusal({"10", "9", "", false}), "End Number must not be below Start Number");
    EXPECT_EQ(refusal({"1x", "9", "", false}), "Start Number and End Number must be digits");
    EXPECT_EQ(refusal({"1", "9999999999999999999", "", false}), "An ID may have at most 18 digits");
    EXPECT_EQ(refusal({"1", "2", "100", true}), "Schedule # must be a number from 0 to 99");
    EXPECT_EQ(refusal({"1", "2", "7", true}), "There is no schedule 7");
}

// The filtered log, paged in every order, against the same rows filtered and sorted here.
class log_filter_test : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937 random(7);
        const QDateTime start(QDate(2026, 3, 1), QTime(0, 0));
        const char* names[] = {"Smith", "smithers", "Jones", "O'Hara", "", "Ünal"};
        for (int i = 0; i < 400; ++i) {
            data::log_row row = test::log_row(
                start.addSecs(static_cast<qint64>(random() % (4 * 86400)))
                    .toString("yyyy-MM-dd hh:mm:ss"),
                QStringLiteral("%1").arg(random() % 50), static_cast<int>(random() % 4),
                QString::fromUtf8(names[random() % 6]), random() % 3 != 0);
            row.firstname = QStringLiteral("F%1").arg(random() % 5);
            row.location = QStringLiteral("Door %1").arg(random() % 3);
            rows.push_back(row);
        }
        ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    }

    static bool passes(const data::log_row& row, const data::log_filter& f) {
        const auto contains = [&](const QString& text) {
            return text.contains(f.match, Qt::CaseInsensitive);
        };
        const QString to = f.to.size() == 10 ? f.to + " 99" : f.to;
        return (f.from.isEmpty() || row.DateTime >= f.from) &&
               (to.isEmpty() || row.DateTime <= to) &&
               (f.reader < 0 || row.readernum.toInt() == f.reader) &&
               (f.match.isEmpty() || contains(row.idnum) || contains(row.lastname) ||
                contains(row.firstname)) &&
               (f.granted == data::log_filter::outcome::all ||
                (row.granted == "Y") == (f.granted == data::log_filter::outcome::granted));
    }

    test::temp_database temp;
    std::vector<data::log_row> rows;
};

TEST_F(log_filter_test, every_filter_pages_the_rows_a_plain_sort_would_keep) {
    using outcome = data::log_filter::outcome;
    const std::vector<data::log_filter> filters = {
        {},
        {"2026-03-02", "2026-03-03", -1, "", outcome::all},
        {"2026-03-02 06:00:00", "2026-03-02 18:59:59", 2, "", outcome::refused},
        {"", "", -1, "SMITH", outcome::all},
        {"", "2026-03-01", 0, "1", outcome::granted},
        {"", "", -1, "%", outcome::all},
        {"2026-03-09", "", -1, "", outcome::all}};
    for (const data::log_filter& filter : filters) {
        std::vector<data::log_row> kept;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(kept),
                     [&](const data::log_row& r) { return passes(r, filter); });
        const QString label = filter.from + "|" + filter.to + "|" + filter.match;
        log_archive archive(temp.db());
        archive.set_filter(filter);
        EXPECT_EQ(archive.row_count(), static_cast<qint64>(kept.size())) << label.toStdString();
        for (int column : {0, 1}) {
            // Name order: trimmed "last,first" as text, ties in date order.
            std::vector<QString> expected;
            std::stable_sort(kept.begin(), kept.end(), [&](const auto& a, const auto& b) {
                return column == 0
                           ? a.DateTime < b.DateTime
                           : a.lastname + "," + a.firstname < b.lastname + "," + b.firstname;
            });
            for (const auto& r : kept) expected.push_back(r.DateTime + "/" + r.idnum);
            archive.sort_by(column);
            std::vector<QString> paged;
            for (qint64 at = 0; at < archive.row_count() + 30; at += 30) {
                for (const archive_row& r : archive.fetch(at, 30)) paged.push_back(r.date_time);
            }
            ASSERT_EQ(paged.size(), expected.size()) << label.toStdString();
            for (std::size_t i = 0; i < paged.size(); ++i)
                EXPECT_EQ(paged[i], expected[i].section('/', 0, 0)) << label.toStdString() << i;
        }
        // The CSV holds the same rows in date order.
        qint64 lines = 0;
        ASSERT_EQ(
            write_log_csv(temp.db(), filter, [&](const QByteArray&) { ++lines; }).value_or(-1),
            static_cast<qint64>(kept.size()));
        EXPECT_EQ(lines, static_cast<qint64>(kept.size()) + 1);
    }
}

TEST_F(log_filter_test, the_chart_groups_by_hour_up_to_two_days_and_by_day_beyond) {
    const auto tally = [&](const data::log_filter& f, int width) {
        std::map<QString, std::pair<qint64, qint64>> bars;
        for (const auto& r : rows) {
            if (!passes(r, f)) continue;
            auto& bar = bars[r.DateTime.left(width)];
            (r.granted == "Y" ? bar.first : bar.second)++;
        }
        return bars;
    };
    const auto compare = [&](const log_activity& chart, const data::log_filter& f, int width) {
        const auto expected = tally(f, width);
        qint64 total = 0;
        for (const data::log_bucket& bar : chart.bars) {
            const auto it = expected.find(bar.key);
            const std::pair<qint64, qint64> want =
                it == expected.end() ? std::pair<qint64, qint64>{0, 0} : it->second;
            EXPECT_EQ(std::make_pair(bar.granted, bar.refused), want) << bar.key.toStdString();
            total += bar.granted + bar.refused;
        }
        qint64 want_total = 0;
        for (const auto& [key, bar] : expected) want_total += bar.first + bar.second;
        EXPECT_EQ(total, want_total);
    };
    // The whole log spans four days: per day, one bar each, none missing.
    const auto days = activity(temp.db(), {});
    ASSERT_TRUE(days);
    EXPECT_FALSE(days->hourly);
    ASSERT_EQ(days->bars.size(), 4u);
    EXPECT_EQ(days->bars.front().key, "2026-03-01");
    compare(*days, {}, 10);
    // Two days of one reader: 48 hourly bars, empty hours included.
    const data::log_filter two_days{"2026-03-02", "2026-03-03", 1, "", {}};
    const auto hours = activity(temp.db(), two_days);
    ASSERT_TRUE(hours);
    EXPECT_TRUE(hours->hourly);
    ASSERT_EQ(hours->bars.size(), 48u);
    EXPECT_EQ(hours->bars[25].key, "2026-03-03 01");
    compare(*hours, two_days, 13);
    // Nothing matches: no bars.
    EXPECT_TRUE(activity(temp.db(), {"", "", -1, "nobody", {}})->bars.empty());
}

}  // namespace
}  // namespace zep::records
