#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
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

// SQL run on the file at `path` over a connection of its own, as another program would:
// the first error, empty when every statement ran.
QString run_sql(const QString& path, const QStringList& statements);
// Column `column` of every row of `sql` on the file at `path`.
QStringList query_column(const QString& path, const QString& sql, int column = 0);
QByteArray file_bytes(const QString& path);
// Writes `bytes` to a new file at `path` (a failure fails the test); returns `path`.
QString write_file(const QString& path, const QByteArray& bytes);

// A trigger that refuses every `change` ("INSERT", "UPDATE", "DELETE") on `table`.
QString refusing_trigger(const QString& change, const QString& table);

// Cuts the closed database file at `path` to half its length, as a copy stopped short
// would, and clears the page count its header keeps: SQLite then opens it and finds the
// damage only when a walk reaches the lost pages.
void cut_short(const QString& path);

}  // namespace zep::test
