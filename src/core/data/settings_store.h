#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/data/settings_record.h"
#include "core/result.h"

namespace zep::data {

class database_file;

// What the settings table holds, in memory.
struct settings_state {
    settings_record record;
    marker_flags marker;
    // One line for each 16-bit field whose stored value was unusable (loaded as its default).
    QStringList warnings;
};

// Reads the settings row and the marker row, adding whichever is missing with its
// defaults (both on a first start). The settings row is the first row that is not the
// marker; the marker row is the one whose `settings` is "9999999". A 16-bit field that
// holds no whole number in -32768..32767 loads as its default, with a warning.
result<settings_state> load_or_create(database_file& db);

// Writes every field of the settings row (but `applyallcleartxt` and `applyalldownschtxt`,
// which are only ever read) and the two flags of the marker row, both in one transaction:
// either both rows change or neither. A plain `loginpass` is stored as its hash.
status save_settings(database_file& db, const settings_record& record, const marker_flags& marker);

}  // namespace zep::data
