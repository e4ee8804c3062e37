// The reads of the reader link over arbitrary bytes from the line, and the framing of
// commands. Input: byte 0 sets the size of the pieces the bytes arrive in and the protocol
// address to frame with; bytes 1-2 are a script of five reads, repeated; the rest is what
// the line delivers.

#include <QIODevice>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/link/frame.h"
#include "core/link/reader_link.h"
#include "core/link/wire.h"
#include "fuzz/fuzz_harness.h"

namespace {

using namespace zep::link;

// The line: hands the bytes out a piece at a time, as a serial port or a socket would. The
// next piece has arrived whenever the one before has been read, so no read depends on how
// soon a wait is served; once every byte is out, the next wait finds the line closed.
class arriving_bytes : public QIODevice {
  public:
    arriving_bytes(QByteArray bytes, qsizetype piece) : bytes_(std::move(bytes)), piece_(piece) {
        open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        if (!isOpen()) return 0;
        if (taken_ == released_) released_ = std::min(released_ + piece_, bytes_.size());
        return released_ - taken_ + QIODevice::bytesAvailable();
    }
    bool waitForReadyRead(int) override {
        if (bytesAvailable() > 0) return true;
        close();
        return false;
    }

  protected:
    qint64 readData(char* out, qint64 most) override {
        const qint64 n = std::min<qint64>(most, released_ - taken_);
        std::memcpy(out, bytes_.constData() + taken_, static_cast<size_t>(n));
        taken_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64 size) override { return size; }

  private:
    QByteArray bytes_;
    qsizetype piece_;
    mutable qsizetype released_ = 0;
    qsizetype taken_ = 0;
};

enum class op { reply_cr, reply_cr_double, framed, framed_double, ack, reply_etx, peek, discard };

struct step {
    QByteArray text;
    bool error = false;
    bool operator==(const step&) const = default;
};

// A good reply holds no terminator, but for a doubled one at its very end.
void check_good_reply(const QByteArray& text, char terminator, bool double_terminator) {
    ZEP_FUZZ_CHECK(text.size() <= byte_stream::max_reply + (double_terminator ? 1 : 0));
    const qsizetype at = text.indexOf(terminator);
    ZEP_FUZZ_CHECK(at < 0 || (double_terminator && at == text.size() - 1));
}

step read_once(byte_stream& stream, op what) {
    response_timer timer;
    start_response_timer(timer, 1000);
    step done;
    switch (what) {
        case op::reply_cr:
        case op::reply_cr_double:
        case op::reply_etx: {
            const bool twice = what == op::reply_cr_double;
            const char end = what == op::reply_etx ? wire::ETX : wire::CR;
            const link_read got = read_reply(stream, timer, end, twice);
            if (!got.error) check_good_reply(got.text, end, twice);
            done = {got.text, got.error};
            break;
        }
        case op::framed:
        case op::framed_double: {
            const bool twice = what == op::framed_double;
            const link_read got = read_framed(stream, timer, twice);
            if (!got.error) check_good_reply(got.text, wire::ETX, twice);
            done = {got.text, got.error};
            break;
        }
        case op::ack:
            done.error = !wait_ack(stream, timer);
            break;
        case op::peek: {
            const auto peeked = stream.peek_byte(1000);
            const auto taken = stream.next_byte(timer.deadline);
            ZEP_FUZZ_CHECK(peeked == taken);
            if (taken) done.text.append(*taken);
            done.error = !taken;
            stop_response_timer(timer);
            break;
        }
        case op::discard:
            stream.discard_input();
            ZEP_FUZZ_CHECK(!stream.peek_byte(1000));
            stop_response_timer(timer);
            break;
    }
    ZEP_FUZZ_CHECK(!timer.armed);
    // What a failed framed read hands back: ACK, one byte, and a reply cut short.
    ZEP_FUZZ_CHECK(done.text.size() <= byte_stream::max_reply + 3);
    return done;
}

// Runs the script over the line until a read meets the end of the bytes. Every read takes
// at least one byte or meets the end, so this ends.
std::vector<step> run_script(const QByteArray& bytes, qsizetype piece, std::uint16_t script) {
    arriving_bytes line(bytes, piece);
    byte_stream stream;
    stream.attach(&line);
    std::vector<step> steps;
    for (int i = 0; i <= bytes.size() + 1; ++i) {
        const auto what = static_cast<op>((script >> (3 * (i % 5))) & 7);
        steps.push_back(read_once(stream, what));
        // Only the end of the bytes fails a read with nothing received.
        if (what == op::discard || (steps.back().error && steps.back().text.isEmpty()))
            return steps;
    }
    zep::fuzz::broken("a read took no byte", __FILE__, __LINE__);
}

void check_framing(const QByteArray& text, int address) {
    ZEP_FUZZ_CHECK(frame_command(text, false, address) == text + wire::CR);
    const auto framed = frame_command(text, true, address);
    ZEP_FUZZ_CHECK(framed.has_value() == (address >= 0 && address <= wire::global_address));
    if (framed) {
        ZEP_FUZZ_CHECK(framed->size() == text.size() + 3);
        ZEP_FUZZ_CHECK(static_cast<unsigned char>(framed->at(0)) == address + 128);
        ZEP_FUZZ_CHECK(framed->at(1) == wire::STX && framed->back() == wire::ETX);
        ZEP_FUZZ_CHECK(framed->mid(2, text.size()) == text);
        // A reader frames its reply the same way, with ACK where the address byte is.
        if (!text.contains(wire::ETX) && text.size() <= byte_stream::max_reply) {
            arriving_bytes line(wire::ACK + framed->mid(1), 7);
            byte_stream stream;
            stream.attach(&line);
            response_timer timer;
            start_response_timer(timer, 1000);
            const link_read got = read_framed(stream, timer, false);
            ZEP_FUZZ_CHECK(!got.error && got.text == text);
        }
    }
}

void check_escapes(const QByteArray& text) {
    const QByteArray shown = printable_bytes(text);
    for (const char c : shown) ZEP_FUZZ_CHECK(c >= 0x20 && c < 0x7f);
    ZEP_FUZZ_CHECK(unescape_bytes(shown) == text);
    if (const auto typed = unescape_bytes(text)) {
        ZEP_FUZZ_CHECK(typed->size() <= text.size());
        ZEP_FUZZ_CHECK(unescape_bytes(printable_bytes(*typed)) == *typed);
        if (!text.contains('\\')) ZEP_FUZZ_CHECK(*typed == text);
    }
}

}  // namespace

ZEP_FUZZ_TARGET(input) {
    if (input.size() < 3) return;
    const qsizetype piece = 1 + zep::fuzz::byte_at(input, 0) % 16;
    const int address = zep::fuzz::byte_at(input, 0) - 64;
    const auto script = static_cast<std::uint16_t>(zep::fuzz::byte_at(input, 1) |
                                                   zep::fuzz::byte_at(input, 2) << 8);
    const QByteArray bytes = input.sliced(3);

    // However the bytes were split on the way, every read ends the same.
    const std::vector<step> whole = run_script(bytes, bytes.size() + 1, script);
    ZEP_FUZZ_CHECK(run_script(bytes, piece, script) == whole);

    check_framing(bytes, address);
    check_escapes(bytes);
}
