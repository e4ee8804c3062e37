#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace zep::data {

class database_file;

// One card holder. `schedules` holds 127 two-character slots, one per reader number:
// two blanks = no access there, two digits = the schedule used there.
struct user_row {
    QString userid;
    QString lastname;
    QString firstname;
    QString schedules;

    bool operator==(const user_row&) const = default;
};

// The `users` table, keyed by the unique `userid`.
class users_table {
  public:
    explicit users_table(database_file& db) : db_(db) {}

    std::optional<user_row> find(const QString& userid);
    // Every user in `userid` order.
    void walk(const std::function<void(const user_row&)>& visit);
    std::vector<user_row> all();
    qint64 count();

    // False (nothing written) when the userid is already there.
    bool insert(const user_row& row);
    // All or none, in one transaction.
    bool insert_all(const std::vector<user_row>& rows);
    // Rewrites the user with row.userid; false when there is none.
    bool update(const user_row& row);
    bool remove(const QString& userid);

    const QString& last_error() const { return error_; }

  private:
    database_file& db_;
    QString error_;
};

}  // namespace zep::data
