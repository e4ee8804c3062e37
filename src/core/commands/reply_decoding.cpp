#include "core/commands/reply_decoding.h"

namespace zep::commands {

namespace {

constexpr int memory_field_width = 5;
constexpr int memory_reply_size = 4 * memory_field_width;

memory_field field_at(const QByteArray& reply, int index) {
    memory_field field;
    field.text = QString::fromLatin1(reply.mid(index * memory_field_width, memory_field_width));
    const QString digits = field.text.trimmed();
    bool ok = !digits.isEmpty();
    for (const QChar c : digits) ok = ok && c >= u'0' && c <= u'9';
    if (ok) field.value = digits.toInt();
    return field;
}

}  // namespace

bool status_ok(const QByteArray& reply, char letter) {
    return !reply.isEmpty() && reply.front() == letter;
}

bool status_exact(const QByteArray& reply, char letter) {
    return reply.size() == 1 && reply.front() == letter;
}

std::optional<memory_usage> decode_memory_usage(const QByteArray& reply, memory_layout layout) {
    if (reply.size() < memory_reply_size) return std::nullopt;
    const bool used_first = layout == memory_layout::used_first;
    memory_usage usage;
    usage.download_available = field_at(reply, used_first ? 1 : 0);
    usage.download_used = field_at(reply, used_first ? 0 : 1);
    usage.logging_available = field_at(reply, used_first ? 3 : 2);
    usage.logging_used = field_at(reply, used_first ? 2 : 3);
    return usage;
}

}  // namespace zep::commands
