#include "core/nettools/terminal_keys.h"

#include <Qt>

#include "core/link/wire.h"

namespace zep::nettools {

namespace {

// The keypad digit a key stands for while ALT is held: the digits themselves, and with Num
// Lock off the navigation keys printed on the same keys.
std::optional<char> keypad_digit(int key, bool keypad) {
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<char>(key);
    switch (key) {
        case Qt::Key_Insert:
            return '0';
        case Qt::Key_End:
            return '1';
        case Qt::Key_Down:
            return '2';
        case Qt::Key_PageDown:
            return '3';
        case Qt::Key_Left:
            return '4';
        case Qt::Key_Clear:
            return '5';
        case Qt::Key_Right:
            return '6';
        case Qt::Key_Home:
            return '7';
        case Qt::Key_Up:
            return '8';
        case Qt::Key_PageUp:
            return '9';
        default:
            return std::nullopt;
    }
}

}  // namespace

void terminal_keys::reset() {
    alt_entry_ = false;
    alt_code_.clear();
    swallow_next_ = false;
}

key_down_outcome terminal_keys::key_down(int key, bool keypad) {
    if (key == Qt::Key_Alt) {
        alt_entry_ = true;
        alt_code_.clear();
        return {true, std::nullopt};
    }
    if (alt_entry_) {
        if (const auto digit = keypad_digit(key, keypad)) alt_code_ += QLatin1Char(*digit);
        return {true, std::nullopt};
    }
    if (key == Qt::Key_F9) {
        return {true, static_cast<unsigned char>(link::wire::address_byte_offset + address_)};
    }
    if (key == Qt::Key_F10) return {true, static_cast<unsigned char>(link::wire::NUL)};
    return {};
}

std::optional<unsigned char> terminal_keys::alt_up() {
    if (!alt_entry_) return std::nullopt;
    alt_entry_ = false;
    // Leading zeros do not count; more digits than a byte can take never make one.
    const QString digits = alt_code_.isEmpty() ? QStringLiteral("0") : alt_code_;
    const int value = digits.size() > 9 ? 256 : digits.toInt();
    if (value >= 256) return std::nullopt;
    swallow_next_ = true;
    return static_cast<unsigned char>(value);
}

std::optional<unsigned char> terminal_keys::key_press(unsigned char code) {
    if (swallow_next_) {
        swallow_next_ = false;
        return std::nullopt;
    }
    return code;
}

}  // namespace zep::nettools
