#include <gtest/gtest.h>

#include <QBuffer>

#include "core/link/reader_link.h"
#include "core/link/wire.h"

namespace zep {
namespace {

// The reads over a device that already holds the reader's bytes.
struct canned_reply {
    QByteArray data;
    QBuffer buffer{&data};
    link::byte_stream stream;
    link::response_timer timer;

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
        const link::link_read got =
            r.read == kind::plain
                ? link::read_reply(canned.stream, canned.timer, link::wire::CR, r.double_terminator)
                : link::read_framed(canned.stream, canned.timer, r.double_terminator);
        EXPECT_EQ(got.error, r.error) << r.bytes.left(20).toHex().constData();
        EXPECT_EQ(got.text, r.text) << r.bytes.left(20).toHex().constData();
        EXPECT_FALSE(canned.timer.armed);
    }
}

TEST(link_reads, ack_wait_skips_other_bytes) {
    canned_reply acked("xy\x06");
    EXPECT_TRUE(link::wait_ack(acked.stream, acked.timer));
    canned_reply refused("\x15");
    EXPECT_FALSE(link::wait_ack(refused.stream, refused.timer));
}

}  // namespace
}  // namespace zep
