#include "core/data/database_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <cerrno>
#include <cstring>

#include "core/data/schema.h"
#include "core/data/sql_dialect.h"
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

// The five tables and their indexes, in one transaction: a database has all or none.
status create_schema(QSqlDatabase& db, const sql_dialect& dialect) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN"))) return status::failure(q.lastError().text());
    QStringList statements;
    for (const schema::table& t : schema::tables()) statements << dialect.create_table(t);
    for (const schema::index& i : schema::indexes()) statements << dialect.create_index(i);
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
        } else if (status schema_made = create_schema(db, sql_dialect()); !schema_made) {
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

enum class catalog { columns, indexes };

// Lower-cased names of the columns or indexes of `table`, empty when the table is absent.
// SQLite matches names without regard to case, so we do too.
result<QStringList> table_names(QSqlDatabase& db, catalog what, const QString& table) {
    const bool server = db.driverName() == QLatin1String("QPSQL");
    QString sql;
    if (!server) {
        sql = what == catalog::columns ? QStringLiteral("SELECT name FROM pragma_table_info(?)")
                                       : QStringLiteral("SELECT name FROM pragma_index_list(?)");
    } else {
        sql = what == catalog::columns
                  ? QStringLiteral(
                        "SELECT column_name FROM information_schema.columns "
                        "WHERE table_schema = current_schema() AND table_name = ?")
                  : QStringLiteral(
                        "SELECT indexname FROM pg_indexes "
                        "WHERE schemaname = current_schema() AND tablename = ?");
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return status::failure(q.lastError().text());
    q.addBindValue(table);
    if (!q.exec()) return status::failure(q.lastError().text());
    QStringList names;
    while (q.next()) names << q.value(0).toString().toLower();
    return names;
}

result<QStringList> table_columns(QSqlDatabase& db, const QString& table) {
    return table_names(db, catalog::columns, table);
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
    // A server's tables carry the row number SQLite keeps by itself.
    if (db.driverName() == QLatin1String("QPSQL") && !columns->contains(QStringLiteral("rowid")))
        return QStringLiteral("table \"%1\" lacks field \"rowid\"").arg(table);
    const auto indexes = table_names(db, catalog::indexes, table);
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

// One line of a server's message: libpq's may run over several.
QString first_line(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

status server_failure(const database_location& where, const QString& what) {
    return status::failure(QStringLiteral("Database %1: %2").arg(where.display(), what));
}

// Our tables that the server database holds, by name.
result<QStringList> server_tables(QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT table_name FROM information_schema.tables "
                               "WHERE table_schema = current_schema()"))) {
        return status::failure(first_line(q.lastError().databaseText()));
    }
    QStringList present;
    while (q.next()) {
        const QString name = q.value(0).toString();
        if (schema::find_table(name)) present << name;
    }
    return present;
}

}  // namespace

QString database_location::display() const {
    if (!server()) return text;
    QString shown = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0) shown += QStringLiteral(":%1").arg(port);
    return shown + QLatin1Char('/') + dbname;
}

result<database_location> parse_database_location(const QString& text) {
    database_location where;
    where.text = text;
    static const QString schemes[] = {QStringLiteral("postgresql://"),
                                      QStringLiteral("postgres://")};
    QString rest;
    for (const QString& scheme : schemes) {
        if (text.startsWith(scheme, Qt::CaseInsensitive)) rest = text.mid(scheme.size());
    }
    if (rest.isNull()) return where;  // a file
    where.kind = database_kind::postgres;
    // The URI as the operator is told it: a password typed into it is never repeated.
    QString shown = text;
    shown.replace(QRegularExpression(QStringLiteral("(://[^/@:]*):[^/@]*@")),
                  QStringLiteral("\\1:***@"));
    shown.replace(QRegularExpression(QStringLiteral("([?&]password=)[^&]*"),
                                     QRegularExpression::CaseInsensitiveOption),
                  QStringLiteral("\\1***"));
    const auto refuse = [shown](const QString& why) {
        return status::failure(QStringLiteral("Database URI %1: %2").arg(shown, why));
    };
    const QString query = rest.section(QLatin1Char('?'), 1);
    rest = rest.section(QLatin1Char('?'), 0, 0);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0 || slash == rest.size() - 1)
        return refuse(QStringLiteral("it names no database (postgresql://host/dbname)"));
    const auto decoded = [](const QString& part) {
        return QString::fromUtf8(QByteArray::fromPercentEncoding(part.toUtf8()));
    };
    where.dbname = decoded(rest.mid(slash + 1));
    QString authority = rest.left(slash);
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        where.user = decoded(authority.left(at));
        authority = authority.mid(at + 1);
        if (where.user.contains(QLatin1Char(':'))) {
            return refuse(
                QStringLiteral("a password does not belong in it: use ~/.pgpass or PGPASSWORD"));
        }
    }
    // host, host:port, [v6 address]:port, or a percent-encoded socket folder.
    qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
    if (authority.startsWith(QLatin1Char('[')) && colon < authority.indexOf(QLatin1Char(']')))
        colon = -1;
    if (colon >= 0) {
        bool ok = false;
        where.port = authority.mid(colon + 1).toInt(&ok);
        if (!ok || where.port <= 0 || where.port > 65535)
            return refuse(QStringLiteral("its port is not a number from 1 to 65535"));
        authority = authority.left(colon);
    }
    if (authority.startsWith(QLatin1Char('[')) && authority.endsWith(QLatin1Char(']')))
        authority = authority.mid(1, authority.size() - 2);
    where.host = decoded(authority);
    QStringList options;
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const QString key = decoded(pair.section(QLatin1Char('='), 0, 0)).trimmed();
        if (key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0) {
            return refuse(
                QStringLiteral("a password does not belong in it: use ~/.pgpass or PGPASSWORD"));
        }
        options << key + QLatin1Char('=') + decoded(pair.section(QLatin1Char('='), 1));
    }
    where.options = options.join(QLatin1Char(';'));
    return where;
}

result<std::unique_ptr<database_file>> database_file::open_server(const database_location& where,
                                                                  const QString& connection_name) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        return server_failure(where, QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not "
                                                    "installed: install libqt6sql6-psql"));
    }
    status error;
    bool created = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_name);
        if (!where.host.isEmpty()) db.setHostName(where.host);
        if (where.port > 0) db.setPort(where.port);
        if (!where.user.isEmpty()) db.setUserName(where.user);
        db.setDatabaseName(where.dbname);
        // A server that does not answer is given up after ten seconds, not libpq's never.
        QString options = QStringLiteral("connect_timeout=10");
        if (!where.options.isEmpty()) options += QLatin1Char(';') + where.options;
        db.setConnectOptions(options);
        if (!db.open()) {
            error = server_failure(where, QStringLiteral("cannot connect (%1)")
                                              .arg(first_line(db.lastError().databaseText())));
        } else if (const auto present = server_tables(db); !present) {
            error = server_failure(where, present.error());
        } else if (present->isEmpty()) {
            if (status made = create_schema(db, sql_dialect(database_kind::postgres)); !made) {
                error = server_failure(
                    where,
                    QStringLiteral("cannot create tables (%1)").arg(first_line(made.error())));
            }
            created = true;
        } else {
            for (const schema::table& t : schema::tables()) {
                const auto missing = missing_part(db, t);
                if (!missing) {
                    error = server_failure(where, first_line(missing.error()));
                } else if (!missing->isEmpty()) {
                    error = server_failure(where, *missing);
                }
                if (!error) break;
            }
        }
    }
    if (!error) {
        drop_connection(connection_name);
        return error;
    }
    return std::unique_ptr<database_file>(new database_file(where, connection_name, created));
}

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

database_file::database_file(database_location location, QString name, bool created)
    : path_(location.text),
      location_(std::move(location)),
      dialect_(location_.kind),
      name_(std::move(name)),
      created_(created) {}

database_file::~database_file() {
    close();
}

result<std::unique_ptr<database_file>> database_file::open(const QString& path,
                                                           const QString& connection_name,
                                                           bool make_folder) {
    if (QSqlDatabase::contains(connection_name)) {
        return failure(path,
                       QStringLiteral("connection \"%1\" is already open").arg(connection_name));
    }
    auto where = parse_database_location(path);
    if (!where) return where.as_status();
    if (where->server()) return open_server(*where, connection_name);
    const QFileInfo info(path);
    // A folder named by mistake is not made: only the default place is the program's own.
    if (!make_folder && !QFileInfo(info.absolutePath()).isDir()) {
        return status::failure(QStringLiteral("Folder %1 does not exist")
                                   .arg(QDir::toNativeSeparators(info.absolutePath())));
    }
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
    database_location file;
    file.text = path;
    return std::unique_ptr<database_file>(new database_file(file, connection_name, creating));
}

QSqlDatabase database_file::connection() const {
    return QSqlDatabase::database(name_, false);
}

QString database_file::engine_version() const {
    QSqlQuery q(connection());
    const bool server = location_.server();
    if (!q.exec(server ? QStringLiteral("SHOW server_version")
                       : QStringLiteral("SELECT sqlite_version()")) ||
        !q.next())
        return {};
    return (server ? QStringLiteral("PostgreSQL ") : QStringLiteral("SQLite ")) +
           q.value(0).toString().section(QLatin1Char(' '), 0, 0);
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
