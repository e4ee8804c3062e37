#include "core/commands/reader_clock.h"

namespace zep::commands {

namespace {

constexpr int clock_digits = 12;

bool leading_digits(const QByteArray& text, int count) {
    if (text.size() < count) return false;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

QString two(const QByteArray& reply, int pos) {
    return QString::fromLatin1(reply.mid(pos, 2));
}

}  // namespace

QDateTime reader_clock::date_time() const {
    // Qt reads an impossible time on a real date as midnight; the reader did not mean that.
    const QTime time(hour, minute, second);
    if (!time.isValid()) return {};
    return QDateTime(QDate(year, month, day), time);
}

QString four_digit_year(const QString& two_digits) {
    // The usual two-digit-year pivot: a reader clock of 2026 must not read as 1926.
    return (two_digits < QLatin1String("69") ? QLatin1String("20") : QLatin1String("19")) +
           two_digits;
}

std::optional<reader_clock> decode_clock_reply(const QByteArray& reply) {
    if (!leading_digits(reply, clock_digits)) return std::nullopt;
    const QString year = four_digit_year(two(reply, 0));
    reader_clock clock;
    clock.year = year.toInt();
    clock.month = two(reply, 2).toInt();
    clock.day = two(reply, 4).toInt();
    clock.hour = two(reply, 6).toInt();
    clock.minute = two(reply, 8).toInt();
    clock.second = two(reply, 10).toInt();
    clock.display = two(reply, 2) + '/' + two(reply, 4) + '/' + year + QLatin1String("  ") +
                    two(reply, 6) + ':' + two(reply, 8) + ':' + two(reply, 10);
    return clock;
}

QString clock_display_text(const QDateTime& when) {
    return when.toString(QStringLiteral("MM/dd/yyyy  HH:mm:ss"));
}

int weekday_digit(const QDate& date) {
    return date.dayOfWeek();
}

QDateTime shifted_clock(const QDateTime& pc, int hours) {
    // Calendar arithmetic on the wall-clock fields. The result stays a zone-less value
    // (Qt::UTC): turned back into local time, a daylight-saving gap would move it.
    const QDateTime naive(pc.date(), pc.time(), Qt::UTC);
    return naive.addSecs(static_cast<qint64>(hours) * 3600);
}

}  // namespace zep::commands
