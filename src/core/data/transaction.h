#pragma once

#include <QString>

#include "core/result.h"

namespace zep::data {

class database_file;

// Groups writes so that they land together or not at all: rolls back on destruction
// unless commit() succeeded. Guards nest; an inner guard is a savepoint of the outer one.
// The outermost guard holds the database's write lock from its start (other programs'
// writers wait for it, readers do not).
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
    bool begin();
    // `native_code` receives the driver's code of a failure.
    bool run(const QString& sql, QString* native_code = nullptr);

    database_file& db_;
    QString savepoint_;
    bool outermost_ = false;
    bool active_ = false;
    QString error_;
};

}  // namespace zep::data
