#include "core/link/frame.h"

#include <cctype>

#include "core/link/wire.h"

namespace zep::link {

bool valid_protocol_address(int address) {
    return address >= 0 && address <= wire::global_address;
}

std::optional<QByteArray> protocol_frame(const QByteArray& text, int address) {
    if (!valid_protocol_address(address)) return std::nullopt;
    QByteArray frame;
    frame.reserve(text.size() + 3);
    frame.append(static_cast<char>(address + wire::address_byte_offset));
    frame.append(wire::STX);
    frame.append(text);
    frame.append(wire::ETX);
    return frame;
}

std::optional<QByteArray> frame_command(const QByteArray& text, bool protocol, int address) {
    if (protocol) return protocol_frame(text, address);
    return text + wire::CR;
}

QByteArray printable_bytes(const QByteArray& bytes) {
    QByteArray shown;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && c != '\\') {
            shown.append(c);
        } else if (c == '\\') {
            shown.append("\\\\");
        } else {
            shown.append("\\x");
            shown.append(QByteArray::number(u, 16).rightJustified(2, '0'));
        }
    }
    return shown;
}

std::optional<QByteArray> unescape_bytes(const QByteArray& typed) {
    QByteArray bytes;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (typed[i] != '\\') {
            bytes.append(typed[i]);
            continue;
        }
        if (i + 1 < typed.size() && typed[i + 1] == '\\') {
            bytes.append('\\');
            ++i;
            continue;
        }
        if (i + 3 >= typed.size() || (typed[i + 1] != 'x' && typed[i + 1] != 'X') ||
            !std::isxdigit(static_cast<unsigned char>(typed[i + 2])) ||
            !std::isxdigit(static_cast<unsigned char>(typed[i + 3]))) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(typed.mid(i + 2, 2).toInt(nullptr, 16)));
        i += 3;
    }
    return bytes;
}

}  // namespace zep::link
