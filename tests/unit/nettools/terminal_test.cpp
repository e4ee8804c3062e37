// The terminal's character grid and keyboard, without a link.
#include <gtest/gtest.h>

#include <Qt>
#include <vector>

#include "core/nettools/terminal_grid.h"
#include "core/nettools/terminal_keys.h"

namespace zep::nettools {
namespace {

TEST(terminal_grid, draws_printables_as_characters_and_the_rest_as_hex) {
    // byte, drawn as a character, its hex pair
    const std::tuple<unsigned char, bool, const char*> rows[] = {
        {'V', true, "56"}, {'}', true, "7D"},  {'~', false, "7E"},
        {13, false, "0D"}, {133, false, "85"}, {255, false, "FF"}};
    for (const auto& [byte, character, hex] : rows) {
        EXPECT_EQ(drawn_as_character(byte), character) << int(byte);
        EXPECT_EQ(hex_pair(byte), QString::fromLatin1(hex)) << int(byte);
    }
}

TEST(terminal_grid, wraps_the_40th_character_and_clears_a_full_screen) {
    terminal_grid grid;
    for (int i = 0; i < 39; ++i) grid.put('a', byte_direction::sent);
    EXPECT_EQ(grid.row(), 1);
    grid.put('b', byte_direction::received);
    ASSERT_TRUE(grid.cell(2, 1));
    EXPECT_EQ(grid.cell(2, 1)->byte, 'b');
    EXPECT_EQ(grid.cell(2, 1)->direction, byte_direction::received);
    EXPECT_EQ(grid.cell(1, 39)->direction, byte_direction::sent);

    // Rows 2..22 filled to their end: the next character starts a clean screen.
    for (int i = 1; i < 21 * 39; ++i) grid.put('c', byte_direction::sent);
    EXPECT_EQ(grid.row(), 22);
    EXPECT_TRUE(grid.cell(22, 39));
    grid.put('d', byte_direction::sent);
    EXPECT_EQ(grid.cell(1, 1)->byte, 'd');
    EXPECT_FALSE(grid.cell(1, 2));
    EXPECT_FALSE(grid.cell(22, 39));
    EXPECT_EQ(grid.column(), 2);
}

// A run of key-downs, ALT releases and typed characters, and what they send.
struct key_event {
    enum { down, up, press } kind;
    int key = 0;
    bool keypad = false;
};

std::vector<int> sent(terminal_keys& keys, const std::vector<key_event>& events) {
    std::vector<int> bytes;
    for (const key_event& e : events) {
        if (e.kind == key_event::down) {
            const key_down_outcome out = keys.key_down(e.key, e.keypad);
            if (out.send) bytes.push_back(*out.send);
        } else if (e.kind == key_event::up) {
            if (const auto b = keys.alt_up()) bytes.push_back(*b);
        } else if (const auto b = keys.key_press(static_cast<unsigned char>(e.key))) {
            bytes.push_back(*b);
        }
    }
    return bytes;
}

TEST(terminal_keys, send_typed_function_and_alt_codes) {
    const key_event alt{key_event::down, Qt::Key_Alt};
    const key_event alt_up{key_event::up};
    const auto pad = [](int digit) { return key_event{key_event::down, Qt::Key_0 + digit, true}; };
    const auto typed = [](char c) { return key_event{key_event::press, c}; };
    struct row {
        const char* what;
        std::vector<key_event> events;
        std::vector<int> bytes;
    };
    const std::vector<row> rows{
        {"V", {typed('V')}, {86}},
        {"F9 at address 5", {{key_event::down, Qt::Key_F9}}, {133}},
        {"F10", {{key_event::down, Qt::Key_F10}}, {0}},
        {"ALT 6 5 swallows the next key",
         {alt, pad(6), pad(5), alt_up, typed('x'), typed('y')},
         {65, 'y'}},
        {"ALT alone", {alt, alt_up, typed('x')}, {0}},
        {"ALT 3 0 0", {alt, pad(3), pad(0), pad(0), alt_up, typed('x')}, {'x'}},
        {"Num Lock off: Right 6, End 1",
         {alt, {key_event::down, Qt::Key_Right}, {key_event::down, Qt::Key_End}, alt_up},
         {61}},
        {"top-row digits are no code", {alt, {key_event::down, Qt::Key_7}, alt_up}, {0}},
    };
    for (const row& r : rows) {
        terminal_keys keys(5);
        EXPECT_EQ(sent(keys, r.events), r.bytes) << r.what;
    }
}

}  // namespace
}  // namespace zep::nettools
