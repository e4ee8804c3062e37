#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace zep::data {

class database_file;

// One automatic run at a time on a database, across every program and PC that uses it.
// Beside a database file it is the lock file "zep.db.lock" (a dead owner's is taken
// over); on a server it is a session-level advisory lock, which the server releases with
// the connection of a PC that crashed. Held until the object goes.
class run_lock {
  public:
    explicit run_lock(database_file& db);
    ~run_lock();
    run_lock(const run_lock&) = delete;
    run_lock& operator=(const run_lock&) = delete;

    enum class outcome { taken, held_elsewhere, failed };
    outcome try_lock();
    // Why the lock could not be had, when try_lock() failed.
    const QString& error() const { return error_; }

  private:
    database_file& db_;
    std::unique_ptr<QLockFile> file_;
    bool held_on_server_ = false;
    QString error_;
};

// The lock file of a database file.
QString run_lock_path(const QString& database_path);

}  // namespace zep::data
