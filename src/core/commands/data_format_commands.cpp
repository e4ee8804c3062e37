#include "core/commands/data_format_commands.h"

#include "core/commands/command_text.h"
#include "core/link/wire.h"

namespace zep::commands {

namespace {

std::optional<QByteArray> mask_command(QByteArrayView letters, int start, int length) {
    const auto start_digits = padded_digits(start, 2, 0, 99);
    const auto length_digits = padded_digits(length, 2, 0, 99);
    if (!start_digits || !length_digits) return std::nullopt;
    return data_format_command(letters) + *start_digits + *length_digits;
}

}  // namespace

QByteArray data_format_command(QByteArrayView letters) {
    QByteArray text(1, link::wire::NUL);
    text.append(letters);
    return text;
}

std::optional<QByteArray> barcode_mask_command(int start, int length) {
    return mask_command("T00", start, length);
}

std::optional<QByteArray> track1_mask_command(int start, int length) {
    return mask_command("T0:", start, length);
}

std::optional<QByteArray> track2_mask_command(int start, int length) {
    return mask_command("T05", start, length);
}

}  // namespace zep::commands
