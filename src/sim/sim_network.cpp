#include "sim/sim_network.h"

#include <QCoreApplication>
#include <QThread>
#include <stdexcept>

#include "sim/transports.h"

namespace zep::sim {

namespace {

// Sockets and notifiers deliver their events only when an application object exists.
// Test programs built on gtest_main have none, so the first network makes one.
void ensure_core_application() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "zep-sim";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

}  // namespace

std::unique_ptr<sim_network> sim_network::start(const scenario& s, QString* error, trace_fn trace) {
    std::unique_ptr<sim_network> net(new sim_network());
    net->received_.resize(s.lines.size());
    net->timelines_.resize(s.lines.size());
    net->clock_.start();
    for (const line_config& line : s.lines) {
        std::vector<reader>& readers = net->readers_.emplace_back();
        for (const reader_config& config : line.readers) readers.emplace_back(config);
    }
    ensure_core_application();
    net->thread_ = std::make_unique<QThread>();
    net->thread_->setObjectName(QStringLiteral("zep-sim"));
    net->host_ = new QObject();
    net->host_->moveToThread(net->thread_.get());
    QObject::connect(net->thread_.get(), &QThread::finished, net->host_, &QObject::deleteLater);
    net->thread_->start();

    bool ok = false;
    QMetaObject::invokeMethod(
        net->host_, [&] { ok = net->open_lines(s, trace, error); }, Qt::BlockingQueuedConnection);
    if (!ok) return nullptr;  // the destructor stops the thread
    return net;
}

// Runs in the simulator thread: transports must be made where they are used.
bool sim_network::open_lines(const scenario& s, const trace_fn& trace, QString* error) {
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        line_context context{.mutex = &mutex_,
                             .readers = &readers_[i],
                             .index = static_cast<int>(i),
                             .trace = trace,
                             .received = &received_[i],
                             .timeline = &timelines_[i],
                             .clock = &clock_};
        endpoint e;
        e.kind = s.lines[i].kind;
        if (e.kind == line_config::tcp) {
            auto* line = new tcp_line(std::move(context), host_);
            if (!line->listen(s.lines[i].port, error)) return false;
            e.port = line->port();
        } else {
            auto* line = new pty_line(std::move(context), host_);
            if (!line->open(error)) return false;
            e.path = line->path();
        }
        endpoints_.push_back(e);
    }
    return true;
}

sim_network::~sim_network() {
    stop();
}

void sim_network::stop() {
    if (!thread_) return;
    thread_->quit();
    thread_->wait();  // the host and its transports are deleted as the thread finishes
    thread_.reset();
    host_ = nullptr;
}

std::vector<QByteArray> sim_network::received(int line) {
    std::lock_guard lock(mutex_);
    return received_.at(static_cast<std::size_t>(line));
}

QByteArray sim_network::received_bytes(int line) {
    QByteArray all;
    for (const QByteArray& connection : received(line)) all += connection;
    return all;
}

void sim_network::clear_received(int line) {
    std::lock_guard lock(mutex_);
    for (QByteArray& connection : received_.at(static_cast<std::size_t>(line))) connection.clear();
    timelines_.at(static_cast<std::size_t>(line)).clear();
}

std::vector<heard> sim_network::timeline(int line) {
    std::lock_guard lock(mutex_);
    return timelines_.at(static_cast<std::size_t>(line));
}

int sim_network::reader_count(int line) const {
    return static_cast<int>(readers_.at(static_cast<std::size_t>(line)).size());
}

quint16 sim_network::tcp_port(int line) const {
    return endpoints_.at(static_cast<std::size_t>(line)).port;
}

QString sim_network::pty_path(int line) const {
    return endpoints_.at(static_cast<std::size_t>(line)).path;
}

reader& sim_network::reader_at(int line, int index) {
    return readers_.at(static_cast<std::size_t>(line)).at(static_cast<std::size_t>(index));
}

}  // namespace zep::sim
