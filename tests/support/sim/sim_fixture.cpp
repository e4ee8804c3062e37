#include "tests/support/sim/sim_fixture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <stdexcept>
#include <thread>

namespace zep::test {

link::link_endpoint tcp_link(quint16 port, int address) {
    link::link_endpoint e;
    e.link = link::link_endpoint::kind::tcp;
    e.host = QStringLiteral("127.0.0.1");
    e.port_text = QString::number(port);
    e.connect_ms = link::reader_link::reader_connect_ms;
    e.protocol = address >= 0;
    e.address = std::max(address, 0);
    return e;
}

link::link_endpoint pty_link(const QString& device, int address) {
    link::link_endpoint e;
    e.device = device;
    e.baud = 9600;
    e.protocol = address >= 0;
    e.address = std::max(address, 0);
    return e;
}

std::string line_form_name(const testing::TestParamInfo<line_form>& info) {
    static const char* const names[] = {"serial_plain", "serial_protocol", "tcp_plain",
                                        "tcp_protocol"};
    return names[static_cast<int>(info.param)];
}

qint64 elapsed_ms(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.elapsed();
}

link::link_endpoint sim_fixture::start_line(line_form form, sim::reader_config r,
                                            std::vector<sim::reader_config> neighbours) {
    r.protocol = form == line_form::serial_protocol || form == line_form::tcp_protocol;
    r.address = r.protocol ? 5 : 0;
    std::vector<sim::reader_config> line{r};
    if (r.protocol) line.insert(line.end(), neighbours.begin(), neighbours.end());
    const int address = r.protocol ? 5 : -1;
    if (form == line_form::tcp_plain || form == line_form::tcp_protocol)
        return tcp_link(start_tcp(std::move(line)), address);
    return pty_link(start_pty(std::move(line)), address);
}

sim::sim_network& sim_fixture::start(sim::line_config::transport kind,
                                     std::vector<sim::reader_config> readers) {
    sim::scenario s;
    s.lines.push_back({kind, 0, std::move(readers)});
    QString error;
    auto net = sim::sim_network::start(s, &error);
    if (!net) {
        ADD_FAILURE() << "simulator did not start: " << error.toStdString();
        throw std::runtime_error("simulator did not start");
    }
    networks_.push_back(std::move(net));
    return *networks_.back();
}

bool sim_fixture::wait_until(const std::function<bool()>& condition,
                             std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace zep::test
