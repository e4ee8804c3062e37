// The automatic run over 127 simulated TCP readers, each with 1,000 users to download,
// 100 log records and 5 schedules, all four steps: the run's time next to a lower bound
// (the run's prescribed pauses plus its exchanges at the loopback exchange rate measured
// here, as the link benchmark measures it), and the time with 16 readers at once.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "core/autorun/autorun_run.h"
#include "core/data/readers_table.h"
#include "core/data/schedules_table.h"
#include "core/data/users_table.h"
#include "core/link/reader_exchange.h"
#include "core/operator.h"
#include "sim/sim_network.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"
#include "tests/support/sim/sim_fixture.h"

namespace {

using namespace zep;

constexpr int readers = 127;
constexpr int users = 1000;
constexpr int log_records = 100;
constexpr int schedules = 5;
// Per reader: "lr", "l" per record and the "END", "cl"; the record length and one "AN" per
// user; seven "SA" per schedule; the clock.
constexpr int exchanges_per_reader = 1 + (log_records + 1) + 1 + 1 + users + 7 * schedules + 1;
constexpr double pauses_per_reader_s = 0.020 + 0.100 + 0.100;

void refill_logs(sim::sim_network& net) {
    for (int line = 0; line < readers; ++line) {
        net.with_reader(line, 0, [](sim::reader& r) {
            r.log.clear();
            sim::log_seed seed;
            seed.count = log_records;
            seed.cards = {"1001", "1002", "1003"};
            sim::seed_log(r.log, seed);
            r.history.clear();
        });
    }
}

double exchange_seconds(quint16 port) {
    link::reader_link link;
    link::reader_exchange exchange(link, test::tcp_link(port));
    if (!exchange.open()) return 0;
    constexpr int rounds = 5000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        if (exchange.command("V", 2000).error) return 0;
    }
    return timer.nsecsElapsed() / 1e9 / rounds;
}

double timed_run(data::database_file& db, int parallel, int* errors) {
    autorun::autorun_request request;
    request.parallel = parallel;
    // ZEP_BENCH_STEPS ("10000": access lists only, say) times one step at a time.
    if (qEnvironmentVariableIsSet("ZEP_BENCH_STEPS"))
        request.settings.autosettings = qEnvironmentVariable("ZEP_BENCH_STEPS");
    quiet_operator person;
    QElapsedTimer timer;
    timer.start();
    const autorun::autorun_result result = autorun::run_autorun(db, request, person);
    *errors = result.reader_errors + (result.end == autorun::autorun_end::finished ? 0 : 1000);
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    sim::scenario s;
    for (int i = 0; i < readers; ++i) {
        sim::line_config line;
        line.readers.push_back(test::sim_fixture::zep_reader());
        line.readers.back().capacity_bytes = 1'000'000;
        s.lines.push_back(line);
    }
    QString error;
    auto net = sim::sim_network::start(s, &error);
    if (!net) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return 1;
    }
    test::temp_database db;
    std::vector<data::reader_row> rows;
    for (int i = 0; i < readers; ++i) rows.push_back(test::tcp_reader_row(i, net->tcp_port(i)));
    std::vector<data::user_row> people;
    for (int i = 0; i < users; ++i)
        people.push_back({QString::number(100000 + i), QStringLiteral("Last"),
                          QStringLiteral("First"), QString(254, u'1')});
    std::vector<data::schedule_row> weeks;
    for (int i = 1; i <= schedules; ++i) {
        data::schedule_row w;
        w.schedulenum = static_cast<qint16>(i);
        weeks.push_back(w);
    }
    if (!data::readers_table(db.db()).insert_all(rows) ||
        !data::users_table(db.db()).insert_all(people) ||
        !data::schedules_table(db.db()).insert_all(weeks)) {
        std::fprintf(stderr, "cannot fill the database\n");
        return 1;
    }

    const double per_exchange = exchange_seconds(net->tcp_port(0));
    const double bound = readers * (pauses_per_reader_s + exchanges_per_reader * per_exchange);
    int errors = 0;
    refill_logs(*net);
    const double sequential = timed_run(db.db(), 1, &errors);
    int parallel_errors = 0;
    refill_logs(*net);
    const double parallel = timed_run(db.db(), 16, &parallel_errors);

    std::printf("readers %d, exchanges per reader %d, loopback exchange %.1f us\n", readers,
                exchanges_per_reader, per_exchange * 1e6);
    std::printf("| measure | seconds | vs lower bound |\n|---|---|---|\n");
    std::printf("| lower bound (pauses %.1f s + exchanges %.1f s) | %.1f | 1.00x |\n",
                readers * pauses_per_reader_s, readers * exchanges_per_reader * per_exchange,
                bound);
    std::printf("| run, one reader at a time | %.1f | %.2fx |\n", sequential, sequential / bound);
    std::printf("| run, --parallel 16 | %.1f | %.2fx |\n", parallel, parallel / bound);
    std::printf("reader errors: %d sequential, %d parallel\n", errors, parallel_errors);
    return errors == 0 && parallel_errors == 0 ? 0 : 1;
}
