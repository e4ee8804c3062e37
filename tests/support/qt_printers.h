#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

// Readable failure output: texts in quotes, QByteArray also in hex so NUL bytes show.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << "\" (" << bytes.toHex(' ').toStdString() << ')';
}
