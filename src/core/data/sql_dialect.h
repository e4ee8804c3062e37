#pragma once

#include <QString>

#include "core/data/schema.h"

namespace zep::data {

enum class database_kind { sqlite, postgres };

// The SQL that differs between the embedded SQLite file and a PostgreSQL server; every
// other statement is written once for both. Results must come out the same on both, byte
// for byte and row for row, so the differences are spelled out here: text orders compare
// bytes (SQLite's BINARY, PostgreSQL's "C" collation), NULLs come first in an ascending
// order (SQLite's rule), and every name is quoted where its case matters.
class sql_dialect {
  public:
    explicit sql_dialect(database_kind kind = database_kind::sqlite) : kind_(kind) {}
    database_kind kind() const { return kind_; }
    bool postgres() const { return kind_ == database_kind::postgres; }

    // A text expression as a sort key or a range bound: compared byte by byte.
    QString text_key(const QString& expression) const;
    // What follows an ascending key that may be NULL, so that NULLs lead as in SQLite.
    QString nulls_first() const;
    // `expression` without blanks at either end (blanks only, not other white space).
    QString trim_blanks(const QString& expression) const;
    // An integer expression as at least three digits with leading zeros ("005").
    QString three_digits(const QString& expression) const;
    // The number a text starts with, 0 when it starts with none: SQLite's CAST, which a
    // server's CAST would refuse for a text written by another program.
    QString integer_of(const QString& expression) const;
    // A text with its ASCII letters lowered, and nothing else changed: the same on both
    // (SQLite's lower() folds ASCII alone; a server's would fold every letter).
    QString ascii_lower(const QString& expression) const;
    // The log's name order: trimmed last name, comma, trimmed first name, NULL as empty.
    // Written exactly as the index on it is, or the database would not use the index.
    QString log_name_key() const;
    // Opens a transaction that writes: SQLite takes the write lock at once.
    QString begin_write() const;

    // The schema as this database declares it.
    QString create_table(const schema::table& t) const;
    QString create_index(const schema::index& i) const;

  private:
    database_kind kind_;
};

}  // namespace zep::data
