// zep-sim: simulated readers for development, tests and demonstrations.

#include <pthread.h>

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "sim/sim_cli.h"
#include "sim/sim_network.h"

namespace {

void print_line(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// Waits for SIGINT or SIGTERM, or until the time is up.
void wait_for_end(const sigset_t& signals, int seconds) {
    if (seconds <= 0) {
        int received = 0;
        sigwait(&signals, &received);
        return;
    }
    timespec limit{seconds, 0};
    while (sigtimedwait(&signals, nullptr, &limit) < 0 && errno == EINTR) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    QCoreApplication app(argc, argv);
    if (app.arguments().mid(1) == QStringList{QStringLiteral("--version")}) {
        print_line(stdout, QStringLiteral("zep-sim " ZEP_VERSION));
        return 0;
    }
    QString error;
    const auto request = zep::sim::parse_cli(app.arguments().mid(1), &error);
    if (!request) {
        print_line(stderr, QStringLiteral("zep-sim: ") + error);
        return 2;
    }
    if (request->help) {
        print_line(stdout, zep::sim::cli_help());
        return 0;
    }
    zep::sim::trace_fn trace;
    if (request->trace) trace = [](const QString& text) { print_line(stderr, text); };
    auto net = zep::sim::sim_network::start(request->lines, &error, trace);
    if (!net) {
        print_line(stderr, QStringLiteral("zep-sim: ") + error);
        return 1;
    }
    for (const QString& line : zep::sim::endpoint_lines(*net)) print_line(stdout, line);
    print_line(stdout, QStringLiteral("ready"));
    wait_for_end(signals, request->exit_after_s);
    net->stop();
    return 0;
}
