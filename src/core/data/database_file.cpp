#include "core/data/database_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <cerrno>
#include <cstring>

#include "core/data/schema.h"
#include "core/kill_point.h"

namespace zep::data {

namespace {

QString env_dir(const char* name) {
    return qEnvironmentVariable(name).trimmed();
}

status failure(const QString& path, const QString& what) {
    return status::failure(QStringLiteral("Database %1: %2").arg(path, what));
}

// Creates the empty file `file` ourselves so that it is never, even for a moment, readable
// by others; SQLite would create it with the umask's permissions. A failure names `path`.
status create_private_file(const QString& file, const QString& path) {
    const QByteArray native = QFile::encodeName(file);
    const int fd = ::open(native.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        return failure(path, QStringLiteral("cannot create the file (%1)")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    ::close(fd);
    return {};
}

status create_schema(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN"))) return status::failure(q.lastError().text());
    QStringList statements;
    for (const schema::table& t : schema::tables()) statements << schema::create_table_sql(t);
    for (const schema::index& i : schema::indexes()) statements << schema::create_index_sql(i);
    for (const QString& sql : statements) {
        if (!q.exec(sql)) {
            status failed = status::failure(q.lastError().text());
            q.exec(QStringLiteral("ROLLBACK"));
            return failed;
        }
    }
    pass_kill_point(kill_point_kind::write);
    if (!q.exec(QStringLiteral("COMMIT"))) return status::failure(q.lastError().text());
    return {};
}

void drop_connection(const QString& name) {
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Builds a new database under a temporary name beside `path` and renames it into place
// when it is complete: a start stopped half way leaves no file that later starts refuse.
status create_database(const QString& path, const QString& connection_name) {
    const QString building =
        path + QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
    if (status made = create_private_file(building, path); !made) return made;
    status built;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name);
        db.setDatabaseName(building);
        if (!db.open()) {
            built = failure(path, QStringLiteral("cannot create (%1)").arg(db.lastError().text()));
        } else if (status schema_made = create_schema(db); !schema_made) {
            built =
                failure(path, QStringLiteral("cannot create tables (%1)").arg(schema_made.error()));
        }
    }
    drop_connection(connection_name);
    if (built) {
        if (QFileInfo(path).size() == 0) QFile::remove(path);
        // Another start may have put its own in place meanwhile; that one is opened then.
        if (!QFile::rename(building, path) && !QFileInfo::exists(path)) {
            built = failure(path, QStringLiteral("cannot move the new file into place"));
        }
    }
    QFile::remove(building);
    return built;
}

// Lower-cased names the pragma `pragma` (table_info, index_list) lists for `table`, empty
// when the table is absent. SQLite matches names without regard to case, so we do too.
result<QStringList> table_names(QSqlDatabase& db, const char* pragma, const QString& table) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT name FROM pragma_%1(?)").arg(QLatin1String(pragma)))) {
        return status::failure(q.lastError().text());
    }
    q.addBindValue(table);
    if (!q.exec()) return status::failure(q.lastError().text());
    QStringList names;
    while (q.next()) names << q.value(0).toString().toLower();
    return names;
}

result<QStringList> table_columns(QSqlDatabase& db, const QString& table) {
    return table_names(db, "table_info", table);
}

// The first field or documented index that `t` lacks, as the refusal names it.
result<QString> missing_part(QSqlDatabase& db, const schema::table& t) {
    const QString table = QLatin1String(t.name);
    const auto columns = table_columns(db, table);
    if (!columns) return columns.as_status();
    if (columns->isEmpty()) return QStringLiteral("table \"%1\" is missing").arg(table);
    for (const schema::field& f : t.fields) {
        if (f.required && !columns->contains(QString::fromLatin1(f.name).toLower())) {
            return QStringLiteral("table \"%1\" lacks field \"%2\"").arg(table, f.name);
        }
    }
    const auto indexes = table_names(db, "index_list", table);
    if (!indexes) return indexes.as_status();
    for (const schema::index& i : schema::indexes()) {
        if (i.required && table == QLatin1String(i.table) &&
            !indexes->contains(QString::fromLatin1(i.name).toLower())) {
            return QStringLiteral("table \"%1\" lacks index \"%2\"").arg(table, i.name);
        }
    }
    return QString();
}

// Checks an existing file without writing to it.
status validate_schema(QSqlDatabase& db, const QString& path) {
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        return failure(
            path,
            QStringLiteral("not a readable SQLite database (%1)").arg(probe.lastError().text()));
    }
    for (const schema::table& t : schema::tables()) {
        const auto missing = missing_part(db, t);
        if (!missing) return failure(path, missing.error());
        if (!missing->isEmpty()) return failure(path, *missing);
    }
    return {};
}

}  // namespace

QString resolve_database_path(const QString& db_arg) {
    if (!db_arg.isEmpty()) return db_arg;
    if (const QString home = env_dir("ZEP_HOME"); !home.isEmpty()) {
        return QDir(home).filePath(QStringLiteral("zep.db"));
    }
    if (const QString xdg = env_dir("XDG_DATA_HOME"); !xdg.isEmpty()) {
        return QDir(xdg).filePath(QStringLiteral("zep/zep.db"));
    }
    return QDir(QDir::homePath()).filePath(QStringLiteral(".local/share/zep/zep.db"));
}

database_file::database_file(QString path, QString name, bool created)
    : path_(std::move(path)), name_(std::move(name)), created_(created) {}

database_file::~database_file() {
    close();
}

result<std::unique_ptr<database_file>> database_file::open(const QString& path,
                                                           const QString& connection_name) {
    if (QSqlDatabase::contains(connection_name)) {
        return failure(path,
                       QStringLiteral("connection \"%1\" is already open").arg(connection_name));
    }
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return failure(path, QStringLiteral("cannot create its folder"));
    }
    // An empty file holds no database yet (another program may have made it for us).
    const bool creating = !info.exists() || (info.isFile() && info.size() == 0);
    if (creating) {
        if (status made = create_database(path, connection_name); !made) return made;
    }

    status error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            error = failure(path, QStringLiteral("cannot open (%1)").arg(db.lastError().text()));
        } else {
            error = validate_schema(db, path);
            // SQLite needs to write beside a database in WAL mode even to read it.
            if (!error && !QFileInfo(info.absolutePath()).isWritable()) {
                error = failure(path,
                                QStringLiteral("cannot be read while its folder cannot be written: "
                                               "the database keeps its journal files (-wal, -shm) "
                                               "there"));
            }
        }
        if (error) {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        }
    }
    if (!error) {
        drop_connection(connection_name);
        return error;
    }
    return std::unique_ptr<database_file>(new database_file(path, connection_name, creating));
}

QSqlDatabase database_file::connection() const {
    return QSqlDatabase::database(name_, false);
}

QString database_file::engine_version() const {
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("SELECT sqlite_version()")) || !q.next()) return {};
    return QStringLiteral("SQLite ") + q.value(0).toString();
}

bool database_file::has_field(const QString& table, const QString& field) const {
    QSqlDatabase db = connection();
    const auto columns = table_columns(db, table);
    return columns && columns->contains(field.toLower());
}

void database_file::close() {
    if (!open_) return;
    open_ = false;
    drop_connection(name_);
}

}  // namespace zep::data
