#pragma once

#include <QByteArray>
#include <QDateTime>

#include "sim/reader_model.h"

namespace zep::sim {

// What a reader does about one command, before it is framed for the line.
struct command_result {
    enum class kind {
        none,  // no answer in either mode
        ack,   // protocol: lone ACK; plain: no answer
        nak,   // protocol: lone NAK; plain: no answer
        data,  // protocol: ACK STX text ETX; plain: text CR
    };
    kind what = kind::none;
    QByteArray text;

    static command_result silence() { return {kind::none, {}}; }
    static command_result acked() { return {kind::ack, {}}; }
    static command_result naked() { return {kind::nak, {}}; }
    static command_result reply(QByteArray text) { return {kind::data, std::move(text)}; }
};

// Runs one command (the text inside the frame, or before CR) on the reader.
// `now` is the host's wall clock; the reader adds its own offset.
command_result execute(reader& r, const QByteArray& command, const QDateTime& now);

// Puts a result on the wire the way the command arrived.
QByteArray encode(const command_result& result, bool framed);

}  // namespace zep::sim
