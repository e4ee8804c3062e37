#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "core/data/database_file.h"

namespace zep::test {

// The backend the database tests run on: the SQLite file, or with
// ZEP_TEST_DATABASE=postgres a PostgreSQL server started for the test run (see
// test_server_uri()).
bool server_backend();
// The URI of a new, empty database of its own on the test server.
QString new_server_database();
void drop_server_database(const QString& uri);

// For a test of what only the file has (its bytes, PRAGMAs, SQLite's own SQL).
#define ZEP_SQLITE_ONLY() \
    if (::zep::test::server_backend()) GTEST_SKIP() << "the SQLite file only"

// A fresh database with the five tables: a file in its own temporary folder, or a
// database of its own on the test server; removed with it. Each instance uses its own
// connection name, so several can be open at once.
class temp_database {
  public:
    temp_database();
    ~temp_database();

    // The database file's path or the server database's URI (the folder suits files kept
    // beside it either way).
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

// SQL run on the database at `path` (a file or a URI) over a connection of its own, as
// another program would:
// the first error, empty when every statement ran.
QString run_sql(const QString& path, const QStringList& statements);
// Column `column` of every row of `sql` on the file at `path`.
QStringList query_column(const QString& path, const QString& sql, int column = 0);
QByteArray file_bytes(const QString& path);
// Writes `bytes` to a new file at `path` (a failure fails the test); returns `path`.
QString write_file(const QString& path, const QByteArray& bytes);

// A trigger that refuses every `change` ("INSERT", "UPDATE", "DELETE") on `table` (only of
// the rows `when` holds for, if given), in the SQL of the backend under test.
QString refusing_trigger(const QString& change, const QString& table, const QString& when = {});
// Removes that trigger again.
QString dropping_trigger(const QString& change, const QString& table);

// Cuts the closed database file at `path` to half its length, as a copy stopped short
// would, and clears the page count its header keeps: SQLite then opens it and finds the
// damage only when a walk reaches the lost pages.
void cut_short(const QString& path);

}  // namespace zep::test
