#pragma once

#include <QByteArray>
#include <optional>

namespace zep::link {

// The bytes that carry one command. Plain mode: text then CR. Protocol mode: the address
// byte (address + 128), STX, text, ETX. An address outside 0..127 cannot be framed.
std::optional<QByteArray> frame_command(const QByteArray& text, bool protocol, int address);

// The frame of a protocol-mode command; nullopt for an address outside 0..127.
std::optional<QByteArray> protocol_frame(const QByteArray& text, int address);

bool valid_protocol_address(int address);

// Shows bytes for a person: printable ASCII as is, everything else as \xHH.
QByteArray printable_bytes(const QByteArray& bytes);

// Reads \xHH and \\ escapes typed by a person into bytes; nullopt on a bad escape.
std::optional<QByteArray> unescape_bytes(const QByteArray& typed);

}  // namespace zep::link
