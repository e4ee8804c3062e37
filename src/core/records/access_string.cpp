#include "core/records/access_string.h"

namespace zep::records::access_string {

namespace {

// Strings from older rows may be short; they are read and written as full length.
QString full_length(const QString& access) {
    if (access.size() >= length) return access.left(length);
    return access + QString(length - access.size(), QLatin1Char(' '));
}

bool valid_reader(int reader) {
    return reader >= 0 && reader <= last_reader;
}

}  // namespace

QString blank() {
    return QString(length, QLatin1Char(' '));
}

int slot_position(int reader) {
    return 2 * reader + 1;
}

QString slot(const QString& access, int reader) {
    if (!valid_reader(reader)) return QStringLiteral("  ");
    return full_length(access).mid(2 * reader, 2);
}

bool has_slot(const QString& access, int reader) {
    return slot(access, reader) != QLatin1String("  ");
}

QString with_slot(const QString& access, int reader, const QString& schedule) {
    QString result = full_length(access);
    if (!valid_reader(reader)) return result;
    const QString code = schedule.right(2).rightJustified(2, QLatin1Char('0'));
    result.replace(2 * reader, 2, code);
    return result;
}

QString without_slot(const QString& access, int reader) {
    QString result = full_length(access);
    if (valid_reader(reader)) result.replace(2 * reader, 2, QStringLiteral("  "));
    return result;
}

QString with_all_remaining(const QString& access, const QString& schedule,
                           std::vector<int>* filled) {
    QString result = full_length(access);
    for (int r = 0; r <= last_reader; ++r) {
        if (has_slot(result, r)) continue;
        result = with_slot(result, r, schedule);
        if (filled) filled->push_back(r);
    }
    return result;
}

std::vector<int> assigned_readers(const QString& access) {
    std::vector<int> readers;
    const QString full = full_length(access);
    for (int r = 0; r <= last_reader; ++r) {
        if (has_slot(full, r)) readers.push_back(r);
    }
    return readers;
}

QString three_digits(int number) {
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

}  // namespace zep::records::access_string
