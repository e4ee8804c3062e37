#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/result.h"

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

    // The user, nullopt when there is none; a failure when the table could not be read.
    result<std::optional<user_row>> find(const QString& userid);
    // Every user in `userid` order.
    status walk(const std::function<void(const user_row&)>& visit);
    result<std::vector<user_row>> all();
    result<qint64> count();
    result<bool> empty();

    // Refused (nothing written) when the userid is already there.
    status insert(const user_row& row);
    // All or none, in one transaction.
    status insert_all(const std::vector<user_row>& rows);
    // Rewrites the user with row.userid; a failure when there is none.
    status update(const user_row& row);
    // Rewrites each row found by its userid, in one transaction through one statement.
    status update_all(const std::vector<user_row>& rows);
    // Writes `now` over the row `was` only while it still holds what `was` read (its key
    // may change too): false, and nothing written, when another program changed or
    // removed it meanwhile.
    result<bool> update_if(const user_row& was, const user_row& now);
    // A failure when there is no such user.
    status remove(const QString& userid);

  private:
    database_file& db_;
};

}  // namespace zep::data
