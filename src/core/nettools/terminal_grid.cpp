#include "core/nettools/terminal_grid.h"

namespace zep::nettools {

bool drawn_as_character(unsigned char byte) {
    return byte >= 32 && byte <= 125;
}

QString hex_pair(unsigned char byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

void terminal_grid::checkline() {
    if (column_ <= terminal_columns) return;
    column_ = 1;
    if (++row_ > terminal_rows) clear();
}

void terminal_grid::put(unsigned char byte, byte_direction direction) {
    checkline();
    cells_[static_cast<std::size_t>((row_ - 1) * terminal_columns + column_ - 1)] =
        terminal_cell{byte, direction};
    ++column_;
}

void terminal_grid::clear() {
    cells_.fill(std::nullopt);
    row_ = 1;
    column_ = 1;
}

const std::optional<terminal_cell>& terminal_grid::cell(int row, int column) const {
    static const std::optional<terminal_cell> outside;
    if (row < 1 || row > terminal_rows || column < 1 || column > terminal_columns) return outside;
    return cells_[static_cast<std::size_t>((row - 1) * terminal_columns + column - 1)];
}

}  // namespace zep::nettools
