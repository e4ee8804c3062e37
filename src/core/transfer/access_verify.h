#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace zep::transfer {

// An access list as IDs, each with its schedule; a repeated ID counts once.
using access_ids = QHash<QByteArray, int>;

// The verify's verdict on what a reader holds after a download: "Verify complete - N IDs
// match", or "Verify failed - N missing, N unexpected, N with another schedule" followed
// by the first ten differing IDs in sorted order (the same list on every run), each on a
// line of its own. Schedules count only when `schedules` is set.
QString compare_access_lists(const access_ids& sent, const access_ids& held, bool schedules);

}  // namespace zep::transfer
