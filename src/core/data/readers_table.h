#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/result.h"

namespace zep::data {

class database_file;

// One registered reader (0..126) and how it is reached.
struct reader_row {
    qint16 readernum = 0;
    QString readername;
    QString location;
    QString active;    // "Y" = active, empty = not
    QString timezone;  // whole hours added to the PC clock
    QString commmode;  // empty, "tcp/ip" (or "T"), or e.g. "Com3 19200"
    QString protocol;  // "Y" protocol mode, "N" plain
    QString address422;
    QString ipaddress;
    QString Port;

    bool operator==(const reader_row&) const = default;
};

// The `readers` table, keyed by `readernum`.
class readers_table {
  public:
    explicit readers_table(database_file& db) : db_(db) {}

    // The reader, nullopt when there is none; a failure when the table could not be read.
    result<std::optional<reader_row>> find(qint16 readernum);
    // Every reader in number order.
    status walk(const std::function<void(const reader_row&)>& visit);
    result<std::vector<reader_row>> all();
    result<qint64> count();

    // Refused (nothing written) when the number is already there.
    status insert(const reader_row& row);
    // All or none, in one transaction.
    status insert_all(const std::vector<reader_row>& rows);
    // Rewrites the reader row.readernum; a failure when there is none.
    status update(const reader_row& row);
    // Writes `now` only while the row still holds `was`: false when another program changed
    // or removed it meanwhile.
    result<bool> update_if(const reader_row& was, const reader_row& now);
    // A failure when there is no such reader.
    status remove(qint16 readernum);

  private:
    database_file& db_;
};

}  // namespace zep::data
