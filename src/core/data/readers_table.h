#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

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

    std::optional<reader_row> find(qint16 readernum);
    // Every reader in number order.
    void walk(const std::function<void(const reader_row&)>& visit);
    std::vector<reader_row> all();
    qint64 count();

    bool insert(const reader_row& row);
    // All or none, in one transaction.
    bool insert_all(const std::vector<reader_row>& rows);
    // Rewrites the reader row.readernum; false when there is none.
    bool update(const reader_row& row);
    bool remove(qint16 readernum);

    const QString& last_error() const { return error_; }

  private:
    database_file& db_;
    QString error_;
};

}  // namespace zep::data
