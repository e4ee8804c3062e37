#include "sim/line_context.h"

#include "sim/reader_model.h"

namespace zep::sim {

int line_context::open_connection() const {
    std::lock_guard lock(*mutex);
    received->emplace_back();
    return static_cast<int>(received->size()) - 1;
}

std::vector<outgoing> line_context::process(line_decoder& decoder, QByteArrayView bytes,
                                            int connection) const {
    std::vector<outgoing> replies;
    {
        std::lock_guard lock(*mutex);
        (*received)[static_cast<std::size_t>(connection)].append(bytes);
        timeline->push_back({clock->elapsed(), bytes.toByteArray()});
    }
    const std::vector<received_command> commands = decoder.feed(bytes);
    if (commands.empty()) return replies;
    const QDateTime now = wall_clock_now();
    std::lock_guard lock(*mutex);
    for (const received_command& command : commands) {
        std::vector<outgoing> out = dispatch(*readers, command, now);
        if (trace) {
            const QString to =
                command.framed ? QString::number(command.address) : QStringLiteral("plain");
            trace(QStringLiteral("line %1 <- %2: %3").arg(index).arg(to, printable(command.text)));
            for (const outgoing& o : out) {
                trace(QStringLiteral("line %1 reader %2 -> %3")
                          .arg(index)
                          .arg(o.reader)
                          .arg(printable(o.bytes)));
            }
        }
        replies.insert(replies.end(), out.begin(), out.end());
    }
    return replies;
}

void line_context::note_closed() const {
    std::lock_guard lock(*mutex);
    timeline->push_back({clock->elapsed(), {}});
}

QString printable(QByteArrayView bytes) {
    static const char* const names[] = {"NUL", nullptr, "STX", "ETX", nullptr, nullptr, "ACK"};
    QString text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127) {
            text += QLatin1Char(c);
        } else if (byte < 7 && names[byte] != nullptr) {
            text += QStringLiteral("<%1>").arg(QLatin1String(names[byte]));
        } else if (byte == 13) {
            text += QStringLiteral("<CR>");
        } else if (byte == 21) {
            text += QStringLiteral("<NAK>");
        } else {
            text += QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0'));
        }
    }
    return text;
}

}  // namespace zep::sim
