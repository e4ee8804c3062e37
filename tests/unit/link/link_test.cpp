// Frames, the comm-settings string, Com devices and the timed reads, without a line.
#include <gtest/gtest.h>

#include <QBuffer>

#include "core/link/com_ports.h"
#include "core/link/comm_settings.h"
#include "core/link/frame.h"
#include "core/link/reader_link.h"
#include "core/link/wire.h"

namespace zep::link {
namespace {

TEST(comm_settings_decoding, each_position_of_the_string) {
    struct row {
        const char* text;
        bool tcp;
        bool protocol;
        int port;
        int baud;
        int address;
    };
    const row rows[] = {
        {"2211000", false, false, 1, 9600, 0},    {"1121005", true, true, 2, 9600, 5},
        {"2232127", false, false, 3, 19200, 127},  // any speed digit but 1 is 19200
        {"2311000", false, false, 1, 9600, 0},     // any protocol digit but 1 is off
        {"1", true, false, 0, 19200, 0},           // short strings do not crash
        {"", false, false, 0, 19200, 0},
    };
    for (const row& r : rows) {
        const comm_settings s = decode_comm_settings(r.text);
        EXPECT_EQ(std::tuple(s.tcp(), s.protocol_on(), s.port, s.baud(), s.protocol_address),
                  std::tuple(r.tcp, r.protocol, r.port, r.baud, r.address))
            << r.text;
    }
}

// How a reader row's "Com2 19200" is read is held by the reader endpoint's tests.
TEST(com_ports, device_mapping) {
    com_device_map map;
    map[1] = "/dev/ttyUSB0";
    EXPECT_EQ(com_device_path(1, map), "/dev/ttyS0");
    EXPECT_EQ(com_device_path(2, map), "/dev/ttyUSB0");
    EXPECT_TRUE(com_device_path(6, map).isEmpty());
    qputenv("ZEP_COM2", "/tmp/fake-pty");
    EXPECT_EQ(com_device_path(2, map), "/tmp/fake-pty");
    qunsetenv("ZEP_COM2");
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values) out.append(static_cast<char>(v));
    return out;
}

TEST(frame, plain_and_protocol_frames_and_unframeable_addresses) {
    EXPECT_EQ(frame_command("V", false, 500), QByteArray("V\r"));  // plain: no address
    EXPECT_EQ(frame_command("V", true, 5), bytes({133, 2, 'V', 3}));
    EXPECT_EQ(frame_command("z", true, 0), bytes({128, 2, 'z', 3}));
    EXPECT_EQ(frame_command("z", true, 127), bytes({255, 2, 'z', 3}));
    EXPECT_EQ(frame_command(bytes({0, 'I', 'A', '0', '1', '2'}), true, 5),
              bytes({133, 2, 0, 'I', 'A', '0', '1', '2', 3}));
    EXPECT_FALSE(frame_command("V", true, 128));
    EXPECT_FALSE(frame_command("V", true, -1));
}

TEST(frame, escapes_typed_by_a_person) {
    EXPECT_EQ(unescape_bytes("\\x00ITP"), bytes({0, 'I', 'T', 'P'}));
    EXPECT_EQ(unescape_bytes("a\\\\b"), QByteArray("a\\b"));
    for (const char* bad : {"\\x4", "\\xZZ", "\\n"}) EXPECT_FALSE(unescape_bytes(bad)) << bad;
    const QByteArray raw = bytes({6, 2, 'A', '\\', 3, 200});
    EXPECT_EQ(printable_bytes(raw), QByteArray("\\x06\\x02A\\\\\\x03\\xc8"));
    EXPECT_EQ(unescape_bytes(printable_bytes(raw)), raw);
}

// The reads over a device that already holds the reader's bytes.
struct canned_reply {
    QByteArray data;
    QBuffer buffer{&data};
    byte_stream stream;
    response_timer timer;

    explicit canned_reply(const QByteArray& bytes) : data(bytes) {
        buffer.open(QIODevice::ReadOnly);
        stream.attach(&buffer);
        start_response_timer(timer, 50);
    }
};

TEST(link_reads, replies_end_at_their_terminator) {
    enum class kind { plain, framed };
    struct row {
        kind read;
        bool double_terminator;
        QByteArray bytes;
        QByteArray text;
        bool error;
    };
    const QByteArray longest(4096, 'x');
    const QByteArray ack_stx = "\x06\x02";
    const row rows[] = {
        {kind::plain, false, "ABC\rrest", "ABC", false},
        {kind::plain, false, "ABC", "ABC", true},  // no terminator: what came is kept
        {kind::plain, true, "ABC\r\r", "ABC\r", false},
        {kind::plain, true, "ABC\rX", "ABC", true},
        {kind::plain, true, "ABC\r", "ABC", false},
        {kind::framed, false, ack_stx + "ABC\x03", "ABC", false},
        {kind::framed, false, "\x15", "\x15", true},
        {kind::framed, false, "\x06XABC\x03", "\x06XABC", true},
        // An upload record whose schedule byte is ETX arrives whole.
        {kind::framed, true, ack_stx + "1234\x03\x03", "1234\x03", false},
        // 4096 text bytes are the longest reply; frame bytes do not count.
        {kind::plain, false, longest + "\r", longest, false},
        {kind::framed, false, ack_stx + longest + "\x03", longest, false},
        {kind::plain, false, longest + "x\r", longest, true}};
    for (const row& r : rows) {
        canned_reply canned(r.bytes);
        const link_read got =
            r.read == kind::plain
                ? read_reply(canned.stream, canned.timer, wire::CR, r.double_terminator)
                : read_framed(canned.stream, canned.timer, r.double_terminator);
        EXPECT_EQ(got.error, r.error) << r.bytes.left(20).toHex().constData();
        EXPECT_EQ(got.text, r.text) << r.bytes.left(20).toHex().constData();
        EXPECT_FALSE(canned.timer.armed);
    }
}

TEST(link_reads, ack_wait_skips_other_bytes) {
    canned_reply acked("xy\x06");
    EXPECT_TRUE(wait_ack(acked.stream, acked.timer));
    canned_reply refused("\x15");
    EXPECT_FALSE(wait_ack(refused.stream, refused.timer));
}

}  // namespace
}  // namespace zep::link
