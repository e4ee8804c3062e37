#include "core/link/frame.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values) out.append(static_cast<char>(v));
    return out;
}

TEST(frame, plain_and_protocol_frames) {
    EXPECT_EQ(link::frame_command("V", false, 0), QByteArray("V\r"));
    EXPECT_EQ(link::frame_command("V", true, 5), bytes({133, 2, 'V', 3}));
    // The address byte is the address plus 128, at both ends of the range.
    EXPECT_EQ(link::frame_command("z", true, 0)->at(0), static_cast<char>(128));
    EXPECT_EQ(link::frame_command("z", true, 127)->at(0), static_cast<char>(255));
    // A NUL-prefixed body travels unchanged inside the frame.
    EXPECT_EQ(link::frame_command(bytes({0, 'I', 'A', '0', '1', '2'}), true, 5),
              bytes({133, 2, 0, 'I', 'A', '0', '1', '2', 3}));
}

TEST(frame, addresses_that_cannot_be_framed_are_refused) {
    EXPECT_FALSE(link::frame_command("V", true, 128).has_value());
    EXPECT_FALSE(link::frame_command("V", true, -1).has_value());
    // Plain mode ignores the address altogether.
    EXPECT_TRUE(link::frame_command("V", false, 500).has_value());
}

TEST(frame, escapes_round_trip) {
    EXPECT_EQ(link::unescape_bytes("\\x00ITP"), bytes({0, 'I', 'T', 'P'}));
    EXPECT_EQ(link::unescape_bytes("a\\\\b"), QByteArray("a\\b"));
    EXPECT_FALSE(link::unescape_bytes("\\x4").has_value());
    EXPECT_FALSE(link::unescape_bytes("\\xZZ").has_value());
    EXPECT_FALSE(link::unescape_bytes("\\n").has_value());
    const QByteArray raw = bytes({6, 2, 'A', '\\', 3, 200});
    EXPECT_EQ(link::printable_bytes(raw), QByteArray("\\x06\\x02A\\\\\\x03\\xc8"));
    EXPECT_EQ(link::unescape_bytes(link::printable_bytes(raw)), raw);
}

}  // namespace
}  // namespace zep
