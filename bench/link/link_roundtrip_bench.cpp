// Exchanges per second through the reader link against the in-process simulator, next
// to a raw socket ping-pong with the same simulator, and the CPU a time-out wait costs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTcpSocket>

#include "core/link/reader_exchange.h"
#include "tests/support/sim/sim_fixture.h"

namespace {

using zep::test::sim_fixture;

sim_fixture& simulator() {
    static sim_fixture sim;
    return sim;
}

quint16 tcp_port() {
    static const quint16 port = simulator().start_tcp({sim_fixture::zep_reader(0, false)});
    return port;
}

QString pty_line() {
    static const QString path = simulator().start_pty({sim_fixture::zep_reader(0, false)});
    return path;
}

quint16 silent_port() {
    static const quint16 port = [] {
        auto r = sim_fixture::zep_reader(0, false);
        r.faults.silent = true;
        return simulator().start_tcp({r});
    }();
    return port;
}

zep::link::link_endpoint endpoint_tcp(quint16 port) {
    zep::link::link_endpoint e;
    e.link = zep::link::link_endpoint::kind::tcp;
    e.host = "127.0.0.1";
    e.port_text = QString::number(port);
    return e;
}

void link_exchange(benchmark::State& state, const zep::link::link_endpoint& endpoint) {
    zep::link::reader_link link;
    zep::link::reader_exchange exchange(link, endpoint);
    if (!exchange.open()) {
        state.SkipWithError("cannot open the link");
        return;
    }
    for (auto _ : state) {
        const auto reply = exchange.command("V", 2000);
        if (reply.error) state.SkipWithError("no reply");
        benchmark::DoNotOptimize(reply.text.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_link_tcp(benchmark::State& state) {
    link_exchange(state, endpoint_tcp(tcp_port()));
}

void BM_link_pty(benchmark::State& state) {
    zep::link::link_endpoint e;
    e.device = pty_line();
    link_exchange(state, e);
}

// The smallest client that does the same: write "V" CR, read up to CR.
void BM_raw_tcp(benchmark::State& state) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", tcp_port());
    if (!socket.waitForConnected(2000)) {
        state.SkipWithError("cannot connect");
        return;
    }
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    for (auto _ : state) {
        socket.write("V\r");
        socket.waitForBytesWritten(2000);
        QByteArray got;
        while (!got.endsWith('\r') && socket.waitForReadyRead(2000)) got += socket.readAll();
        benchmark::DoNotOptimize(got.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_raw_pty(benchmark::State& state) {
    const int fd = ::open(pty_line().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        state.SkipWithError("cannot open the pty");
        return;
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    char buffer[256];
    for (auto _ : state) {
        if (::write(fd, "V\r", 2) != 2) state.SkipWithError("write failed");
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0 || buffer[n - 1] == '\r') break;
        }
    }
    ::close(fd);
    state.SetItemsProcessed(state.iterations());
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A reader that never answers: the 2 s wait must sleep, not spin.
void BM_timeout_wait_cpu(benchmark::State& state) {
    zep::link::reader_link link;
    zep::link::reader_exchange exchange(link, endpoint_tcp(silent_port()));
    if (!exchange.open()) {
        state.SkipWithError("cannot open the link");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double before = cpu_seconds();
        const auto reply = exchange.command("V", 2000);
        cpu += cpu_seconds() - before;
        if (!reply.error) state.SkipWithError("a silent reader answered");
    }
    state.counters["cpu_ms_per_wait"] = cpu * 1000.0 / static_cast<double>(state.iterations());
}

BENCHMARK(BM_link_tcp)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_raw_tcp)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_link_pty)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_raw_pty)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_timeout_wait_cpu)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    simulator().stop();
    return 0;
}
