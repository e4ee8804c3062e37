#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/result.h"

namespace zep::data {

class database_file;

// One uploaded transaction. `DateTime` is "yyyy-mm-dd hh:mm:ss".
struct log_row {
    QString DateTime;
    QString readernum;  // three digits as uploaded
    QString readername;
    QString location;
    QString idnum;
    QString lastname;
    QString firstname;
    QString granted;  // "Y" granted, "N" refused
    // The row's identity in the table (dates repeat); set by reads, ignored by insert.
    qint64 id = 0;

    bool operator==(const log_row&) const = default;
};

// Return false to stop a walk early.
using log_visitor = std::function<bool(const log_row&)>;

// The `log` table in `DateTime` order; rows of equal date-time in the order they were
// stored. Walks stream row by row, so a large log is never held in memory.
class log_table {
  public:
    explicit log_table(database_file& db) : db_(db) {}

    // The first row stored with exactly this date-time, nullopt when there is none.
    result<std::optional<log_row>> find(const QString& date_time);
    // A failure when the walk could not run.
    status walk(const log_visitor& visit);
    // Rows whose date (first ten characters of DateTime, "yyyy-mm-dd") lies within
    // [from_date, to_date], both inclusive, compared as text.
    status walk_dates(const QString& from_date, const QString& to_date, const log_visitor& visit);
    result<qint64> count();
    // How many rows walk_dates() would visit.
    result<qint64> count_dates(const QString& from_date, const QString& to_date);
    result<bool> empty();

    status insert(const log_row& row);
    // All or none, in one transaction: an upload is either stored whole or not at all.
    status insert_all(const std::vector<log_row>& rows);
    // The same, storing each transaction once: a reader keeps its log until it is cleared, so
    // an upload cut short comes again whole at the next one. Rows already stored for the same
    // reader within the batch's first and last date-time, with equal DateTime, idnum and
    // granted, are those transactions, counted with multiplicity (two swipes of one card in
    // one second stay two). The count of rows added.
    result<qint64> insert_new(const std::vector<log_row>& rows);
    // Rewrites the row row.id; a failure when there is none.
    status update(const log_row& row);
    // A failure when there is no row `id`.
    status remove(qint64 id);
    // Deletes the rows walk_dates() would visit; the count deleted.
    result<qint64> remove_dates(const QString& from_date, const QString& to_date);

  private:
    status run_walk(const QString& where, const QVariantList& values, const log_visitor& visit);

    database_file& db_;
};

}  // namespace zep::data
