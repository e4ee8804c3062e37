// Benchmarks of the records subsystem on a generated database of a year's log
// (1,000,000 rows) and 100,000 users. The database is $ZEP_BENCH_DB, a file or a
// postgresql:// URI, filled on the first run when its log is empty (default
// /tmp/zep_bench_records.db).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>

#include "bench/records/records_generator.h"
#include "core/data/database_file.h"
#include "core/data/users_table.h"
#include "core/operator.h"
#include "core/records/log_archive.h"
#include "core/records/log_delete.h"
#include "core/records/log_export.h"
#include "core/records/users_csv.h"
#include "core/records/users_register.h"

namespace {

using namespace zep;

class file_operator final : public zep::quiet_operator {
  public:
    explicit file_operator(QString file = {}) : file_(std::move(file)) {}
    void message(const QString& text) override { last_message = text; }
    bool confirm(const QString&) override { return true; }
    std::optional<QString> choose_save_file(const QString&, const QString&) override {
        return file_;
    }
    QString last_message;

  private:
    QString file_;
};

QString bench_db() {
    const QByteArray env = qgetenv("ZEP_BENCH_DB");
    return env.isEmpty() ? QStringLiteral("/tmp/zep_bench_records.db")
                         : QString::fromLocal8Bit(env);
}

bool db_is_server() {
    return bench_db().startsWith(QLatin1String("postgres"));
}

std::unique_ptr<data::database_file> open_db(const QString& path) {
    static int next = 0;
    auto opened = data::database_file::open(path, QStringLiteral("bench_%1").arg(next++));
    if (!opened) qFatal("%s", qPrintable(opened.error()));
    return std::move(opened.value());
}

void report_memory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The archive screen opening: connect, count, first 100 rows in the chosen order. The
// label names the column sorted on (Name is the one that needs its own index).
void archive_first_page(benchmark::State& state) {
    state.SetLabel(records::archive_column_headers[static_cast<size_t>(state.range(0))]);
    for (auto _ : state) {
        auto db = open_db(bench_db());
        records::log_archive archive(*db);
        archive.sort_by(static_cast<int>(state.range(0)));
        archive.refresh();
        auto rows = archive.fetch(0, 100);
        benchmark::DoNotOptimize(rows);
        if (rows.size() != 100) state.SkipWithError("short first page");
    }
    report_memory(state);
}
BENCHMARK(archive_first_page)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(5);

// Scrolling through the whole log a page at a time.
void archive_scroll_all(benchmark::State& state) {
    auto db = open_db(bench_db());
    for (auto _ : state) {
        records::log_archive archive(*db);
        const qint64 count = archive.refresh();
        qint64 seen = 0;
        while (seen < count) seen += static_cast<qint64>(archive.fetch(seen, 256).size());
        benchmark::DoNotOptimize(seen);
    }
    report_memory(state);
}
BENCHMARK(archive_scroll_all)->Unit(benchmark::kMillisecond)->Iterations(1);

void log_export_all_fixed(benchmark::State& state) {
    auto db = open_db(bench_db());
    const QString out = QStringLiteral("/tmp/zep_bench_export.txt");
    for (auto _ : state) {
        file_operator person(out);
        records::export_log(*db, person, {"01-01-2005", "12-31-2005", "", "", true});
        if (person.last_message != QLatin1String(records::export_complete_text))
            state.SkipWithError("export");
    }
    state.counters["bytes"] = static_cast<double>(QFile(out).size());
    report_memory(state);
}
BENCHMARK(log_export_all_fixed)->Unit(benchmark::kMillisecond)->Iterations(3);

// Deleting June from a copy of the year's log.
void delete_one_month(benchmark::State& state) {
    const QString copy = bench_db() + QStringLiteral(".copy");
    if (db_is_server()) state.SkipWithError("a file copy: SQLite only");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(bench_db(), copy);
        auto db = open_db(copy);
        file_operator person;
        state.ResumeTiming();
        qint64 deleted = 0;
        records::delete_log_dates(*db, person, "06-01-2005", "06-30-2005", &deleted);
        state.PauseTiming();
        state.counters["deleted"] = static_cast<double>(deleted);
        db.reset();
        state.ResumeTiming();
    }
    QFile::remove(copy);
    report_memory(state);
}
BENCHMARK(delete_one_month)->Unit(benchmark::kMillisecond)->Iterations(3);

// The users screen opening: the list sorted on Last Name, the first user's assignments.
void users_screen_load(benchmark::State& state) {
    for (auto _ : state) {
        auto db = open_db(bench_db());
        auto users = records::load_user_list(*db);
        records::sort_user_list(users, 0);
        const auto first = data::users_table(*db).find(users.front().userid);
        if (!first || !*first) {
            state.SkipWithError("first user");
            break;
        }
        auto assignments = records::assignment_list(*db, (*first)->schedules);
        benchmark::DoNotOptimize(assignments);
        state.counters["users"] = static_cast<double>(users.size());
    }
    report_memory(state);
}
BENCHMARK(users_screen_load)->Unit(benchmark::kMillisecond)->Iterations(5);

// Card holders to CSV and back: the export of every user, then the import of that file
// into an empty users table (100,000 added) and into the full one (all unchanged).
QString users_csv() {
    return QStringLiteral("/tmp/zep_bench_users.csv");
}

void users_csv_export(benchmark::State& state) {
    auto db = open_db(bench_db());
    for (auto _ : state) {
        const auto written = records::export_users_csv(*db, users_csv());
        if (!written) state.SkipWithError(qPrintable(written.error()));
        state.counters["users"] = static_cast<double>(written.value_or(0));
    }
    report_memory(state);
}
BENCHMARK(users_csv_export)->Unit(benchmark::kMillisecond)->Iterations(3);

void users_csv_import(benchmark::State& state) {
    const bool into_empty = state.range(0) == 1;
    state.SetLabel(into_empty ? "all added" : "all unchanged");
    auto db = open_db(bench_db());
    for (auto _ : state) {
        if (into_empty) {
            state.PauseTiming();
            QSqlQuery(db->connection()).exec(QStringLiteral("DELETE FROM users"));
            state.ResumeTiming();
        }
        const auto plan = records::plan_users_import(*db, users_csv(), false);
        if (!plan || !plan->ok() || !records::apply_users_import(*db, *plan)) {
            state.SkipWithError("import");
            break;
        }
        state.counters["added"] = static_cast<double>(plan->added.size());
        state.counters["unchanged"] = static_cast<double>(plan->unchanged);
    }
    report_memory(state);
}
BENCHMARK(users_csv_import)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

// The archive filtered: count and first 100 rows by Date/Time. The date filters use the
// date index; "match only" has none to use and reads the whole log.
data::log_filter bench_filter(int which) {
    using outcome = data::log_filter::outcome;
    switch (which) {
        case 0:
            return {"2005-06-01", "2005-06-07", -1, {}, outcome::all};
        case 1:
            return {"2005-06-01", "2005-06-30", 3, {}, outcome::refused};
        case 2:
            return {"2005-06-01", "2005-06-30", -1, QStringLiteral("smi"), outcome::all};
        case 3:
            return {"2005-06-01 08:00:00", "2005-06-01 08:59:59", -1, {}, outcome::all};
        default:
            return {{}, {}, -1, QStringLiteral("garcia"), outcome::refused};
    }
}

void archive_filtered_first_page(benchmark::State& state) {
    const char* labels[] = {"one week", "one month, reader 3, refused", "one month, \"smi\"",
                            "one hour", "match only, whole log"};
    state.SetLabel(labels[state.range(0)]);
    for (auto _ : state) {
        auto db = open_db(bench_db());
        records::log_archive archive(*db);
        archive.set_filter(bench_filter(static_cast<int>(state.range(0))));
        auto rows = archive.fetch(0, 100);
        benchmark::DoNotOptimize(rows);
        state.counters["matching"] = static_cast<double>(archive.row_count());
    }
    report_memory(state);
}
BENCHMARK(archive_filtered_first_page)
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The activity chart: the whole year per day, and one day per hour.
void activity_chart(benchmark::State& state) {
    const bool year = state.range(0) == 0;
    state.SetLabel(year ? "a year, per day" : "a day, per hour");
    auto db = open_db(bench_db());
    const data::log_filter filter =
        year ? data::log_filter{} : data::log_filter{"2005-06-01", "2005-06-01", -1, {}, {}};
    for (auto _ : state) {
        const auto chart = records::activity(*db, filter);
        if (!chart) state.SkipWithError(qPrintable(chart.error()));
        state.counters["bars"] = static_cast<double>(chart ? chart->bars.size() : 0);
    }
    report_memory(state);
}
BENCHMARK(activity_chart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The file, or a server database (a postgresql:// URI), is filled on first use.
void ensure_database() {
    auto db = open_db(bench_db());
    if (data::log_query(*db).count().value_or(0) > 0) return;
    std::fprintf(stderr, "generating %s ...\n", qPrintable(bench_db()));
    if (const status made = bench::generate_records(*db, 1000000, 100000); !made) {
        qFatal("%s", qPrintable(made.error()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ensure_database();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
