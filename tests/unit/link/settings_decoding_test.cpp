#include <gtest/gtest.h>

#include "core/link/com_ports.h"
#include "core/link/comm_settings.h"
#include "core/link/link_endpoint.h"

namespace zep {
namespace {

TEST(comm_settings_decoding, default_string) {
    const link::comm_settings s = link::decode_comm_settings(link::default_comm_settings);
    EXPECT_FALSE(s.tcp());
    EXPECT_FALSE(s.protocol_on());
    EXPECT_EQ(s.port, 1);
    EXPECT_EQ(s.baud(), 9600);
    EXPECT_EQ(s.protocol_address, 0);
}

TEST(comm_settings_decoding, tcp_protocol_port2_address5) {
    const link::comm_settings s = link::decode_comm_settings("1121005");
    EXPECT_TRUE(s.tcp());
    EXPECT_TRUE(s.protocol_on());
    EXPECT_EQ(s.port, 2);
    EXPECT_EQ(s.baud(), 9600);
    EXPECT_EQ(s.address_text, "005");
    EXPECT_EQ(s.protocol_address, 5);
    // Any speed digit but 1 is 19200; any protocol digit but 1 is off.
    EXPECT_EQ(link::decode_comm_settings("2232000").baud(), 19200);
    EXPECT_FALSE(link::decode_comm_settings("2311000").protocol_on());
}

TEST(comm_settings_decoding, short_or_broken_strings_do_not_crash) {
    const link::comm_settings s = link::decode_comm_settings("1");
    EXPECT_TRUE(s.tcp());
    EXPECT_EQ(s.port, 0);
    EXPECT_EQ(link::decode_comm_settings("").protocol_address, 0);
}

TEST(com_ports, reader_port_texts) {
    EXPECT_EQ(link::reader_port_number("Com3 19200"), 3);
    EXPECT_EQ(link::reader_port_baud("Com3 19200"), 19200);
    EXPECT_EQ(link::reader_port_baud("Com2 9600"), 9600);
    EXPECT_EQ(link::reader_port_number("Com9 9600"), 0);
    EXPECT_EQ(link::reader_port_number(""), 0);
    // Neither "9" nor "1" in the 6th place opens at 19200.
    EXPECT_EQ(link::reader_port_baud("Com1 x"), 19200);
}

TEST(com_ports, device_mapping_and_environment_override) {
    link::com_device_map map;
    map[1] = "/dev/ttyUSB0";
    EXPECT_EQ(link::com_device_path(1, map), "/dev/ttyS0");
    EXPECT_EQ(link::com_device_path(2, map), "/dev/ttyUSB0");
    EXPECT_TRUE(link::com_device_path(6, map).isEmpty());
    qputenv("ZEP_COM2", "/tmp/fake-pty");
    EXPECT_EQ(link::com_device_path(2, map), "/tmp/fake-pty");
    qunsetenv("ZEP_COM2");
}

TEST(link_endpoint, single_reader_endpoint_and_time_outs) {
    link::single_reader_settings s;
    s.comm = link::decode_comm_settings("1121005");
    s.ipaddress = "127.0.0.1";
    s.port_text = "4001";
    const link::link_endpoint e = link::single_reader_endpoint(s);
    EXPECT_TRUE(e.tcp());
    EXPECT_TRUE(e.protocol);
    EXPECT_EQ(e.address, 5);
    EXPECT_EQ(link::standard_timeout_ms(e), 2000);
    s.comm = link::decode_comm_settings("2211000");
    EXPECT_EQ(link::standard_timeout_ms(link::single_reader_endpoint(s)), 200);
    s.comm = link::decode_comm_settings("2111000");
    EXPECT_EQ(link::standard_timeout_ms(link::single_reader_endpoint(s)), 400);
}

}  // namespace
}  // namespace zep
