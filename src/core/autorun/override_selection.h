#pragma once

#include <QString>
#include <array>
#include <vector>

#include "core/records/active_reader_walk.h"
#include "core/result.h"

namespace zep::data {
struct reader_row;
}
namespace zep::data {
class readers_table;
}

namespace zep::autorun {

inline constexpr auto no_readers_in_system_text = "There are no readers in the system";

// One check box of the override screen.
struct override_box {
    QString caption;  // "007 Gate B"
    bool checked = false;
};

using override_boxes = std::array<override_box, records::reader_slots>;

// The readers the operator picked, for the rest of the program run, in place of the
// `active` marks. Memory only: never written to the database. Until the screen has been
// opened once the selection is pending and the marks decide.
class override_selection {
  public:
    bool pending() const { return pending_; }
    bool selected(int readernum) const;
    // How many readers the selection holds (0 while it is pending).
    int selected_count() const;

    // What the screen shows when it opens. The first opening copies the active marks into
    // the selection; later openings show the selection as it was left. A number without
    // a row is captioned by its number alone and stays unchecked.
    override_boxes loadup(const std::vector<data::reader_row>& rows);

    // Box `readernum` clicked to its new state.
    void set(int readernum, bool checked);
    // "Clear All".
    void clear_all();

    // The readers an apply-to-all action or the automatic run reaches.
    records::target_flags targets(const std::vector<data::reader_row>& rows) const;

  private:
    std::array<qint16, records::reader_slots> entries_{};
    bool pending_ = true;
};

// The one selection of this program run, created pending at start-up. Used from the
// thread that shows the screen; a walk takes its targets before it starts.
override_selection& program_override_selection();

// A failure is the message that keeps the screen shut: the readers table is empty, or
// cannot be read.
status override_screen_refusal(data::readers_table& readers);

}  // namespace zep::autorun
