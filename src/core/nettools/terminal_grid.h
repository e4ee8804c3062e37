#pragma once

#include <QString>
#include <array>
#include <optional>

namespace zep::nettools {

inline constexpr int terminal_columns = 39;
inline constexpr int terminal_rows = 22;

// Which way a byte went: the operator's are drawn black, the reader's red.
enum class byte_direction { sent, received };

struct terminal_cell {
    unsigned char byte = 0;
    byte_direction direction = byte_direction::sent;
};

// Codes 32..125 are drawn as themselves; every other code as two hex digits.
bool drawn_as_character(unsigned char byte);
// "0D" for CR: two upper-case hex digits.
QString hex_pair(unsigned char byte);

// The terminal display: 39 columns by 22 rows, filled left to right, top to bottom. A full
// row wraps to the next; a full screen is cleared, not scrolled.
class terminal_grid {
  public:
    // Puts the byte at the next cell, wrapping (and clearing) first when needed.
    void put(unsigned char byte, byte_direction direction);
    void clear();

    // The next cell, counted from 1.
    int row() const { return row_; }
    int column() const { return column_; }
    // The cell at row, column (from 1); nullopt when nothing was drawn there.
    const std::optional<terminal_cell>& cell(int row, int column) const;

  private:
    void checkline();

    std::array<std::optional<terminal_cell>, terminal_columns * terminal_rows> cells_{};
    int row_ = 1;
    int column_ = 1;
};

}  // namespace zep::nettools
