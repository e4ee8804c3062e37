#include "core/link/comm_settings.h"

namespace zep::link {

namespace {

int digit_at(const QString& text, int index) {
    if (index >= text.size() || !text.at(index).isDigit()) return 0;
    return text.at(index).digitValue();
}

}  // namespace

comm_settings decode_comm_settings(const QString& text) {
    comm_settings decoded;
    decoded.link_mode = digit_at(text, 0);
    decoded.protocol = digit_at(text, 1);
    decoded.port = digit_at(text, 2);
    decoded.speed_choice = digit_at(text, 3);
    decoded.address_text = text.mid(4, 3);
    bool ok = false;
    const int address = decoded.address_text.toInt(&ok);
    decoded.protocol_address = ok ? address : 0;
    return decoded;
}

}  // namespace zep::link
