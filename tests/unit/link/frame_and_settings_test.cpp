#include <gtest/gtest.h>

#include "core/link/com_ports.h"
#include "core/link/comm_settings.h"
#include "core/link/frame.h"

namespace zep {
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
        const link::comm_settings s = link::decode_comm_settings(r.text);
        EXPECT_EQ(s.tcp(), r.tcp) << r.text;
        EXPECT_EQ(s.protocol_on(), r.protocol) << r.text;
        EXPECT_EQ(s.port, r.port) << r.text;
        EXPECT_EQ(s.baud(), r.baud) << r.text;
        EXPECT_EQ(s.protocol_address, r.address) << r.text;
    }
}

// How a reader row's "Com2 19200" is read is held by the reader endpoint's tests.
TEST(com_ports, device_mapping) {
    link::com_device_map map;
    map[1] = "/dev/ttyUSB0";
    EXPECT_EQ(link::com_device_path(1, map), "/dev/ttyS0");
    EXPECT_EQ(link::com_device_path(2, map), "/dev/ttyUSB0");
    EXPECT_TRUE(link::com_device_path(6, map).isEmpty());
    qputenv("ZEP_COM2", "/tmp/fake-pty");
    EXPECT_EQ(link::com_device_path(2, map), "/tmp/fake-pty");
    qunsetenv("ZEP_COM2");
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values) out.append(static_cast<char>(v));
    return out;
}

TEST(frame, plain_and_protocol_frames_and_unframeable_addresses) {
    EXPECT_EQ(link::frame_command("V", false, 500), QByteArray("V\r"));  // plain: no address
    EXPECT_EQ(link::frame_command("V", true, 5), bytes({133, 2, 'V', 3}));
    EXPECT_EQ(link::frame_command("z", true, 0), bytes({128, 2, 'z', 3}));
    EXPECT_EQ(link::frame_command("z", true, 127), bytes({255, 2, 'z', 3}));
    EXPECT_EQ(link::frame_command(bytes({0, 'I', 'A', '0', '1', '2'}), true, 5),
              bytes({133, 2, 0, 'I', 'A', '0', '1', '2', 3}));
    EXPECT_FALSE(link::frame_command("V", true, 128));
    EXPECT_FALSE(link::frame_command("V", true, -1));
}

TEST(frame, escapes_typed_by_a_person) {
    EXPECT_EQ(link::unescape_bytes("\\x00ITP"), bytes({0, 'I', 'T', 'P'}));
    EXPECT_EQ(link::unescape_bytes("a\\\\b"), QByteArray("a\\b"));
    for (const char* bad : {"\\x4", "\\xZZ", "\\n"}) EXPECT_FALSE(link::unescape_bytes(bad)) << bad;
    const QByteArray raw = bytes({6, 2, 'A', '\\', 3, 200});
    EXPECT_EQ(link::printable_bytes(raw), QByteArray("\\x06\\x02A\\\\\\x03\\xc8"));
    EXPECT_EQ(link::unescape_bytes(link::printable_bytes(raw)), raw);
}

}  // namespace
}  // namespace zep
