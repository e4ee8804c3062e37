// Every reader operation of `zep`, run as a program against simulated readers that fail in
// every way a line can: it must end, say what it could know, never claim a success it did
// not get, leave the line usable and keep exactly the records it received.
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "core/data/log_table.h"
#include "core/data/readers_table.h"
#include "core/data/settings_store.h"
#include "sim/sim_network.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace {

using namespace zep;

enum fault { silent, nak, garbage, late, drop, refused, missing, babble, fault_count };
const char* const fault_names[] = {"silent", "nak",     "garbage", "late",
                                   "drop",   "refused", "missing", "babble"};
enum via { tcp, tcp_p, serial, serial_p, link_count };
const char* const link_names[] = {"tcp", "tcp+p", "serial", "serial+p"};
// What an upload fills: a file, the database's log (the automatic run) or the run's log file.
enum class upload { none, access, schedule, log, database, log_files };

// How an operation meets its reader on each link (tcp, tcp+p, serial, serial+p): '-' not
// there, 'd' awaits data ('D': a plain "?" passes for an answer), 'a' an ACK, 'n' nothing,
// 'i' awaits an answer and ignores it, 'u' lists a misbehaving reader as absent. `ms`: the
// time-out of one answer on tcp, serial and serial+p; the longest run waits `n` of them.
struct op_row {
    const char* command;  // name|arguments; IDS, SCH and OUT are files of the case
    const char* waits;
    std::array<int, 3> ms;
    int n;
    const char* success;               // stdout that claims success
    const char* prescribed = nullptr;  // stdout where the fault cannot be seen (else success)
    QString name() const { return QString::fromLatin1(command).section('|', 0, 0); }
};

constexpr auto sent = R"(\A(?:[^\n]* - command sent\n)+\z)";
const op_row ops[] = {
    {"send|V", "DdDd", {2000, 200, 400}, 1, ".", R"(\A\?\n\z)"},
    {"identify", "DdDd", {2000, 200, 400}, 1, ".", R"(\A\?\n\z)"},
    {"memory", "dddd", {2000, 1000, 1000}, 1, "Download Slots"},
    {"clock get", "dddd", {2000, 1000, 1000}, 1, R"(\d\d/\d\d/\d{4})"},
    {"clock set", "dddd", {2000, 200, 200}, 1, "Time set"},
    {"id add|4321", "dddd", {2000, 200, 200}, 1, "ID Added"},
    {"id delete|1000001", "dddd", {2000, 200, 200}, 1, "ID [Dd]eleted"},
    {"access download|IDS --no-verify --yes", "dddd", {2000, 800, 800}, 6, "Download Complete"},
    {"access upload|OUT --yes", "dddd", {2000, 200, 400}, 2, "Upload Complete"},
    {"access clear", "nana", {2000, 0, 400}, 1, "List Cleared"},
    {"schedule download|SCH --yes", "dddd", {2000, 200, 200}, 7, "Download Complete"},
    {"schedule upload|OUT --yes", "DdDd", {2000, 200, 200}, 3, "Upload Complete"},
    {"log upload|OUT --yes", "dddd", {400, 200, 400}, 2, "Upload Complete"},
    {"log clear|--yes", "nana", {2000, 0, 400}, 1, "Data Cleared"},
    {"net poll|--range 0-2", "-u-u", {2000, 150, 150}, 3, "online", "There are no readers online"},
    {"net watch|--count 3", "-d-u", {2100, 250, 250}, 4, nullptr, R"(\Atimeout\n)"},
    {"net address|2 5", "nana", {2000, 0, 200}, 2, "Address change"},  // polls 5 first
    {"net protocol|on --yes", "nani", {2000, 0, 200}, 1, nullptr, R"(\A\z)"},
    {"setup params|--yes", "nana", {2000, 0, 200}, 3, "Reader settings set"},
    {"setup mode|zep", "nana", {2000, 0, 200}, 1, "Reader mode set"},
    {"setup reset|--yes", "nann", {2000, 0, 0}, 1, "Reader reset"},
    {"setup rs232-log|on", "nana", {2000, 0, 200}, 1, "Reader set"},
    {"setup bad-log|on", "nana", {2000, 0, 200}, 1, "Reader set"},
    {"setup clear-led", "nana", {2000, 0, 200}, 1, "Led should now"},
    {"format barcode", "nana", {2200, 200, 400}, 10, sent},
    {"format magstripe", "nana", {2200, 200, 400}, 2, sent},
    {"format clear-mask", "nana", {2200, 200, 400}, 1, sent},
    // One active reader row on the case's line; its log goes into the database, or, in
    // "autorun files", only the log step runs and it goes to the reader's log file.
    {"autorun", "dddd", {2000, 400, 400}, 4, " - (log uploaded|downloaded|date set)"},
    {"autorun files", "dddd", {2000, 400, 400}, 2, " - log uploaded"},
};
constexpr int op_count = static_cast<int>(std::size(ops));

// CI's sample: each operation once, each fault at least once, mostly on quick serial waits.
constexpr auto sample =
    "send/babble/tcp identify/silent/serial+p memory/garbage/serial clock get/late/serial+p "
    "clock set/drop/tcp id add/nak/serial id delete/refused/tcp+p access download/missing/serial "
    "access upload/nak/tcp access clear/silent/serial+p schedule download/nak/serial+p "
    "schedule upload/garbage/serial log upload/nak/serial log clear/babble/serial+p "
    "net poll/silent/serial+p net watch/late/serial+p net address/nak/serial+p "
    "net protocol/refused/tcp net protocol/silent/tcp+p net protocol/silent/serial+p "
    "setup params/garbage/serial+p setup mode/silent/serial "
    "setup reset/late/tcp+p setup rs232-log/missing/serial+p setup bad-log/babble/tcp+p "
    "setup clear-led/garbage/serial+p format barcode/refused/tcp format magstripe/nak/serial+p "
    "format clear-mask/babble/serial+p autorun/drop/tcp identify/late/serial memory/late/tcp "
    "setup reset/silent/serial+p send/nak/tcp+p autorun files/nak/serial ";

// What the operator is told when an operation fails (the setup lists say it on stdout).
const QRegularExpression failure_texts(QStringLiteral(
    "No response from reader|Unable to open comm port|Unable to establish (tcp/ip|TCP/IP) "
    "connection|Error \\d\\d - |Invalid response from reader|ID was not| - no response| - error "));

constexpr int protocol_address = 2;  // the last address the poll visits
constexpr int onset = 4;             // records an upload gets before its reader fails
int slack_ms = 2000;
bool verbose = false;

enum class verdict { na, fails, undetectable };

constexpr bool is_tcp[] = {true, true, false, false};
constexpr bool is_protocol[] = {false, true, false, true};
constexpr int form[] = {0, 0, 1, 2};  // index of op_row::ms

verdict expected(const op_row& op, fault f, via l) {
    const char wait = op.waits[l];
    if (wait == '-') return verdict::na;
    if (f == refused || f == missing)
        return is_tcp[l] == (f == refused) ? verdict::fails : verdict::na;
    // Nothing to cut short in a lone ACK, or in no answer at all.
    if (f == drop && (wait == 'n' || wait == 'a' || wait == 'i')) return verdict::na;
    const bool taken_as_answer = f == nak && wait == 'D';
    return wait == 'n' || wait == 'i' || wait == 'u' || taken_as_answer ? verdict::undetectable
                                                                        : verdict::fails;
}

sim::reader_faults faults_of(const op_row& op, fault f, via l) {
    sim::reader_faults out;
    out.silent = f == silent;
    out.nak = f == nak;
    out.garbage = f == garbage;
    out.babble = f == babble;
    if (f == late) out.delay_ms = op.ms[form[l]] + 300;
    if (f == drop) out.drop_mid_reply = is_protocol[l] ? 2 : 1;  // ACK STX, or one character
    return out;
}

struct run_result {
    int status = -1;  // -1: killed or crashed
    QString out, err, why;
};

// Runs zep in a process group of its own; kills the group once `limit_ms` has passed.
run_result run_zep(const QStringList& args, const QString& home, int limit_ms,
                   const QString& com1 = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZEP_HOME", home);
    env.insert("ZEP_COM1", com1);
    p.setProcessEnvironment(env);
    p.setChildProcessModifier([] { ::setpgid(0, 0); });
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(ZEP_BINARY, args);
    const qint64 pid = p.waitForStarted() ? p.processId() : 0;
    run_result r;
    if (!p.waitForFinished(limit_ms) && pid > 0) {
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
        p.waitForFinished(-1);
        r.why = QString("still running after %1 ms").arg(limit_ms);
    } else if (pid > 0 && ::kill(static_cast<pid_t>(-pid), 0) == 0) {
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
        r.why = "left a process behind";
    }
    if (p.exitStatus() == QProcess::NormalExit && r.why.isEmpty()) r.status = p.exitCode();
    r.out = QString::fromLatin1(p.readAllStandardOutput());
    r.err = QString::fromLatin1(p.readAllStandardError());
    return r;
}

// Whether the simulator still holds a connection on `port` (established or half closed).
bool port_busy(quint16 port) {
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QByteArray local = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 3 && f[1].endsWith(':' + local) && (f[3] == "01" || f[3] == "08"))
            return true;
    }
    return false;
}

sim::reader_config reader_of(via l) {
    sim::reader_config c;
    c.protocol = is_protocol[l];
    c.address = c.protocol ? protocol_address : 0;
    for (int i = 1; i <= 12; ++i) c.ids.push_back({QByteArray::number(1000000 + i), i % 3});
    c.schedules.push_back(
        {5, {"08001700", "08001700", "08001700", "08001700", "08001700", "00000000", "00000000"}});
    c.log.count = 12;
    c.log.cards = {"1000001", "1000002"};
    return c;
}

// The lines a whole upload writes, from what the reader holds.
QStringList held_lines(upload kind, sim::reader& r) {
    QStringList lines;
    if (kind == upload::none) return lines;
    if (kind == upload::access) {
        for (const sim::access_entry& e : r.ids.entries()) lines << QString::fromLatin1(e.id);
    } else if (kind == upload::log || kind == upload::database || kind == upload::log_files) {
        for (const sim::log_record& rec : r.log.records()) {
            lines << (kind != upload::database
                          ? QString::number(rec.denied ? 1 : 0) + rec.when.toString(u"yyMMddHHmmss")
                          : rec.when.toString(u"yyyy-MM-dd HH:mm:ss ")) +
                         QString::fromLatin1(rec.card);
        }
    } else {
        for (int i = 0; i < 99 * 7; ++i) {
            const int n = i / 7 + 1, d = i % 7 + 1;
            lines << QString::asprintf("%03d%d", n, d) +
                         QString::fromLatin1(r.schedules.window(n, d));
        }
    }
    return lines;
}

// An upload's reader fails once it has answered `onset` record requests ("u", "l", "SR" and
// a schedule). Called by the simulator with its readers held still.
struct onset_trigger {
    sim::reader_faults faults;
    sim::reader* reader = nullptr;
    int seen = 0;
    void operator()(const QString& trace) {
        static const QRegularExpression record(QString(" <- \\w+: (u|l|SR\\d{3})$"));
        if (reader && record.match(trace).hasMatch() && ++seen == onset) reader->faults = faults;
    }
};

QStringList link_args(via l, quint16 port, const QString& device) {
    QStringList a = is_tcp[l] ? QStringList{"--tcp", QString("127.0.0.1:%1").arg(port)}
                              : QStringList{"--serial", device, "--baud", "9600"};
    return is_protocol[l] ? a << "--protocol" << QString::number(protocol_address) : a << "--plain";
}

// The automatic run's one active reader, reached as the case's line; with log files, only
// the log step runs, into `folder`.
QString add_reader(const QString& db, via l, quint16 port, upload kind, const QString& folder) {
    auto file = data::database_file::open(db, test::unique_connection_name());
    if (!file) return file.error();
    const int address = is_protocol[l] ? protocol_address : -1;
    status added =
        data::readers_table(**file).insert(is_tcp[l] ? test::tcp_reader_row(1, port, address)
                                                     : test::reader_row(1, "Com1 9600", address));
    if (added && kind == upload::log_files) {
        auto loaded = data::load_or_create(**file);
        if (!loaded) return loaded.error();
        data::settings_record record = loaded->record;
        record.autosettings = "00010";
        record.autologup = "2";
        record.dirlogup = folder;
        added = data::save_settings(**file, record, loaded->marker, loaded->record, loaded->marker);
    }
    return added ? QString() : added.error();
}

// What a run put into the database's log, or the lines of an uploaded file.
QStringList kept_lines(upload kind, const QString& db, QString out) {
    if (kind == upload::log_files) out = QFileInfo(db).absolutePath() + "/log001.txt";
    QStringList lines;
    if (kind == upload::database) {
        if (auto file = data::database_file::open(db, test::unique_connection_name())) {
            (void)data::log_table(**file).walk([&](const data::log_row& row) {
                lines << row.DateTime + ' ' + row.idnum;
                return true;
            });
        }
        return lines;
    }
    lines = QString::fromLatin1(test::file_bytes(out)).split("\r\n");
    lines.removeLast();  // after the last line end
    return lines;
}

bool write_file(const QString& path, const char* text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) >= 0;
}

// Uploads write a file, the automatic run the database: their reader fails part way.
upload kind_of(const op_row& op) {
    const QString name = op.name();
    if (name == QLatin1String("autorun")) return upload::database;
    if (name == QLatin1String("autorun files")) return upload::log_files;
    if (!name.endsWith(QLatin1String(" upload"))) return upload::none;
    return name[0] == 'a' ? upload::access : name[0] == 's' ? upload::schedule : upload::log;
}

// Empty when the case passed, else why not.
QString run_case(const op_row& op, fault f, via l) {
    const verdict want = expected(op, f, l);
    const upload kind = kind_of(op);
    QTemporaryDir dir;
    const QString db = dir.filePath("zep.db"), out = dir.filePath("out.txt");
    if (!write_file(dir.filePath("ids.txt"), "2001\r\n2002\r\n2003\r\n") ||
        !write_file(dir.filePath("sch.txt"),
                    "005108001700\r\n005208001700\r\n005308001700\r\n005408001700\r\n"
                    "005508001700\r\n005600000000\r\n005700000000\r\n"))
        return "cannot write the input files";

    // Line 0 holds the reader; a serial case has a second line with a healthy reader.
    sim::scenario s;
    s.lines.push_back(
        {is_tcp[l] ? sim::line_config::tcp : sim::line_config::pty, 0, {reader_of(l)}});
    if (!is_tcp[l]) s.lines.push_back({sim::line_config::pty, 0, {reader_of(l)}});
    auto trigger = std::make_shared<onset_trigger>();
    QString error;
    auto net = sim::sim_network::start(s, &error, [trigger](const QString& t) { (*trigger)(t); });
    if (!net) return "simulator: " + error;
    QByteArray ident;
    QStringList whole;
    net->with_reader(0, 0, [&](sim::reader& r) {
        ident = r.ident;
        whole = held_lines(kind, r);
        (kind == upload::none ? r.faults : trigger->faults) = faults_of(op, f, l);
        if (kind != upload::none) trigger->reader = &r;
    });

    QStringList args{"--db", db};
    const QString command =
        kind == upload::log_files ? QString("autorun") : QString::fromLatin1(op.command);
    for (const QString& word : QString(command).replace('|', ' ').split(' '))
        args << (word == "IDS" || word == "SCH" || word == "OUT"
                     ? dir.filePath(word.toLower() + ".txt")
                     : word);
    const quint16 port = f == refused ? test::closed_tcp_port() : net->tcp_port(0);
    const QString device = f == missing ? dir.filePath("no-such-tty") : net->pty_path(0);
    if (kind == upload::database || kind == upload::log_files) {
        if (const QString failed = add_reader(db, l, port, kind, dir.path()); !failed.isEmpty())
            return failed;
    } else {
        args += link_args(l, port, device);
    }
    const int limit = 2 * op.n * op.ms[form[l]] + slack_ms;
    const run_result r = run_zep(args, dir.path(), limit, device);
    const QString seen = QString(" [exit %1] out: %2 err: %3")
                             .arg(r.status)
                             .arg(r.out.left(300).trimmed(), r.err.left(300).trimmed());
    const auto shows = [&](const char* pattern) {
        return pattern && QRegularExpression(QString::fromLatin1(pattern)).match(r.out).hasMatch();
    };
    if (!r.why.isEmpty()) return r.why + seen;
    if (want == verdict::undetectable) {
        if (r.status != 0 || !shows(op.prescribed ? op.prescribed : op.success))
            return "not the prescribed outcome" + seen;
    } else if (r.status != 1 || shows(op.success) ||
               !failure_texts.match(r.err + r.out).hasMatch()) {
        return "not a failure with its message" + seen;
    }
    const QDeadlineTimer settle(3000);
    while (is_tcp[l] && port_busy(net->tcp_port(0))) {
        if (settle.hasExpired()) return "the simulator's connection stays open";
        QThread::msleep(5);
    }
    if (kind != upload::none) {
        const QStringList kept = kept_lines(kind, db, out);
        const qsizetype before = f == refused || f == missing ? 0
                                 : kind == upload::schedule   ? 7 * onset
                                                              : onset;
        if ((want == verdict::fails ? kept : kept.mid(0, before)) != whole.mid(0, before))
            return QString("%1 records kept, not the %2 received").arg(kept.size()).arg(before);
        // The run clears the reader's log only once every record is stored.
        const int left = net->with_reader(0, 0, [](sim::reader& rd) { return rd.log.size(); });
        if ((kind == upload::database || kind == upload::log_files) && left == 0 && kept != whole)
            return "the reader's log was cleared before it was stored";
    }

    // The next operation, on a healthy reader of the same kind of line. A pty cannot tell the
    // simulator that its host left, so a reader still babbling or about to answer late keeps
    // its line busy: that case goes on to the second line.
    net->with_reader(0, 0, [&](sim::reader& rd) {
        rd.faults = {};
        rd.protocol = is_protocol[l];
        rd.address = rd.protocol ? protocol_address : 0;
    });
    const QString next_device = net->pty_path(!is_tcp[l] && (f == babble || f == late) ? 1 : 0);
    const run_result next =
        run_zep(QStringList{"--db", db, "identify"} + link_args(l, net->tcp_port(0), next_device),
                dir.path(), 4000 + slack_ms);
    if (next.status != 0 || next.out != QString::fromLatin1(ident) + '\n')
        return QString("the next identify failed: %1 %2").arg(next.why, next.err.trimmed());
    if (verbose) std::printf("    %s\n", qPrintable(seen));
    return {};
}

struct tally {
    int total = 0, passed = 0, undetectable = 0;
};

void print_table(const tally (&cells)[op_count][fault_count]) {
    std::printf("\n%-18s", "operation");
    for (const char* name : fault_names) std::printf("%-9s", name);
    int total = 0, passed = 0;
    for (int op = 0; op < op_count; ++op) {
        std::printf("\n%-18s", qPrintable(ops[op].name()));
        for (const tally& c : cells[op]) {
            QString text = QString("%1/%2").arg(c.passed).arg(c.total);
            if (c.undetectable) text += QString(" u%1").arg(c.undetectable);
            std::printf("%-9s", c.total ? qPrintable(text) : "-");
            total += c.total;
            passed += c.passed;
        }
    }
    std::printf(
        "\n\ncells: passed/total over the links that apply (tcp, tcp+p, serial, serial+p);"
        " uN: N of them undetectable by design; -: none applies.\n"
        "drop on a serial line: the reply stops mid-way (a pty cannot hang up).\n"
        "%d of %d applicable cases passed (%.1f%%)\n",
        passed, total, total ? 100.0 * passed / total : 100.0);
}

}  // namespace

// zep_fault_matrix [--all|--sample] [--only OP] [--fault F] [--jobs N] [--slack MS] [--verbose]
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    const bool only_sample = args.contains("--sample");
    const QString only = option("--only"), fault_name = option("--fault");
    const int jobs = std::max(1, option("--jobs").toInt());
    slack_ms = option("--slack").isEmpty() ? slack_ms : option("--slack").toInt();
    verbose = args.contains("--verbose");

    std::vector<std::tuple<int, fault, via, verdict>> cases;
    for (int i = 0; i < op_count * fault_count * link_count; ++i) {
        const int o = i / (fault_count * link_count), f = i / link_count % fault_count,
                  l = i % link_count;
        const verdict want = expected(ops[o], fault(f), via(l));
        const QString key = QString("%1/%2/%3 ").arg(ops[o].name(), fault_names[f], link_names[l]);
        if (want != verdict::na && (!only_sample || QString(sample).contains(key)) &&
            (only.isEmpty() || only == ops[o].name()) &&
            (fault_name.isEmpty() || fault_name == fault_names[f]))
            cases.emplace_back(o, fault(f), via(l), want);
    }
    if (cases.empty()) {
        std::fprintf(stderr,
                     "no case: --only takes an operation, --fault one of silent nak "
                     "garbage late drop refused missing babble\n");
        return 2;
    }

    tally cells[op_count][fault_count];
    bool all_passed = true;
    std::atomic<std::size_t> next{0};
    std::mutex print;
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j) {
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < cases.size(); i = next++) {
                const auto [o, f, l, want] = cases[i];
                const QString why = run_case(ops[o], f, l);
                const std::lock_guard lock(print);
                tally& cell = cells[o][f];
                ++cell.total;
                cell.passed += why.isEmpty();
                cell.undetectable += want == verdict::undetectable;
                all_passed = all_passed && why.isEmpty();
                std::printf("%s %s / %s / %s%s%s\n", why.isEmpty() ? "pass" : "FAIL",
                            qPrintable(ops[o].name()), fault_names[f], link_names[l],
                            want == verdict::undetectable ? " (undetectable by design)" : "",
                            qPrintable(why.isEmpty() ? QString() : "\n    " + why));
                std::fflush(stdout);
            }
        });
    }
    for (std::thread& w : workers) w.join();
    print_table(cells);
    return all_passed ? 0 : 1;
}
