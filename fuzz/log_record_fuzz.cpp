// A transaction-log reply ("l") as it becomes a log row: the record, and its DateTime text
// that the log table orders and the log screens cut dates from. Input: the reply; its
// bytes from the 14th on are read as a second reply too, to compare the two.

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/commands/upload_records.h"
#include "fuzz/fuzz_harness.h"

namespace {

using namespace zep::commands;

int sign(int n) {
    return (n > 0) - (n < 0);
}

// Checks one reply; returns its DateTime text when it decodes to a record with a stamp of
// twelve digits.
std::optional<QString> check_reply(const QByteArray& reply) {
    const auto record = decode_log_record(reply);
    ZEP_FUZZ_CHECK(record.has_value() == (reply.size() >= 13));
    if (!record) return std::nullopt;
    ZEP_FUZZ_CHECK(record->stamp.size() == 12);
    ZEP_FUZZ_CHECK(record->granted == (reply[0] == '0'));
    ZEP_FUZZ_CHECK(record->card == record->card.trimmed());
    ZEP_FUZZ_CHECK(record->line.mid(13).contains(record->card));

    // "20yy-mm-dd hh:mm:ss": the stamp's pairs in place, whatever the reader sent.
    const QString text = log_datetime_text(*record);
    ZEP_FUZZ_CHECK(text.size() == 19);
    ZEP_FUZZ_CHECK(text.startsWith(QLatin1String("20")));
    ZEP_FUZZ_CHECK(text[4] == u'-' && text[7] == u'-' && text[10] == u' ' && text[13] == u':' &&
                   text[16] == u':');
    QString pairs;
    for (const int at : {2, 5, 8, 11, 14, 17}) pairs += text.mid(at, 2);
    ZEP_FUZZ_CHECK(pairs == record->stamp);
    if (!zep::fuzz::all_digits(record->stamp)) return std::nullopt;
    return text;
}

}  // namespace

ZEP_FUZZ_TARGET(reply) {
    const auto first = check_reply(reply);
    const auto second = check_reply(reply.mid(13));
    // The log's datetime index orders rows as their stamps.
    if (first && second) {
        const int stamps = reply.mid(1, 12).compare(reply.mid(14, 12));
        ZEP_FUZZ_CHECK(sign(QString::compare(*first, *second)) == sign(stamps));
    }
}
