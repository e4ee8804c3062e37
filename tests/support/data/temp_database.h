#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "core/data/database_file.h"

namespace zep::test {

// A fresh database with the five tables in its own temporary folder, removed with it.
// Each instance uses its own connection name, so several can be open at once.
class temp_database {
  public:
    temp_database();
    ~temp_database();

    // The database file's path (the folder also suits files kept beside it).
    QString path() const { return path_; }
    QString folder() const { return dir_.path(); }
    data::database_file& db() { return *db_; }

    // Closes the connection, for tests that reopen the same file.
    void close();
    // Opens the file again on a new connection (after close()).
    data::database_file& reopen();

  private:
    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<data::database_file> db_;
};

// A connection name not used before in this process.
QString unique_connection_name();

}  // namespace zep::test
