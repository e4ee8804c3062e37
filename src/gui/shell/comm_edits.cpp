#include "gui/shell/comm_edits.h"

#include "core/program/startup.h"

namespace zep::gui {

void apply_comm_choice(QString& comm_string, link::comm_settings& comm, comm_choice choice,
                       int digit) {
    const auto position = static_cast<qsizetype>(choice) - 1;
    if (digit < 0 || digit > 9) return;
    if (comm_string.size() <= position) {
        comm_string = comm_string.leftJustified(position + 1, QLatin1Char('0'));
    }
    comm_string[position] = QChar(u'0' + digit);
    switch (choice) {
        case comm_choice::mode:
            comm.link_mode = digit;
            break;
        case comm_choice::protocol:
            comm.protocol = digit;
            break;
        case comm_choice::port:
            comm.port = digit;
            break;
        case comm_choice::speed:
            break;
    }
}

address_edit apply_address_edit(QString& comm_string, link::comm_settings& comm,
                                const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) return address_edit::unchanged;
    bool ok = false;
    const int address = digits.toInt(&ok);
    if (!ok) return address_edit::unchanged;
    if (address > highest_protocol_address) return address_edit::refused;
    // Only the address positions change; the decoded speed stays the one in use.
    const int speed_in_use = comm.speed_choice;
    program::apply_protocol_address(comm_string, comm, digits);
    comm.speed_choice = speed_in_use;
    return address_edit::applied;
}

}  // namespace zep::gui
