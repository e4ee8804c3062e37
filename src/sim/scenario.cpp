#include "sim/scenario.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <initializer_list>

namespace zep::sim {

namespace {

constexpr qint64 max_copies = 1000;  // lines in one scenario

struct parse_error {
    QString text;
};

[[noreturn]] void fail(const QString& where, const QString& what) {
    throw parse_error{where + QStringLiteral(": ") + what};
}

void check_keys(const QJsonObject& o, std::initializer_list<const char*> allowed,
                const QString& where) {
    for (const QString& key : o.keys()) {
        bool known = false;
        for (const char* a : allowed) known = known || key == QLatin1String(a);
        if (!known) fail(where, QStringLiteral("unknown key \"%1\"").arg(key));
    }
}

QJsonObject object_at(const QJsonValue& v, const QString& where) {
    if (!v.isObject()) fail(where, QStringLiteral("expected an object"));
    return v.toObject();
}

QJsonArray array_of(const QJsonObject& o, const char* key, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return {};
    if (!v.isArray())
        fail(where, QStringLiteral("\"%1\" must be an array").arg(QLatin1String(key)));
    return v.toArray();
}

qint64 int_of(const QJsonObject& o, const char* key, qint64 fallback, qint64 min, qint64 max,
              const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return fallback;
    const double d = v.toDouble(-1e300);
    // The range first: a double beyond qint64 cannot be converted to test it is whole.
    if (!v.isDouble() || d < static_cast<double>(min) || d > static_cast<double>(max) ||
        d != static_cast<double>(static_cast<qint64>(d)))
        fail(where, QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                        .arg(QLatin1String(key))
                        .arg(min)
                        .arg(max));
    return static_cast<qint64>(d);
}

bool bool_of(const QJsonObject& o, const char* key, bool fallback, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return fallback;
    if (!v.isBool())
        fail(where, QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
    return v.toBool();
}

QByteArray text_of(const QJsonValue& v, const QString& where) {
    if (v.isString()) return v.toString().toLatin1();
    // Card numbers are often written as numbers; one beyond qint64 is no card number.
    if (v.isDouble() && std::abs(v.toDouble()) < 9e18)
        return QByteArray::number(static_cast<qint64>(v.toDouble()));
    fail(where, QStringLiteral("expected text"));
}

reader_faults faults_of(const QJsonObject& o, const QString& where) {
    check_keys(o,
               {"silent", "nak", "garbage", "delay_ms", "late_body_ms", "drop_after",
                "drop_mid_reply", "baud", "split", "refuse_long_ids", "forget_id", "babble"},
               where);
    reader_faults f;
    f.silent = bool_of(o, "silent", false, where);
    f.nak = bool_of(o, "nak", false, where);
    f.refuse_records = bool_of(o, "refuse_records", false, where);
    f.garbage = bool_of(o, "garbage", false, where);
    f.babble = bool_of(o, "babble", false, where);
    f.delay_ms = static_cast<int>(int_of(o, "delay_ms", 0, 0, 600000, where));
    f.drop_after = static_cast<int>(int_of(o, "drop_after", 0, 0, 1000000, where));
    f.late_body_ms = static_cast<int>(int_of(o, "late_body_ms", 0, 0, 600000, where));
    f.drop_mid_reply = static_cast<int>(int_of(o, "drop_mid_reply", 0, 0, 1000000, where));
    f.baud = static_cast<int>(int_of(o, "baud", 0, 0, 1000000, where));
    f.split = bool_of(o, "split", false, where);
    f.refuse_long_ids = bool_of(o, "refuse_long_ids", false, where);
    f.forget_id = o.value(QLatin1String("forget_id")).toString().toLatin1();
    return f;
}

log_seed log_of(const QJsonObject& o, const QString& where) {
    check_keys(o, {"count", "denied_every", "cards", "seed", "start"}, where);
    log_seed seed;
    seed.count = static_cast<int>(int_of(o, "count", 0, 0, 99999, where));
    seed.denied_every = static_cast<int>(int_of(o, "denied_every", 0, 0, 99999, where));
    seed.seed = static_cast<std::uint32_t>(int_of(o, "seed", 1, 0, 0xffffffffLL, where));
    for (const QJsonValue& card : array_of(o, "cards", where))
        seed.cards.push_back(text_of(card, where + QStringLiteral(".cards")));
    if (o.contains(QLatin1String("start"))) {
        const QString start = o.value(QLatin1String("start")).toString();
        seed.start = QDateTime::fromString(QStringLiteral("20") + start, u"yyyyMMddHHmmss");
        if (!seed.start.isValid()) fail(where, QStringLiteral("\"start\" must be YYMMDDhhmmss"));
        seed.start.setTimeSpec(Qt::UTC);
    }
    return seed;
}

schedule_seed schedule_of(const QJsonObject& o, const QString& where) {
    check_keys(o, {"num", "days"}, where);
    static const QRegularExpression window(
        QStringLiteral("\\A\\d{8}\\z"));  // $ would pass a line end
    schedule_seed s;
    // A schedule without its number would be dropped without a word.
    if (!o.contains(QLatin1String("num"))) fail(where, QStringLiteral("\"num\" is missing"));
    s.num = static_cast<int>(int_of(o, "num", -1, 1, 99, where));
    const QJsonArray days = array_of(o, "days", where);
    if (days.size() != 7) fail(where, QStringLiteral("\"days\" must hold 7 windows hhmmhhmm"));
    for (int d = 0; d < 7; ++d) {
        const QString text = days[d].toString();
        if (!window.match(text).hasMatch())
            fail(where, QStringLiteral("day %1 must be hhmmhhmm").arg(d + 1));
        s.days[d] = text.toLatin1();
    }
    return s;
}

reader_family family_of(const QJsonObject& o, const QString& where) {
    const QString model = o.value(QLatin1String("model")).toString(QStringLiteral("ZEP"));
    if (model.compare(QLatin1String("ZEP"), Qt::CaseInsensitive) == 0) return reader_family::zep;
    if (model.compare(QLatin1String("KO"), Qt::CaseInsensitive) == 0) return reader_family::ko;
    fail(where, QStringLiteral("\"model\" must be \"ZEP\" or \"KO\""));
}

char mode_of(const QJsonObject& o, const QString& where) {
    const qint64 mode = int_of(o, "mode", 0, 0, 5, where);
    if (mode == 0) return 0;  // the family's usual mode
    if (mode == 2) fail(where, QStringLiteral("\"mode\" must be 1, 3, 4 or 5"));
    return static_cast<char>('0' + mode);
}

reader_config reader_of(const QJsonObject& o, const QString& where) {
    check_keys(
        o,
        {"model", "address", "protocol", "reclen", "capacity_bytes", "log_capacity", "old_firmware",
         "mode", "ident", "clock_offset_s", "ids", "schedules", "log", "faults", "scans"},
        where);
    reader_config c;
    c.family = family_of(o, where);
    c.address = static_cast<int>(int_of(o, "address", 0, 0, 126, where));
    c.protocol = bool_of(o, "protocol", false, where);
    c.record_length = static_cast<int>(int_of(o, "reclen", 40, 4, 40, where));
    c.capacity_bytes = static_cast<int>(int_of(o, "capacity_bytes", 20000, 1, 100000000, where));
    c.log_capacity = static_cast<int>(int_of(o, "log_capacity", 5000, 0, 99999, where));
    c.old_firmware = bool_of(o, "old_firmware", false, where);
    c.mode = mode_of(o, where);
    c.ident = o.value(QLatin1String("ident")).toString().toLatin1();
    c.clock_offset_s = int_of(o, "clock_offset_s", 0, -4000000000LL, 4000000000LL, where);
    for (const QJsonValue& v : array_of(o, "ids", where)) {
        const QJsonObject id = object_at(v, where + QStringLiteral(".ids"));
        check_keys(id, {"id", "schedule"}, where + QStringLiteral(".ids"));
        c.ids.push_back({text_of(id.value(QLatin1String("id")), where + QStringLiteral(".ids")),
                         static_cast<int>(int_of(id, "schedule", 0, 0, 99, where))});
    }
    for (const QJsonValue& v : array_of(o, "schedules", where)) {
        const QString at = where + QStringLiteral(".schedules");
        c.schedules.push_back(schedule_of(object_at(v, at), at));
    }
    if (o.contains(QLatin1String("log")))
        c.log =
            log_of(object_at(o.value(QLatin1String("log")), where), where + QStringLiteral(".log"));
    if (o.contains(QLatin1String("scans"))) {
        const QString at = where + QStringLiteral(".scans");
        const QJsonObject scans = object_at(o.value(QLatin1String("scans")), at);
        check_keys(scans, {"cards", "interval_ms"}, at);
        for (const QJsonValue& card : array_of(scans, "cards", at))
            c.scans.push_back(text_of(card, at + QStringLiteral(".cards")));
        c.scan_interval_ms = static_cast<int>(int_of(scans, "interval_ms", 1000, 10, 3600000, at));
    }
    if (o.contains(QLatin1String("faults")))
        c.faults = faults_of(object_at(o.value(QLatin1String("faults")), where),
                             where + QStringLiteral(".faults"));
    return c;
}

line_config line_of(const QJsonObject& o, const QString& where) {
    check_keys(o, {"transport", "port", "readers", "copies"}, where);
    line_config line;
    const QString transport = o.value(QLatin1String("transport")).toString(QStringLiteral("tcp"));
    if (transport == QLatin1String("tcp"))
        line.kind = line_config::tcp;
    else if (transport == QLatin1String("pty"))
        line.kind = line_config::pty;
    else
        fail(where, QStringLiteral("\"transport\" must be \"tcp\" or \"pty\""));
    line.port = static_cast<quint16>(int_of(o, "port", 0, 0, 65535, where));
    const QJsonArray readers = array_of(o, "readers", where);
    if (readers.isEmpty()) fail(where, QStringLiteral("a line needs at least one reader"));
    for (qsizetype i = 0; i < readers.size(); ++i) {
        const QString at = where + QStringLiteral(".readers[%1]").arg(i);
        line.readers.push_back(reader_of(object_at(readers[i], at), at));
    }
    return line;
}

}  // namespace

std::optional<scenario> load_scenario(const QByteArray& json, QString* error) {
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    try {
        if (doc.isNull()) fail(QStringLiteral("scenario"), parse.errorString());
        const QJsonObject root = object_at(doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(),
                                           QStringLiteral("scenario"));
        check_keys(root, {"lines"}, QStringLiteral("scenario"));
        scenario s;
        const QJsonArray lines = array_of(root, "lines", QStringLiteral("scenario"));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString at = QStringLiteral("lines[%1]").arg(i);
            const QJsonObject o = object_at(lines[i], at);
            const line_config line = line_of(o, at);
            // "copies": N lines alike, each on its own port (127 TCP readers in one entry).
            const qint64 copies = int_of(o, "copies", 1, 1, max_copies, at);
            if (copies > 1 && line.kind == line_config::pty)
                fail(at, QStringLiteral("\"copies\" is for TCP lines"));
            if (copies > 1 && line.port != 0)
                fail(at, QStringLiteral("\"copies\" needs \"port\": 0"));
            if (static_cast<qint64>(s.lines.size()) + copies > max_copies)
                fail(at, QStringLiteral("a scenario may hold at most %1 lines").arg(max_copies));
            s.lines.insert(s.lines.end(), static_cast<std::size_t>(copies), line);
        }
        if (s.lines.empty()) fail(QStringLiteral("scenario"), QStringLiteral("no lines"));
        return s;
    } catch (const parse_error& e) {
        if (error != nullptr) *error = e.text;
        return std::nullopt;
    }
}

std::optional<scenario> load_scenario_file(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // The size is known before a byte is read, so a huge file costs nothing.
    if (file.size() > max_scenario_bytes) {
        *error =
            QStringLiteral("%1: a scenario file may hold at most %2 MB; this one holds %3 bytes")
                .arg(path)
                .arg(max_scenario_bytes >> 20)
                .arg(file.size());
        return std::nullopt;
    }
    QString why;
    auto loaded = load_scenario(file.readAll(), &why);
    if (!loaded) *error = QStringLiteral("%1: %2").arg(path, why);
    return loaded;
}

QString scenario_format_help() {
    return QStringLiteral(R"(Scenario file (JSON):
  {"lines": [
    {"transport": "tcp" | "pty",     one TCP port or one pseudo-terminal per line
     "port": 0,                      tcp only; 0 picks a free port
     "copies": 1,                    tcp only: this many lines alike, each on a free port
     "readers": [
       {"model": "ZEP" | "KO",
        "address": 0,                protocol address 0..126
        "protocol": false,           start in protocol mode
        "reclen": 40,                record length 4..40
        "capacity_bytes": 20000,     access-list memory; slots = bytes / (reclen + 1)
        "log_capacity": 5000,        transaction-log slots (ZEP)
        "old_firmware": false,       "z" gives used before available
        "mode": 4,                   1 X, 3 KO, 4 ZEP, 5 accumulate (default by model)
        "ident": "...",              answer to "V"
        "clock_offset_s": 0,         reader clock = host clock + offset
        "ids": [{"id": "1234", "schedule": 0}],
        "schedules": [{"num": 1, "days": ["08001700", ... 7 windows, Monday first]}],
        "log": {"count": 10, "denied_every": 5, "cards": ["1001", "1002"],
                "seed": 1, "start": "240102073000"},
        "scans": {"cards": ["1001"], "interval_ms": 1000},  printed unprompted in mode 1 (X)
        "faults": {"silent": false, "nak": false, "garbage": false, "delay_ms": 0,
                   "late_body_ms": 0, "drop_after": 0, "drop_mid_reply": 0, "baud": 0, "split": false,
                   "refuse_long_ids": false, "forget_id": "", "babble": false}}]}]}
  Every key but "readers" may be left out. A file over 16 MB is refused unread.
)");
}

}  // namespace zep::sim
