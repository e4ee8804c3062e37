#include "tests/support/data/temp_database.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>
#include <stdexcept>

namespace zep::test {

QString unique_connection_name() {
    static std::atomic<int> next{0};
    return QStringLiteral("zep_test_%1").arg(next++);
}

temp_database::temp_database() : path_(dir_.filePath(QStringLiteral("zep.db"))) {
    reopen();
}

temp_database::~temp_database() {
    close();
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
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
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

QString refusing_trigger(const QString& change, const QString& table) {
    return QStringLiteral(
               "CREATE TRIGGER refuse_%1_%2 BEFORE %1 ON %2 "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END")
        .arg(change, table);
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
