#include "core/records/csv_text.h"

#include <QRegularExpression>

namespace zep::records {

namespace {

bool formula_start(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@';
}

}  // namespace

QString csv_field(const QString& text) {
    static const QRegularExpression special(QStringLiteral("[\",\r\n]|^ | $"));
    if (!special.match(text).hasMatch()) return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}

QString formula_guarded(const QString& text) {
    if (!text.isEmpty() && formula_start(text[0])) return u'\'' + text;
    return text;
}

QString formula_unguarded(const QString& text) {
    if (text.size() > 1 && text[0] == u'\'' && formula_start(text[1])) return text.mid(1);
    return text;
}

}  // namespace zep::records
