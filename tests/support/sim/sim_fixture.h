#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/link/link_endpoint.h"
#include "sim/sim_network.h"
#include "tests/sim/wire_bytes.h"
#include "tests/support/scripted_operator.h"

namespace zep::test {

// The link to a simulated line on 127.0.0.1 or a pty; protocol mode when `address` is given.
link::link_endpoint tcp_link(quint16 port, int address = -1);
link::link_endpoint pty_link(const QString& device, int address = -1);

// The four ways one reader is reached; test names follow `line_form_name`.
enum class line_form { serial_plain, serial_protocol, tcp_plain, tcp_protocol };
inline constexpr line_form all_line_forms[] = {line_form::serial_plain, line_form::serial_protocol,
                                               line_form::tcp_plain, line_form::tcp_protocol};
std::string line_form_name(const testing::TestParamInfo<line_form>& info);

// Milliseconds `work` takes.
qint64 elapsed_ms(const std::function<void()>& work);

// Simulated readers in this process for integration tests: each start_* call serves
// one line (loopback TCP or a pty) from its own simulator thread. Lines are numbered
// in the order they were started. Everything stops when the fixture goes.
class sim_fixture {
  public:
    sim_fixture() = default;
    ~sim_fixture() { stop(); }
    sim_fixture(const sim_fixture&) = delete;
    sim_fixture& operator=(const sim_fixture&) = delete;

    static sim::reader_config zep_reader(int address = 0, bool protocol = false) {
        return sim::testing::config(address, protocol);
    }
    static sim::reader_config ko_reader(int address = 0, bool protocol = false) {
        return sim::testing::config(address, protocol, sim::reader_family::ko);
    }

    // Returns the port on 127.0.0.1. A failure to start fails the test and throws.
    quint16 start_tcp(std::vector<sim::reader_config> readers) {
        return start(sim::line_config::tcp, std::move(readers)).tcp_port(0);
    }
    // Returns the slave path (/dev/pts/N) to open as a serial port.
    QString start_pty(std::vector<sim::reader_config> readers) {
        return start(sim::line_config::pty, std::move(readers)).pty_path(0);
    }
    // A new line in `form` whose first reader is `r`; in the protocol forms `r` is at address 5
    // and `neighbours` follow it on the line. The endpoint that reaches `r`.
    link::link_endpoint start_line(line_form form, sim::reader_config r,
                                   std::vector<sim::reader_config> neighbours = {});

    template <class F>
    decltype(auto) with_reader(int line, int reader, F&& fn) {
        return network(line).with_reader(0, reader, std::forward<F>(fn));  // one line each
    }

    // Copies of what a reader holds, for assertions.
    std::vector<sim::access_entry> access_list(int line, int reader) {
        return with_reader(line, reader, [](sim::reader& r) { return r.ids.entries(); });
    }
    std::vector<QByteArray> history(int line, int reader) {
        return with_reader(line, reader, [](sim::reader& r) {
            return std::vector<QByteArray>(r.history.begin(), r.history.end());
        });
    }

    // What the host sent on the line, byte for byte (every connection run together).
    QByteArray received(int line) { return network(line).received_bytes(0); }
    // The same, once it equals `expected` (bytes still on their way arrive) or 5 s passed.
    QByteArray received_settled(int line, const QByteArray& expected) {
        wait_until([&] { return received(line) == expected; });
        return received(line);
    }

    sim::sim_network& network(int line) { return *networks_.at(static_cast<std::size_t>(line)); }
    void stop() {
        for (auto& net : networks_) net->stop();
    }

    // Checks condition until it holds or the time is up; true when it held.
    static bool wait_until(const std::function<bool()>& condition,
                           std::chrono::milliseconds limit = std::chrono::seconds(5));

  private:
    sim::sim_network& start(sim::line_config::transport kind,
                            std::vector<sim::reader_config> readers);

    std::vector<std::unique_ptr<sim::sim_network>> networks_;
};

// What a test against simulated readers holds: the lines, the host's link, the operator.
struct sim_session {
    sim_fixture sim;
    link::reader_link link;
    scripted_operator person;
};

}  // namespace zep::test
