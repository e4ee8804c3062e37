#include "sim/sim_line.h"

#include "sim/interpreter.h"

namespace zep::sim {

namespace {

constexpr char stx_char = 0x02;
constexpr char etx_char = 0x03;
constexpr char ack_char = 0x06;
constexpr char cr_char = 0x0d;
constexpr char nak_char = 0x15;

bool addressed(const reader& r, const received_command& command) {
    if (!command.framed) return !r.protocol;
    return r.protocol && (command.address == global_address || command.address == r.address);
}

QByteArray garbage(reader& r) {
    QByteArray noise;
    const int length = 3 + static_cast<int>(r.noise() % 10);
    for (int i = 0; i < length; ++i) noise.append(static_cast<char>('!' + r.noise() % 94));
    return noise;
}

// What a babbling reader repeats: every printable character, over and over.
QByteArray babble_block() {
    QByteArray block;
    for (int i = 0; i < 4096; ++i) block.append(static_cast<char>('!' + i % 94));
    return block;
}

// A faulty reader answers without running the command.
QByteArray answer(reader& r, const received_command& command, const QDateTime& now) {
    if (r.faults.babble) return babble_block();
    const bool record_request = command.text == "u" || command.text == "l";
    if (r.faults.nak || (r.faults.refuse_records && record_request))
        return command.framed ? QByteArray(1, nak_char) : QByteArray("?\r");
    if (r.faults.garbage) return garbage(r);
    return encode(execute(r, command.text, now), command.framed);
}

}  // namespace

std::vector<received_command> line_decoder::feed(QByteArrayView bytes) {
    std::vector<received_command> out;
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 128) {
            // An address byte starts a frame wherever we were: the host resynchronises.
            plain_.clear();
            address_ = static_cast<unsigned char>(byte) - 128;
            state_ = state::addressed;
            continue;
        }
        switch (state_) {
            case state::in_frame:
                if (byte == etx_char) {
                    out.push_back({true, address_, frame_});
                    state_ = state::idle;
                } else if (frame_.size() < max_command) {
                    frame_.append(byte);
                } else {
                    state_ = state::idle;
                }
                break;
            case state::addressed:
                if (byte == stx_char) {
                    frame_.clear();
                    state_ = state::in_frame;
                    break;
                }
                state_ = state::idle;
                take_idle(byte, out);
                break;
            case state::idle:
                take_idle(byte, out);
                break;
        }
    }
    return out;
}

void line_decoder::take_idle(char byte, std::vector<received_command>& out) {
    if (byte == stx_char || byte == etx_char || byte == ack_char) {
        plain_.clear();  // framing bytes, meaningless to a plain reader
    } else if (byte == cr_char) {
        if (!plain_.isEmpty())  // a lone CR only wakes the line
            out.push_back({false, -1, plain_});
        plain_.clear();
    } else if (plain_.size() < max_command) {
        plain_.append(byte);
    } else {
        plain_.clear();
    }
}

std::vector<outgoing> dispatch(std::vector<reader>& readers, const received_command& command,
                               const QDateTime& now) {
    std::vector<outgoing> out;
    for (std::size_t i = 0; i < readers.size(); ++i) {
        reader& r = readers[i];
        if (!addressed(r, command)) continue;
        // A silent reader still shows what reached it; it just never acts.
        r.note_received(command.text);
        if (r.faults.silent) continue;
        if (command.framed && command.address == global_address) {
            // Everyone acts on a global command and nobody answers it.
            if (!r.faults.nak && !r.faults.garbage && !r.faults.babble)
                execute(r, command.text, now);
            continue;
        }
        outgoing o;
        o.bytes = answer(r, command, now);
        o.reader = static_cast<int>(i);
        o.delay_ms = r.faults.delay_ms;
        o.baud = r.faults.baud;
        o.split = r.faults.split;
        o.endless = r.faults.babble;
        if (r.faults.drop_after > 0 && ++r.exchanges >= r.faults.drop_after) {
            r.exchanges = 0;
            o.drop_after = true;
        }
        if (r.faults.drop_mid_reply > 0 && o.bytes.size() > r.faults.drop_mid_reply) {
            o.bytes.truncate(r.faults.drop_mid_reply);
            o.drop_after = true;
        }
        const bool framed_data =
            o.bytes.size() > 2 && o.bytes[0] == ack_char && o.bytes[1] == stx_char;
        if (r.faults.late_body_ms > 0 && framed_data && !o.drop_after) {
            // The ACK goes out alone; the body follows as its own piece.
            outgoing body = o;
            body.bytes = o.bytes.sliced(1);
            body.delay_ms += r.faults.late_body_ms;
            o.bytes.truncate(1);
            out.push_back(std::move(o));
            out.push_back(std::move(body));
            continue;
        }
        if (!o.bytes.isEmpty() || o.drop_after) out.push_back(std::move(o));
    }
    return out;
}

}  // namespace zep::sim
