#pragma once

#include <QString>
#include <QStringList>

#include "core/result.h"

namespace zep::data {
class database_file;
}

namespace zep::records {

inline constexpr int longest_series = 100'000;
inline constexpr auto series_last_name = "Card";

// The "Add Series of Numbers to User File" panel as filled in.
struct series_request {
    QString start;  // digits; the IDs have at least as many digits as this
    QString end;
    QString schedule;  // 0..99, used with all_active
    bool all_active = false;
};

// The IDs of a series and what adding them would do.
struct series_plan {
    QStringList ids;  // start .. end, each with the start's digits
    qint64 existing = 0;
    QString schedule_code = QStringLiteral("  ");  // the slot written at active readers
    bool all_active = false;
    // "Add 10 users with the IDs 0001 to 0010?" (the existing ones are not counted).
    QString question() const;
};

// A refusal says what is wrong with the panel, in one line.
result<series_plan> plan_series(data::database_file& db, const series_request& request);
// Adds the IDs not stored yet, in one transaction: last name "Card", first name the ID,
// access at every active reader under the schedule when asked, else none. Existing IDs
// stay as they are. "Added 8 users (2 already existed)".
result<QString> add_series(data::database_file& db, const series_plan& plan);

}  // namespace zep::records
