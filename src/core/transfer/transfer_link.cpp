#include "core/transfer/transfer_link.h"

#include <QThread>

#include "core/operator.h"

namespace zep::transfer {

QString records_text(const char* caption, qint64 count) {
    return QString::fromLatin1(caption) + QStringLiteral("%1").arg(count, 5, 10, QLatin1Char('0'));
}

transfer_link::transfer_link(link::reader_link& link, const link::link_endpoint& endpoint,
                             operator_port& person, const transfer_view& view)
    : person_(person),
      view_(view),
      endpoint_(endpoint),
      cancel_(link, [this] { return person_.cancelled(); }),
      exchange_(link, endpoint) {}

transfer_link::~transfer_link() {
    exchange_.close();
    view_.status(QString());
    person_.progress(QString());
}

status transfer_link::open() {
    return exchange_.open();
}

bool transfer_link::cancelled() {
    return person_.cancelled();
}

void transfer_link::pause(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

std::optional<QByteArray> transfer_link::read(int timeout_ms, bool double_terminator) {
    const link::link_read reply = exchange_.read_reply(timeout_ms, double_terminator);
    if (reply.error) return std::nullopt;
    return reply.text;
}

bool transfer_link::acknowledged(int timeout_ms) {
    return !endpoint_.protocol || exchange_.wait_ack(timeout_ms);
}

void transfer_link::progress(const QString& text) {
    person_.progress(text);
}

transfer_outcome transfer_link::told(transfer_end end, const QString& text,
                                     const QStringList& more) {
    // A wait the operator cut short fails like a silent reader; it is a cancel all the same.
    if (end == transfer_end::failed && person_.cancelled()) return cancel();
    // The link closes before the operator reads the message.
    exchange_.close();
    person_.message(text);
    for (const QString& line : more) person_.message(line);
    return {end, text, more};
}

transfer_outcome transfer_link::cancel() {
    exchange_.close();
    return {transfer_end::cancelled, QString(), {}};
}

}  // namespace zep::transfer
