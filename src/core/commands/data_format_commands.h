#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace zep::commands {

// Bar code, magnetic stripe and proximity data-format commands: one NUL byte, then letters.
// The check-digit letters are not uniform in the reader: Code39 takes "E" for on, I2/5 and
// Code128 take "D" for on.
namespace data_format_letters {
inline constexpr auto code39_on = "AO", code39_off = "AF";
inline constexpr auto i25_on = "HO", i25_off = "HF";
inline constexpr auto code128_on = "BO", code128_off = "BF";
inline constexpr auto two_of_five_on = "GO", two_of_five_off = "GF";
inline constexpr auto codabar_on = "CO", codabar_off = "CF";
inline constexpr auto upca_on = "NO", upca_off = "NF";
inline constexpr auto ean13_on = "EO", ean13_off = "EF";
inline constexpr auto code39_check_on = "ACE", code39_check_off = "ACD";
inline constexpr auto i25_check_on = "HCD", i25_check_off = "HCE";
inline constexpr auto code128_check_on = "BCD", code128_check_off = "BCE";
inline constexpr auto track1_on = "M1O", track1_off = "M1F";
inline constexpr auto track2_on = "M2O", track2_off = "M2F";
inline constexpr auto activate_masking = "TA";
inline constexpr auto mask_reset = "TR";
}  // namespace data_format_letters

// NUL followed by the letters.
QByteArray data_format_command(QByteArrayView letters);

// Mask commands: NUL, the mask letters, then start and length as two digits each
// (0..99); nullopt when either does not fit.
std::optional<QByteArray> barcode_mask_command(int start, int length);  // "T00"
std::optional<QByteArray> track1_mask_command(int start, int length);   // "T0:"
std::optional<QByteArray> track2_mask_command(int start, int length);   // "T05"

}  // namespace zep::commands
