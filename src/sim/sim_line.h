#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <vector>

#include "sim/reader_model.h"

namespace zep::sim {

inline constexpr int global_address = 127;

struct received_command {
    bool framed = false;
    int address = -1;  // protocol address of a framed command
    QByteArray text;
};

// Splits the byte stream a host sends into plain commands (text CR) and protocol
// frames (address+128 STX text ETX). One decoder per connection.
class line_decoder {
  public:
    static constexpr qsizetype max_command = 1024;

    std::vector<received_command> feed(QByteArrayView bytes);

  private:
    enum class state { idle, addressed, in_frame };
    void take_idle(char byte, std::vector<received_command>& out);

    state state_ = state::idle;
    int address_ = 0;
    QByteArray frame_;
    QByteArray plain_;
};

// Bytes one reader puts on the line for one command, with how to deliver them.
struct outgoing {
    QByteArray bytes;
    int reader = -1;
    int delay_ms = 0;
    int baud = 0;
    bool split = false;
    bool drop_after = false;  // close the connection once these bytes are out
    bool endless = false;     // send `bytes` again and again until the connection goes
};

// Hands one command to every reader on the line that should hear it and collects the
// answers, faults applied. Readers that must stay silent add nothing.
std::vector<outgoing> dispatch(std::vector<reader>& readers, const received_command& command,
                               const QDateTime& now);

}  // namespace zep::sim
