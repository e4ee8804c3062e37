#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/maintenance/setup_sequence.h"

namespace zep::data {
struct settings_record;
}

namespace zep::maintenance {

inline constexpr auto card_mask_range_text =
    "Mask start positions and lengths must be between 0 and 99";

// The "Set" buttons of the card-format screen that send something (the prox group is
// remembered only).
enum class format_group { barcode, magstripe, clear_mask };

// The settings a sequence is built from: "0"/"1" per position of barsettings (Code39,
// I2/5, 2/5, Codabar, Upca, Ean13, Code128, then the check digits of Code39, I2/5 and
// Code128) and magsettings (track 1, track 2); a start of 0 means no masking.
struct card_format_values {
    QString barsettings;
    int barstart = 0;
    int barlen = 0;
    QString magsettings;
    int mag1start = 0;
    int mag1len = 0;
    int mag2start = 0;
    int mag2len = 0;
};

card_format_values card_format_values_of(const data::settings_record& settings);

// The commands of one "Set", in the reader's order, with their list texts.
result<std::vector<setup_command>> card_format_sequence(format_group group,
                                                        const card_format_values& values);

// Pause after each command, the last one too; tests may shorten it.
inline constexpr int card_format_pause_ms = 200;

struct card_format_outcome {
    bool opened = false;  // the link opened; otherwise the failure was told as a message
    QStringList lines;    // list text + " - command sent" / " - no response"
    int silent = 0;       // commands that got no ACK
};

// Serial clears the screen's result list once the port is open; TCP keeps it.
bool clears_result_list(const link::link_endpoint& endpoint);

// The single reader: every command is sent however the ones before fared; each line goes
// to the result list as it is made.
card_format_outcome send_card_formats(link::reader_link& link, const utility_target& target,
                                      format_group group, const card_format_values& values,
                                      operator_port& person, int pause_ms = card_format_pause_ms);

// Every active reader: "Reader nnn - " + each line.
records::walk_result doall_card_formats(link::reader_link& link, const walk_inputs& inputs,
                                        format_group group, const card_format_values& values,
                                        operator_port& person, int pause_ms = card_format_pause_ms);

}  // namespace zep::maintenance
