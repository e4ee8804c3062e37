#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>

#include "core/result.h"

namespace zep::data {

// Where the database lives: `--db PATH` when given, else $ZEP_HOME/zep.db, else
// $XDG_DATA_HOME/zep/zep.db, else ~/.local/share/zep/zep.db. Empty variables count as unset.
QString resolve_database_path(const QString& db_arg);

// One SQLite connection to the program's database file. Each thread that touches the
// database opens its own, under a connection name unique to that thread.
class database_file {
  public:
    // Opens `path` on the connection `connection_name`. When the file is absent or empty it
    // is created (owner read/write only) with the five tables and their indexes, whole or
    // not at all; an existing file must hold every table and field and the four documented
    // indexes, or it is refused untouched. A failure names the file and what is wrong with
    // it, in one line.
    static result<std::unique_ptr<database_file>> open(const QString& path,
                                                       const QString& connection_name);

    ~database_file();
    database_file(const database_file&) = delete;
    database_file& operator=(const database_file&) = delete;

    // The connection; valid until close().
    QSqlDatabase connection() const;
    const QString& path() const { return path_; }
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
    database_file(QString path, QString name, bool created);

    QString path_;
    QString name_;
    bool created_ = false;
    bool open_ = true;
    int transaction_depth_ = 0;
};

}  // namespace zep::data
