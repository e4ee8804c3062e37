#pragma once

#include <QString>

#include "core/link/comm_settings.h"

namespace zep::gui {

// The positions of the comm-settings string the communications screen's choices write.
enum class comm_choice { mode = 1, protocol = 2, port = 3, speed = 4 };

// Writes `digit` at the choice's position. Mode, protocol and port also change the decoded
// value at once; the speed only changes the string, the link keeps its speed until the
// next start.
void apply_comm_choice(QString& comm_string, link::comm_settings& comm, comm_choice choice,
                       int digit);

enum class address_edit { applied, unchanged, refused };

inline constexpr int highest_protocol_address = 127;
inline constexpr auto address_refused_text =
    "A protocol address goes from 0 to 127; larger addresses cannot be sent to a reader.";

// The protocol address box was edited: three digits into positions 5 to 7 and the decoded
// address. Empty leaves both unchanged; an address above 127 is refused, unchanged.
address_edit apply_address_edit(QString& comm_string, link::comm_settings& comm,
                                const QString& text);

}  // namespace zep::gui
