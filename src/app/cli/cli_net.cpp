#include <termios.h>
#include <unistd.h>

#include <QEventLoop>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>

#include "app/cli/cli.h"
#include "app/cli/cli_link_options.h"
#include "app/cli/cli_terminal.h"
#include "core/link/reader_link.h"
#include "core/link/wire.h"
#include "core/nettools/network_manager.h"
#include "core/nettools/terminal_grid.h"
#include "core/nettools/terminal_link.h"
#include "core/operator.h"
#include "core/program/login.h"
#include "core/program/startup.h"

namespace zep::cli {

namespace {

// The command line as the network manager's operator: answers print as they come, the
// warning is asked (or answered by --yes), Ctrl-C stops a poll.
class net_operator final : public quiet_operator {
  public:
    explicit net_operator(cli_context& context) : context_(context) {}

    void message(const QString& text) override { messages << text; }
    bool confirm(const QString& question) override { return agreed(context_, question); }
    void status_line(const QString& text) override {
        context_.io.out << text << "\n";
        context_.io.out.flush();
    }
    void progress(const QString& text) override { progress_.text(text); }
    bool cancelled() override { return interrupt_guard::interrupted(); }

    // The messages kept so far, on stderr.
    void tell_failures() {
        progress_.clear();
        for (const QString& text : std::as_const(messages)) context_.io.err << text << "\n";
        messages.clear();
    }

    QStringList messages;

  private:
    cli_context& context_;
    progress_line progress_;
};

constexpr auto net_waits_text = "the network manager keeps its own waits";
constexpr auto terminal_waits_text = "the terminal awaits no reply";

// The link of the call. These commands wait as their screens do, so --timeout has no place.
std::optional<link::link_endpoint> endpoint_of(cli_context& context,
                                               const char* waits = net_waits_text) {
    if (context.args.has(QStringLiteral("timeout"))) {
        usage_error(context, QStringLiteral("--timeout does not apply: ") + QLatin1String(waits));
        return std::nullopt;
    }
    QString error;
    const auto link = choose_link(context.state, context.args, &error);
    if (!link) {
        usage_error(context, error);
        return std::nullopt;
    }
    return link->endpoint;
}

// "A-B" within the reader addresses 0..126.
std::optional<nettools::address_range> range_of(const QString& text) {
    static const QRegularExpression form(QStringLiteral("\\A(\\d{1,3})-(\\d{1,3})\\z"));
    const auto m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const nettools::address_range range{m.captured(1).toInt(), m.captured(2).toInt()};
    if (range.first > range.last || range.last > 126) return std::nullopt;
    return range;
}

}  // namespace

int run_net_poll(cli_context& context) {
    nettools::address_range range;
    if (context.args.has(QStringLiteral("range"))) {
        const auto chosen = range_of(context.args.value(QStringLiteral("range")));
        if (!chosen) return usage_error(context, QStringLiteral("--range wants A-B within 0-126"));
        range = *chosen;
    }
    const auto endpoint = endpoint_of(context);
    if (!endpoint) return exit_usage;
    link::reader_link link;
    const interrupt_guard interrupt;
    net_operator person(context);
    const nettools::poll_all_result result =
        nettools::poll_all_addresses(link, *endpoint, person, range);
    person.tell_failures();
    switch (result.end) {
        case nettools::poll_end::done:
            context.io.out << result.summary << "\n";
            return exit_ok;
        case nettools::poll_end::stopped:
            return exit_interrupted;
        case nettools::poll_end::failed:
            break;
    }
    return exit_failed;
}

int run_net_watch(cli_context& context) {
    std::optional<int> passes;
    if (context.args.has(QStringLiteral("count"))) {
        bool ok = false;
        passes = context.args.value(QStringLiteral("count")).toInt(&ok);
        if (!ok || *passes < 1) return usage_error(context, QStringLiteral("--count wants N >= 1"));
    }
    const auto endpoint = endpoint_of(context);
    if (!endpoint) return exit_usage;
    link::reader_link link;
    const interrupt_guard interrupt;
    net_operator person(context);
    const nettools::poll_end end = nettools::poll_single_reader(link, *endpoint, person, passes);
    person.tell_failures();
    if (end == nettools::poll_end::stopped) return exit_interrupted;
    return end == nettools::poll_end::done ? exit_ok : exit_failed;
}

int run_net_address(cli_context& context) {
    const auto endpoint = endpoint_of(context);
    if (!endpoint) return exit_usage;
    link::reader_link link;
    net_operator person(context);
    const status changed = nettools::change_address(link, *endpoint, context.args.positional[0],
                                                    context.args.positional[1], person);
    if (!changed) {
        person.tell_failures();
        return exit_failed;
    }
    for (const QString& text : std::as_const(person.messages)) context.io.out << text << "\n";
    return exit_ok;
}

int run_net_protocol(cli_context& context) {
    const QString choice = context.args.positional[0];
    if (choice != QLatin1String("on") && choice != QLatin1String("off")) {
        return usage_error(context, QStringLiteral("say on or off"));
    }
    const auto endpoint = endpoint_of(context);
    if (!endpoint) return exit_usage;
    link::reader_link link;
    net_operator person(context);
    const status sent =
        nettools::set_protocol(link, *endpoint, choice == QLatin1String("on"), person);
    person.tell_failures();
    return sent ? exit_ok : exit_failed;
}

// ---- terminal -------------------------------------------------------------------------

namespace {

// What the reader sends, for a person: 32..125 as they are, anything else as <0D>.
QString shown(const QByteArray& bytes, bool raw_terminal) {
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (nettools::drawn_as_character(byte)) {
            text += QLatin1Char(c);
            continue;
        }
        text += QLatin1Char('<') + nettools::hex_pair(byte) + QLatin1Char('>');
        // A raw terminal does not start a new line by itself.
        if (raw_terminal && byte == link::wire::CR) text += QStringLiteral("\r\n");
    }
    return text;
}

// The login of the terminal: stdin's bytes belong to the reader, so without a terminal
// the password comes only from $ZEP_PASSWORD.
bool terminal_login(cli_context& context, bool tty) {
    if (!program::login_required(context.state)) return true;
    std::optional<QString> answer;
    if (tty) {
        if (context.io.read_password) answer = context.io.read_password();
    } else if (const QByteArray env = qgetenv("ZEP_PASSWORD"); !env.isNull()) {
        answer = QString::fromLocal8Bit(env);
    }
    if (answer && program::check_login(context.state, *answer)) return true;
    context.io.err << program::invalid_password_text << "\n";
    return false;
}

// Waits for the link to say whether it is up; false (the status told) when it is not.
bool link_up(nettools::terminal_link& link, const link::link_endpoint& endpoint, QTextStream& err) {
    QEventLoop loop;
    const auto settled = [&link] {
        const QString& s = link.status_text();
        return !s.isEmpty() && s != QLatin1String(nettools::attempting_connection_text);
    };
    QObject::connect(&link, &nettools::terminal_link::status_changed, &loop, [&] {
        if (settled()) loop.quit();
    });
    link.open(endpoint);
    if (!settled()) loop.exec();
    err << link.status_text() << "\n";
    err.flush();
    return link.status_text() == QLatin1String(nettools::comm_port_open_text) ||
           link.status_text() == QLatin1String(nettools::tcp_connected_text);
}

QByteArray read_all_stdin() {
    QByteArray all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            all.append(buffer, static_cast<qsizetype>(n));
        } else if (n == 0 || errno != EINTR) {
            return all;
        }
    }
}

constexpr char end_key = 0x1d;  // Ctrl-]

// F9 and F10 as terminals send them stand for the address byte and a NUL.
QByteArray typed_bytes(QByteArray chunk, int address) {
    chunk.replace("\x1b[20~",
                  QByteArray(1, static_cast<char>(link::wire::address_byte_offset + address)));
    chunk.replace("\x1b[21~", QByteArray(1, link::wire::NUL));
    return chunk;
}

int interactive_terminal(cli_context& context, nettools::terminal_link& link, int address) {
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios raw = saved;
    cfmakeraw(&raw);
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    context.io.err << "(Ctrl-] ends)\r\n";
    context.io.err.flush();
    QEventLoop loop;
    QObject::connect(&link, &nettools::terminal_link::received, &loop, [&](const QByteArray& b) {
        context.io.out << shown(b, true);
        context.io.out.flush();
    });
    QSocketNotifier keys(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&keys, &QSocketNotifier::activated, &loop, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            loop.quit();
            return;
        }
        const QByteArray typed = QByteArray(buffer, static_cast<qsizetype>(n));
        const qsizetype end = typed.indexOf(end_key);
        for (const char c : typed_bytes(end < 0 ? typed : typed.left(end), address)) {
            link.send(static_cast<unsigned char>(c));
        }
        if (end >= 0) loop.quit();
    });
    loop.exec();
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    context.io.err << "\n";
    return exit_ok;
}

int piped_terminal(cli_context& context, nettools::terminal_link& link, const QByteArray& input,
                   int quiet_ms) {
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(quiet_ms);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&link, &nettools::terminal_link::received, &loop, [&](const QByteArray& b) {
        context.io.out << shown(b, false);
        context.io.out.flush();
        quiet.start();
    });
    for (const char c : input) link.send(static_cast<unsigned char>(c));
    quiet.start();
    loop.exec();
    context.io.out << "\n";
    return exit_ok;
}

}  // namespace

int run_terminal(cli_context& context) {
    int quiet_ms = 1000;
    if (context.args.has(QStringLiteral("quiet-ms"))) {
        bool ok = false;
        quiet_ms = context.args.value(QStringLiteral("quiet-ms")).toInt(&ok);
        if (!ok || quiet_ms < 1) return usage_error(context, QStringLiteral("--quiet-ms wants MS"));
    }
    const auto endpoint = endpoint_of(context, terminal_waits_text);
    if (!endpoint) return exit_usage;
    const bool tty = isatty(STDIN_FILENO) != 0;
    if (!terminal_login(context, tty)) return exit_failed;
    // Piped lines end in LF; the reader takes the Enter key's CR.
    QByteArray input = tty ? QByteArray() : read_all_stdin();
    input.replace("\r\n", "\r").replace('\n', '\r');
    nettools::terminal_link link;
    if (!link_up(link, *endpoint, context.io.err)) return exit_failed;
    return tty ? interactive_terminal(context, link, endpoint->address)
               : piped_terminal(context, link, input, quiet_ms);
}

}  // namespace zep::cli
