#include "tests/support/data/temp_database.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <stdexcept>

#include "tests/support/test_environment.h"

namespace zep::test {

QString unique_connection_name() {
    static std::atomic<int> next{0};
    return QStringLiteral("zep_test_%1").arg(next++);
}

namespace {

QString server_uri() {
    const QString uri = test_server_uri();
    if (uri.isEmpty()) throw std::runtime_error("ZEP_TEST_DATABASE=postgres without a server");
    return uri;
}

// Runs `sql` on the server's maintenance database.
void on_server(const QString& sql) {
    const QString error = run_sql(server_uri() + QStringLiteral("postgres"), {sql});
    if (!error.isEmpty()) throw std::runtime_error(error.toStdString());
}

}  // namespace

bool server_backend() {
    return qEnvironmentVariable("ZEP_TEST_DATABASE") == QLatin1String("postgres");
}

QString new_server_database() {
    static std::atomic<int> next{0};
    const QString name =
        QStringLiteral("zt_%1_%2").arg(QCoreApplication::applicationPid()).arg(next++);
    on_server(QStringLiteral("CREATE DATABASE %1").arg(name));
    return server_uri() + name;
}

void drop_server_database(const QString& uri) {
    on_server(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(uri.section(u'/', -1)));
}

temp_database::temp_database()
    : path_(server_backend() ? new_server_database() : dir_.filePath(QStringLiteral("zep.db"))) {
    reopen();
}

temp_database::~temp_database() {
    close();
    if (server_backend()) drop_server_database(path_);
}

void temp_database::close() {
    db_.reset();
}

data::database_file& temp_database::reopen() {
    close();
    auto opened = data::database_file::open(path_, unique_connection_name());
    if (!opened) throw std::runtime_error(opened.error().toStdString());
    db_ = std::move(opened.value());
    return *db_;
}

namespace {

// Runs `work` on a connection of its own to `path`, closed again afterwards.
template <typename Work>
auto with_connection(const QString& path, Work work) {
    const QString name = unique_connection_name();
    auto done = [&] {
        const auto where = data::parse_database_location(path);
        const bool server = where && where->server();
        QSqlDatabase db = QSqlDatabase::addDatabase(
            server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
        if (server) {
            db.setHostName(where->host);
            if (where->port > 0) db.setPort(where->port);
            db.setUserName(where->user);
            db.setDatabaseName(where->dbname);
        } else {
            db.setDatabaseName(path);
        }
        db.open();
        auto result = work(db);
        db.close();
        return result;
    }();
    QSqlDatabase::removeDatabase(name);
    return done;
}

}  // namespace

QString run_sql(const QString& path, const QStringList& statements) {
    return with_connection(path, [&](QSqlDatabase& db) {
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql)) return q.lastError().text();
        }
        return QString();
    });
}

QStringList query_column(const QString& path, const QString& sql, int column) {
    return with_connection(path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql)) return QStringList{q.lastError().text()};
        QStringList values;
        while (q.next()) values << q.value(column).toString();
        return values;
    });
}

QByteArray file_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size())
        << path.toStdString();
    return path;
}

QString refusing_trigger(const QString& change, const QString& table, const QString& when) {
    if (server_backend()) {
        return QStringLiteral(
                   "CREATE OR REPLACE FUNCTION zep_refuse() RETURNS trigger LANGUAGE plpgsql AS "
                   "$$BEGIN RAISE EXCEPTION 'refused'; END$$; "
                   "CREATE TRIGGER refuse_%1_%2 BEFORE %1 ON %2 FOR EACH ROW %3"
                   "EXECUTE FUNCTION zep_refuse()")
            .arg(change, table, when.isEmpty() ? QString() : "WHEN (" + when + ") ");
    }
    return QStringLiteral(
               "CREATE TRIGGER refuse_%1_%2 BEFORE %1 ON %2 %3"
               "BEGIN SELECT RAISE(ABORT, 'refused'); END")
        .arg(change, table, when.isEmpty() ? QString() : "WHEN " + when + " ");
}

QString dropping_trigger(const QString& change, const QString& table) {
    const QString name = QStringLiteral("refuse_%1_%2").arg(change, table);
    return server_backend() ? QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table)
                            : QStringLiteral("DROP TRIGGER %1").arg(name);
}

void cut_short(const QString& path) {
    constexpr qint64 page = 4096;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) throw std::runtime_error("cannot open the database");
    const qint64 half = file.size() / 2 / page * page;
    file.seek(28);
    file.write(QByteArray(4, '\0'));
    file.resize(half);
}

}  // namespace zep::test
