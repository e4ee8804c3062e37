#pragma once

namespace zep::link::wire {

// Control characters of the reader protocol.
inline constexpr char NUL = 0x00;
inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char ACK = 0x06;
inline constexpr char CR = 0x0d;
inline constexpr char NAK = 0x15;

// Protocol addresses 0..126 name one reader; 127 is taken by every reader on the line
// and answered by none.
inline constexpr int global_address = 127;
inline constexpr int address_byte_offset = 128;

}  // namespace zep::link::wire
