#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace zep::commands {

// The reader's clock as read with "t" (yymmddhhmmss). Fields are the received digits;
// a reader may report an impossible date, so date_time() can be invalid.
struct reader_clock {
    int year = 0;  // four digits after the century rule
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    QString display;  // "MM/DD/YYYY  hh:mm:ss", built from the received digits

    QDateTime date_time() const;
};

// Decodes a "t" reply by position; nullopt when it holds fewer than twelve leading digits.
// Year digits "00".."68" are 20yy, "69".."99" 19yy.
std::optional<reader_clock> decode_clock_reply(const QByteArray& reply);

// The century rule alone: "26" -> "2026", "69" -> "1969".
QString four_digit_year(const QString& two_digits);

// "MM/DD/YYYY  hh:mm:ss" (two blanks), as the PC clock and the reader clock are shown.
QString clock_display_text(const QDateTime& when);

// Weekday digit the reader expects: Monday 1 .. Sunday 7.
int weekday_digit(const QDate& date);

// The PC's date and time fields moved by whole hours (negative too), carrying into day,
// month and year; the result is a zone-less value (Qt::UTC) whose date() and time() are
// the shifted fields, so a daylight-saving change of the PC's zone never adds or loses an
// hour.
QDateTime shifted_clock(const QDateTime& pc, int hours);

}  // namespace zep::commands
