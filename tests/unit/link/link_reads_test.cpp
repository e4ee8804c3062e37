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

TEST(link_reads, plain_reply_ends_at_cr) {
    canned_reply r("ABC\rrest");
    const link::link_read got = link::read_reply(r.stream, r.timer, link::wire::CR, false);
    EXPECT_FALSE(got.error);
    EXPECT_EQ(got.text, "ABC");
    EXPECT_FALSE(r.timer.armed);
}

TEST(link_reads, double_terminator_mode) {
    {
        canned_reply r("ABC\r\r");
        const link::link_read got = link::read_reply(r.stream, r.timer, link::wire::CR, true);
        EXPECT_FALSE(got.error);
        EXPECT_EQ(got.text, "ABC\r");
    }
    {
        canned_reply r("ABC\rX");
        EXPECT_TRUE(link::read_reply(r.stream, r.timer, link::wire::CR, true).error);
    }
    {
        // Nothing after the terminator leaves the reply as it is.
        canned_reply r("ABC\r");
        const link::link_read got = link::read_reply(r.stream, r.timer, link::wire::CR, true);
        EXPECT_FALSE(got.error);
        EXPECT_EQ(got.text, "ABC");
    }
}

TEST(link_reads, framed_reply_needs_ack_stx) {
    {
        canned_reply r(
            "\x06\x02"
            "ABC\x03");
        const link::link_read got = link::read_framed(r.stream, r.timer, false);
        EXPECT_FALSE(got.error);
        EXPECT_EQ(got.text, "ABC");
    }
    {
        canned_reply r("\x15");
        EXPECT_TRUE(link::read_framed(r.stream, r.timer, false).error);
    }
    {
        canned_reply r(
            "\x06X"
            "ABC\x03");
        EXPECT_TRUE(link::read_framed(r.stream, r.timer, false).error);
    }
    {
        // An upload record whose schedule byte is ETX arrives whole.
        canned_reply r(
            "\x06\x02"
            "1234\x03\x03");
        const link::link_read got = link::read_framed(r.stream, r.timer, true);
        EXPECT_FALSE(got.error);
        EXPECT_EQ(got.text, "1234\x03");
    }
}

TEST(link_reads, missing_terminator_fails_and_keeps_partial_text) {
    canned_reply r("ABC");
    const link::link_read got = link::read_reply(r.stream, r.timer, link::wire::CR, false);
    EXPECT_TRUE(got.error);
    EXPECT_EQ(got.text, "ABC");
    EXPECT_FALSE(r.timer.armed);
}

TEST(link_reads, a_reply_of_4096_bytes_is_read_and_one_more_byte_fails) {
    {
        canned_reply r(QByteArray(4096, 'x') + "\r");
        const link::link_read got = link::read_reply(r.stream, r.timer, link::wire::CR, false);
        EXPECT_FALSE(got.error);
        EXPECT_EQ(got.text.size(), 4096);
    }
    {
        canned_reply r("\x06\x02" + QByteArray(4096, 'x') + "\x03");
        EXPECT_FALSE(link::read_framed(r.stream, r.timer, false).error);
    }
    {
        canned_reply r(QByteArray(4097, 'x') + "\r");
        EXPECT_TRUE(link::read_reply(r.stream, r.timer, link::wire::CR, false).error);
    }
}

TEST(link_reads, ack_wait_skips_other_bytes) {
    {
        canned_reply r("xy\x06");
        EXPECT_TRUE(link::wait_ack(r.stream, r.timer));
    }
    {
        canned_reply r("\x15");
        EXPECT_FALSE(link::wait_ack(r.stream, r.timer));
    }
}

}  // namespace
}  // namespace zep
