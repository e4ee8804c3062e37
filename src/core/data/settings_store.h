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
// holds no whole number in -32768..32767 loads as its default, with a warning. A login
// password stored as plain text is replaced by its hash.
result<settings_state> load_or_create(database_file& db);

// Writes the fields of the settings row that differ from `loaded` (what this program read at
// start-up; `applyallcleartxt` and `applyalldownschtxt` are only ever read) and the flags of
// the marker row that differ from `loaded_marker`, in one transaction: either both rows
// change or neither. A field this program never changed is never written, so two programs
// on one database do not undo each other's changes. A row that is gone is written whole.
status save_settings(database_file& db, const settings_record& record, const marker_flags& marker,
                     const settings_record& loaded, const marker_flags& loaded_marker);

// The stored login password (a hash, a plain text, or empty: no prompt).
result<QString> read_login_password(database_file& db);
// Writes `loginpass` (stored as its hash) at once, in a transaction of its own.
status write_login_password(database_file& db, const QString& loginpass);

}  // namespace zep::data
