#include "core/maintenance/card_formats.h"

#include "core/commands/data_format_commands.h"
#include "core/data/settings_record.h"
#include "core/operator.h"

namespace zep::maintenance {

namespace {

namespace letters = commands::data_format_letters;
using command_list = std::vector<setup_command>;

// One on/off switch: its list name, its position in the settings text (from 1), and the
// letters for on and off.
struct format_switch {
    const char* name;
    int position;
    const char* on;
    const char* off;
};

// In the order the reader is told them, which is not the order of barsettings.
constexpr format_switch barcode_switches[] = {
    {"Code 39", 1, letters::code39_on, letters::code39_off},
    {"I2/5", 2, letters::i25_on, letters::i25_off},
    {"Code128", 7, letters::code128_on, letters::code128_off},
    {"2/5", 3, letters::two_of_five_on, letters::two_of_five_off},
    {"Codabar", 4, letters::codabar_on, letters::codabar_off},
    {"Upca", 5, letters::upca_on, letters::upca_off},
    {"Ean13", 6, letters::ean13_on, letters::ean13_off},
    {"C39 check digit", 8, letters::code39_check_on, letters::code39_check_off},
    {"I2/5 check digit", 9, letters::i25_check_on, letters::i25_check_off},
    {"C128 check digit", 10, letters::code128_check_on, letters::code128_check_off},
};

constexpr format_switch track_switches[] = {
    {"Track 1", 1, letters::track1_on, letters::track1_off},
    {"Track 2", 2, letters::track2_on, letters::track2_off},
};

void add_switches(command_list& into, const auto& switches, const QString& settings) {
    for (const format_switch& s : switches) {
        const bool on = settings.mid(s.position - 1, 1) == QLatin1String("1");
        into.push_back(
            {QString::fromLatin1(s.name) + (on ? QStringLiteral(" On") : QStringLiteral(" Off")),
             commands::data_format_command(on ? s.on : s.off)});
    }
}

QString two_digits(int value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

using mask_builder = std::optional<QByteArray> (*)(int, int);

// False when the start or length does not fit its two digits.
bool add_mask(command_list& into, const char* what, mask_builder build, int start, int length) {
    const auto command = build(start, length);
    if (!command) return false;
    into.push_back({QString::fromLatin1(what) + QStringLiteral(" mask start position ") +
                        two_digits(start) + QStringLiteral(" for a length of ") +
                        two_digits(length),
                    *command});
    return true;
}

setup_command activate(const char* text) {
    return {QString::fromLatin1(text), commands::data_format_command(letters::activate_masking)};
}

sequence_profile format_profile(int pause_ms) {
    sequence_profile profile;
    profile.stop_at_silence = false;
    profile.pause_ms = pause_ms;
    return profile;
}

QString result_line(const setup_command& command, bool acked) {
    return command.text + QLatin1String(acked ? command_sent_text : command_silent_text);
}

}  // namespace

card_format_values card_format_values_of(const data::settings_record& s) {
    return {s.barsettings, s.barstart, s.barlen,    s.magsettings,
            s.mag1start,   s.mag1len,  s.mag2start, s.mag2len};
}

result<std::vector<setup_command>> card_format_sequence(format_group group,
                                                        const card_format_values& v) {
    command_list list;
    bool fits = true;
    switch (group) {
        case format_group::barcode:
            add_switches(list, barcode_switches, v.barsettings);
            if (v.barstart != 0) {
                fits =
                    add_mask(list, "barcode", commands::barcode_mask_command, v.barstart, v.barlen);
                list.push_back(activate("Activate barcode masking"));
            }
            break;
        case format_group::magstripe:
            add_switches(list, track_switches, v.magsettings);
            if (v.mag1start != 0) {
                fits = add_mask(list, "track 1", commands::track1_mask_command, v.mag1start,
                                v.mag1len);
            }
            if (v.mag2start != 0) {
                fits = add_mask(list, "track 2", commands::track2_mask_command, v.mag2start,
                                v.mag2len) &&
                       fits;
            }
            if (v.mag1start != 0 || v.mag2start != 0) {
                list.push_back(activate("Activate magstripe masking"));
            }
            break;
        case format_group::clear_mask:
            list.push_back({QStringLiteral("Table/Mask Reset"),
                            commands::data_format_command(letters::mask_reset)});
            break;
    }
    if (!fits) return status::failure(QString::fromLatin1(card_mask_range_text));
    return list;
}

bool clears_result_list(const link::link_endpoint& endpoint) {
    return !endpoint.tcp();
}

card_format_outcome send_card_formats(link::reader_link& link, const utility_target& target,
                                      format_group group, const card_format_values& values,
                                      operator_port& person, int pause_ms) {
    card_format_outcome outcome;
    const auto commands = card_format_sequence(group, values);
    if (!commands) {
        person.message(commands.error());
        return outcome;
    }
    const auto report = [&](const setup_command& command, bool acked) {
        const QString line = result_line(command, acked);
        outcome.lines << line;
        if (!acked) ++outcome.silent;
        person.status_line(line);
    };
    const result<command_acks> sent =
        send_setup_sequence(link, target, *commands, format_profile(pause_ms), person, report);
    if (!sent) {
        if (!person.cancelled()) person.message(sent.error());
        return outcome;
    }
    outcome.opened = true;
    return outcome;
}

records::walk_result doall_card_formats(link::reader_link& link, const walk_inputs& inputs,
                                        format_group group, const card_format_values& values,
                                        operator_port& person, int pause_ms) {
    static constexpr const char* headers[] = {"Sending barcode settings to all active readers",
                                              "Sending magstripe settings to all active readers",
                                              "Clearing masking in all active readers"};
    const auto commands = card_format_sequence(group, values);
    const auto prepare = [&] {
        if (!commands) person.message(commands.error());
        return commands.ok();
    };
    return walk_setup_sequence(link, inputs, QString::fromLatin1(headers[static_cast<int>(group)]),
                               commands ? *commands : command_list{}, format_profile(pause_ms),
                               person, prepare);
}

}  // namespace zep::maintenance
