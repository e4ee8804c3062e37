#pragma once

#include <QString>

#include "core/result.h"

namespace zep::data {

class database_file;

// Groups writes so that they land together or not at all: rolls back on destruction
// unless commit() succeeded. Guards nest; an inner guard is a savepoint of the outer one.
class transaction {
  public:
    explicit transaction(database_file& db);
    ~transaction();
    transaction(const transaction&) = delete;
    transaction& operator=(const transaction&) = delete;

    // False when the transaction could not be begun; writes then must not go ahead.
    [[nodiscard]] bool active() const { return active_; }
    status commit();
    void rollback();
    QString error() const { return error_; }

  private:
    bool run(const QString& sql);

    database_file& db_;
    QString savepoint_;
    bool active_ = false;
    QString error_;
};

}  // namespace zep::data
