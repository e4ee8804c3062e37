#pragma once

namespace zep::records {

// Said when a screen would save over a record that another program (another PC) changed
// since the screen read it; the screen then reads it afresh.
inline constexpr auto changed_elsewhere_text =
    "This record was changed on another PC; the screen has been reloaded";

}  // namespace zep::records
