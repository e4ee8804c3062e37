#pragma once

#include <QString>
#include <optional>

#include "core/commands/command_text.h"
#include "core/maintenance/utilities.h"
#include "core/maintenance/utilities_walks.h"
#include "core/records/active_reader_walk.h"

namespace zep::maintenance {

// Texts of the setup screen, as the operator sees them.
inline constexpr auto setup_inert_note_text = "Functions with a # are not currently operational";
inline constexpr auto record_length_range_text = "Record length must be between 4 and 40";
inline constexpr auto reader_times_range_text =
    "Relay Time and Red Led Time must be between 0 and 99";
inline constexpr auto delete_all_question =
    "This will delete all data in the reader\rDo you wish to continue?";
inline constexpr auto reset_all_question =
    "This will reset every active reader to factory defaults\rDo you wish to continue?";

// The buttons of the setup screen.
enum class setup_action { parameters, mode, reset, rs232_log, bad_log, clear_led };

// What a setup action sends: the three fields as typed (empty allowed), the stored mode
// code ("1" X, "2" KO, "3" ZEP, "4" Accum) and the "On"/"Off" choice of the logging sets.
struct setup_request {
    setup_action action = setup_action::parameters;
    QString reclen{};
    QString relay{};
    QString redled{};
    QString mode_code{};
    bool on = false;
};

// The mode digit the reader takes for a stored mode code; nullopt for an unknown code.
std::optional<commands::reader_mode> reader_mode_of(const QString& mode_code);

// One reader: checks the fields, asks before deleting the reader's data, sends, and tells
// the operator the result ("Reader settings set", "No response from reader", ...).
utility_outcome run_setup(link::reader_link& link, const utility_target& target,
                          const setup_request& request, operator_port& person);

// Every active reader: the same checks and question once, then one line per reader.
// Resetting every reader is asked first too.
records::walk_result doall_setup(link::reader_link& link, const walk_inputs& inputs,
                                 const setup_request& request, operator_port& person);

}  // namespace zep::maintenance
