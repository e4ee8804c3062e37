#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>

#include "core/data/sql_dialect.h"
#include "core/result.h"

namespace zep::data {

// Where a database is: a SQLite file (a path), or a PostgreSQL database named by a URI
// postgresql://[user@]host[:port]/dbname[?sslmode=...]. A password never comes from here:
// the server's own means (~/.pgpass, PGPASSWORD, a service file) provide it.
struct database_location {
    database_kind kind = database_kind::sqlite;
    QString text;  // the path or the URI as given
    // A server's: host name or address, or the folder of its Unix socket ("/run/postgresql").
    QString host;
    int port = -1;
    QString user;
    QString dbname;
    QString options;  // libpq's own, "key=value" joined by ";" (sslmode, service, ...)

    bool server() const { return kind == database_kind::postgres; }
    // How the operator is told which database is open: the file's path, or host (and
    // port) and database name of a server; never a password.
    QString display() const;
};

// A path is a file; "postgresql://" or "postgres://" starts a server URI. A URI that holds
// a password, or cannot be read, is refused.
result<database_location> parse_database_location(const QString& text);

// Where the database lives: `--db PATH` when given, else $ZEP_HOME/zep.db, else
// $XDG_DATA_HOME/zep/zep.db, else ~/.local/share/zep/zep.db. Empty variables count as unset.
QString resolve_database_path(const QString& db_arg);

// One connection to the program's database: the SQLite file, or a PostgreSQL database
// shared by several PCs. Each thread that touches the database opens its own, under a
// connection name unique to that thread.
class database_file {
  public:
    // Opens `path` (a file path or a server URI) on the connection `connection_name`.
    // When the file is absent or empty, or the server database holds none of our tables,
    // the five tables and their indexes are created, whole or not at all (a new file
    // readable by its owner only); an existing one must hold every table and field and the
    // documented indexes, or it is refused untouched. A file's folder must exist unless
    // `make_folder` (the default place is made on first use; a folder typed by mistake is
    // not). A failure names the file (or folder, or server and database) and what is wrong
    // with it, in one line.
    static result<std::unique_ptr<database_file>> open(const QString& path,
                                                       const QString& connection_name,
                                                       bool make_folder = false);

    ~database_file();
    database_file(const database_file&) = delete;
    database_file& operator=(const database_file&) = delete;

    // The connection; valid until close().
    QSqlDatabase connection() const;
    const QString& path() const { return path_; }
    const database_location& location() const { return location_; }
    const sql_dialect& dialect() const { return dialect_; }
    const QString& connection_name() const { return name_; }
    // True when this open created the database.
    bool created() const { return created_; }
    // True when `table` has `field` (for the optional fields of our own).
    bool has_field(const QString& table, const QString& field) const;
    bool is_open() const { return open_; }
    // The engine and its version as the connection reports them ("SQLite 3.40.1"); empty
    // when it does not say.
    QString engine_version() const;

    // Closes and drops the connection. Nothing may still hold queries on it.
    void close();

  private:
    friend class transaction;
    static result<std::unique_ptr<database_file>> open_server(const database_location& where,
                                                              const QString& connection_name);
    database_file(database_location location, QString name, bool created);

    QString path_;
    database_location location_;
    sql_dialect dialect_;
    QString name_;
    bool created_ = false;
    bool open_ = true;
    int transaction_depth_ = 0;
};

}  // namespace zep::data
