// Access-list and log transfers over a simulated serial line paced at 9600 and 19200 baud,
// next to the least time the line allows: the wire time of every byte both ways, the
// pauses the transfers make, and the 5 ms a double-terminator read waits after each record.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <memory>

#include "core/link/reader_link.h"
#include "core/transfer/access_transfer.h"
#include "core/transfer/log_transfer.h"
#include "sim/sim_network.h"
#include "tests/support/scripted_operator.h"

namespace {

using namespace zep;

constexpr int records = 1000;
constexpr int id_length = 8;
constexpr double double_terminator_ms = 5.0;
constexpr double record_length_pause_ms = 500.0;  // after "\" (serial)
constexpr double final_clear_pause_ms = 100.0;    // after the last "cd"

enum class operation { download_ids, upload_ids, upload_log };

QByteArray id_of(int k) {
    return QByteArray::number(10000000 + k);
}

// Bytes as the simulator's trace prints them: "<ACK>", "<CR>" or "<0d>" is one byte.
qint64 wire_bytes(const QString& printed) {
    static const QRegularExpression named(QStringLiteral("<(?:[A-Z]{2,3}|[0-9a-f]{2})>"));
    QString text = printed;
    return text.replace(named, QStringLiteral("x")).size();
}

struct line {
    std::unique_ptr<sim::sim_network> network;
    std::shared_ptr<std::atomic<qint64>> reply_bytes = std::make_shared<std::atomic<qint64>>(0);
};

line start_line(operation op, int baud, bool protocol) {
    sim::reader_config r;
    r.protocol = protocol;
    r.address = protocol ? 1 : 0;
    r.capacity_bytes = 100000;
    r.faults.baud = baud;
    if (op == operation::upload_ids) {
        r.record_length = id_length;
        for (int k = 0; k < records; ++k) r.ids.push_back({id_of(k), k % 100});
    }
    if (op == operation::upload_log) r.log.count = records;
    sim::scenario s;
    sim::line_config pty;
    pty.kind = sim::line_config::pty;
    pty.readers = {r};
    s.lines.push_back(pty);
    line l;
    QString error;
    l.network = sim::sim_network::start(s, &error, [bytes = l.reply_bytes](const QString& trace) {
        const qsizetype arrow = trace.indexOf(QStringLiteral(" -> "));
        if (trace.contains(QStringLiteral(" reader ")) && arrow > 0) {
            *bytes += wire_bytes(trace.mid(arrow + 4));
        }
    });
    return l;
}

void transfer_on_paced_line(benchmark::State& state, operation op, int baud, bool protocol) {
    QTemporaryDir dir;
    line l = start_line(op, baud, protocol);
    if (!l.network) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    link::link_endpoint reader;
    reader.device = l.network->pty_path(0);
    reader.baud = baud;
    reader.protocol = protocol;
    reader.address = protocol ? 1 : 0;

    transfer::download_options down;
    down.file = dir.filePath(QStringLiteral("ids.txt"));
    down.verify = false;
    {
        QFile f(down.file);
        if (!f.open(QIODevice::WriteOnly)) state.SkipWithError("cannot write the file");
        for (int k = 0; k < records; ++k) f.write(id_of(k) + "\r\n");
    }
    const QString upload = dir.filePath(QStringLiteral("upload.txt"));

    double measured_ms = 0, model_ms = 0, paced_ms = 0;
    qint64 host_bytes = 0, reply_bytes = 0;
    for (auto _ : state) {
        link::reader_link link;
        test::scripted_operator person;
        l.network->clear_received(0);
        *l.reply_bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        transfer::transfer_outcome outcome;
        double prescribed_ms = 0;
        switch (op) {
            case operation::download_ids:
                outcome = transfer::download_access_list(link, reader, down, person);
                prescribed_ms = record_length_pause_ms + final_clear_pause_ms;
                break;
            case operation::upload_ids:
                outcome = transfer::upload_access_list(link, reader, {upload}, person);
                prescribed_ms = (records + 1) * double_terminator_ms;
                break;
            case operation::upload_log:
                outcome =
                    transfer::upload_log(link, reader, upload, transfer::line_end::cr_lf, person);
                prescribed_ms = (records + 1) * double_terminator_ms;
                break;
        }
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count() / 1000.0);
        if (!outcome.ok()) state.SkipWithError(outcome.text.toStdString().c_str());
        host_bytes = l.network->received_bytes(0).size();
        reply_bytes = *l.reply_bytes;
        const double ms_per_byte = 10000.0 / baud;
        measured_ms = took.count();
        model_ms = static_cast<double>(host_bytes + reply_bytes) * ms_per_byte + prescribed_ms;
        paced_ms = static_cast<double>(reply_bytes) * ms_per_byte + prescribed_ms;
    }
    state.counters["host_bytes"] = static_cast<double>(host_bytes);
    state.counters["reply_bytes"] = static_cast<double>(reply_bytes);
    state.counters["model_ms"] = model_ms;
    // Against the line both ways (the target), and against what the simulator paces:
    // only its replies, so the host's bytes cost nothing here.
    state.counters["ratio"] = measured_ms / model_ms;
    state.counters["ratio_paced"] = measured_ms / paced_ms;
    // What the program adds to the line's own time, and the ratio that gives on a line
    // that paces both ways.
    state.counters["overhead_ms"] = measured_ms - paced_ms;
    state.counters["ratio_line"] = (model_ms + measured_ms - paced_ms) / model_ms;
}

void register_all() {
    const struct {
        const char* name;
        operation op;
    } ops[] = {{"download_1000_ids", operation::download_ids},
               {"upload_1000_ids", operation::upload_ids},
               {"upload_1000_log", operation::upload_log}};
    for (const int baud : {9600, 19200}) {
        for (const bool protocol : {false, true}) {
            for (const auto& o : ops) {
                const std::string name = std::string(o.name) + (protocol ? "/protocol" : "/plain") +
                                         "/" + std::to_string(baud);
                benchmark::RegisterBenchmark(name.c_str(),
                                             [op = o.op, baud, protocol](benchmark::State& s) {
                                                 transfer_on_paced_line(s, op, baud, protocol);
                                             })
                    ->Iterations(1)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
