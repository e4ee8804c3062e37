#include "sim/sim_cli.h"

#include "sim/sim_network.h"

namespace zep::sim {

namespace {

struct quick_line {
    line_config::transport kind;
    int readers;
};

struct quick_options {
    std::vector<quick_line> lines;
    bool protocol = false;
    reader_family family = reader_family::zep;
    quint16 port = 0;
    int log_count = 0;
};

std::optional<int> whole_number(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min || value > max) return std::nullopt;
    return value;
}

line_config build(const quick_line& q, const quick_options& o) {
    line_config line;
    line.kind = q.kind;
    line.port = q.kind == line_config::tcp ? o.port : 0;
    for (int i = 0; i < q.readers; ++i) {
        reader_config r;
        r.family = o.family;
        r.address = i;
        r.protocol = o.protocol;
        r.log.count = o.log_count;
        r.log.denied_every = 5;
        r.log.seed = static_cast<std::uint32_t>(i + 1);
        line.readers.push_back(r);
    }
    return line;
}

bool read_scenario_file(const QString& path, cli_request& request, QString* error) {
    auto loaded = load_scenario_file(path, error);
    if (loaded) request.lines = std::move(*loaded);
    return loaded.has_value();
}

}  // namespace

std::optional<cli_request> parse_cli(const QStringList& args, QString* error) {
    cli_request request;
    quick_options quick;
    QString file;
    QString ignored;
    if (error == nullptr) error = &ignored;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](int min, int max) -> std::optional<int> {
            if (i + 1 >= args.size()) {
                *error = a + QStringLiteral(" needs a value");
                return std::nullopt;
            }
            const auto v = whole_number(args[++i], min, max);
            if (!v)
                *error =
                    QStringLiteral("%1: expected a number from %2 to %3").arg(a).arg(min).arg(max);
            return v;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            request.help = true;
        } else if (a == QLatin1String("--tcp-reader")) {
            quick.lines.push_back({line_config::tcp, 1});
        } else if (a == QLatin1String("--tcp-line") || a == QLatin1String("--pty-line")) {
            const auto n = value(1, 127);
            if (!n) return std::nullopt;
            quick.lines.push_back(
                {a == QLatin1String("--tcp-line") ? line_config::tcp : line_config::pty, *n});
        } else if (a == QLatin1String("--protocol")) {
            quick.protocol = true;
        } else if (a == QLatin1String("--ko")) {
            quick.family = reader_family::ko;
        } else if (a == QLatin1String("--port")) {
            const auto p = value(0, 65535);
            if (!p) return std::nullopt;
            quick.port = static_cast<quint16>(*p);
        } else if (a == QLatin1String("--log")) {
            const auto n = value(0, 99999);
            if (!n) return std::nullopt;
            quick.log_count = *n;
        } else if (a == QLatin1String("--exit-after")) {
            const auto s = value(1, 86400 * 365);
            if (!s) return std::nullopt;
            request.exit_after_s = *s;
        } else if (a == QLatin1String("--trace")) {
            request.trace = true;
        } else if (a.startsWith(QLatin1Char('-')) || !file.isEmpty()) {
            *error = QStringLiteral("unexpected argument: ") + a;
            return std::nullopt;
        } else {
            file = a;
        }
    }
    if (request.help) return request;
    if (!file.isEmpty() && !read_scenario_file(file, request, error)) return std::nullopt;
    for (const quick_line& q : quick.lines) request.lines.lines.push_back(build(q, quick));
    if (request.lines.lines.empty()) {
        *error = QStringLiteral(
            "nothing to serve: give a scenario file or a quick-form line "
            "(see --help)");
        return std::nullopt;
    }
    return request;
}

QString cli_help() {
    return QStringLiteral(R"(Usage: zep-sim [options] [SCENARIO.json]

Simulated KO and ZEP door-access readers on loopback TCP lines and pseudo-terminal
(RS-422 multi-drop) lines. Prints one line per served line, then "ready", and runs
until SIGINT or SIGTERM.

  tcp line 0 127.0.0.1:40123
  pty line 1 /dev/pts/7
  ready

Quick form (instead of, or after, the lines of a scenario file):
  --tcp-reader        a TCP line with one reader at address 0
  --tcp-line N        a TCP line with N readers at addresses 0..N-1
  --pty-line N        a pty line with N readers at addresses 0..N-1
  --protocol          quick-form readers start in protocol mode (default: plain)
  --ko                quick-form readers are KO readers (default: ZEP)
  --port P            TCP port of quick-form TCP lines (default 0: any free port)
  --log N             quick-form ZEP readers start with N log records

Other options:
  --exit-after S      stop by itself after S seconds
  --trace             print every command and reply on stderr
  --help              this text

)") + scenario_format_help();
}

QStringList endpoint_lines(const sim_network& net) {
    QStringList lines;
    for (int i = 0; i < net.line_count(); ++i) {
        if (net.pty_path(i).isEmpty())
            lines << QStringLiteral("tcp line %1 127.0.0.1:%2").arg(i).arg(net.tcp_port(i));
        else
            lines << QStringLiteral("pty line %1 %2").arg(i).arg(net.pty_path(i));
    }
    return lines;
}

}  // namespace zep::sim
