#pragma once

#include <QString>
#include <optional>

namespace zep::nettools {

// What the terminal does about one key-down: whether the key goes no further, and the byte
// to send, if any.
struct key_down_outcome {
    bool consumed = false;
    std::optional<unsigned char> send;
};

// The keyboard of terminal mode: typed characters are sent as they are; F9 sends the
// reader's address byte, F10 a NUL; holding ALT while typing a decimal code on the keypad
// sends the byte with that code. Keys are Qt key codes.
class terminal_keys {
  public:
    explicit terminal_keys(int protocol_address = 0) : address_(protocol_address) {}

    void set_protocol_address(int address) { address_ = address; }
    // Back to the state of a freshly opened screen.
    void reset();

    // `keypad`: the key comes from the numeric keypad.
    key_down_outcome key_down(int key, bool keypad);
    // ALT was released: the code typed meanwhile, when below 256 (an empty code is 0).
    // The key press that follows a sent code is swallowed.
    std::optional<unsigned char> alt_up();
    // A typed character; nullopt when it is swallowed.
    std::optional<unsigned char> key_press(unsigned char code);

    bool alt_entry() const { return alt_entry_; }

  private:
    int address_;
    bool alt_entry_ = false;
    QString alt_code_;
    bool swallow_next_ = false;
};

}  // namespace zep::nettools
