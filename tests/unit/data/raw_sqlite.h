#pragma once

#include <QByteArray>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "tests/support/data/temp_database.h"

namespace zep::test {

// Direct SQL on a database file, bypassing the program, to build files "made by other
// means" and to look at what the program wrote.
class raw_sqlite {
  public:
    explicit raw_sqlite(const QString& path) : name_(unique_connection_name()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.open();
    }
    ~raw_sqlite() {
        { QSqlDatabase::database(name_).close(); }
        QSqlDatabase::removeDatabase(name_);
    }

    // Runs each statement; returns the first error, empty when all ran.
    QString run(const QStringList& statements) {
        for (const QString& sql : statements) {
            QSqlQuery q(QSqlDatabase::database(name_));
            if (!q.exec(sql)) return q.lastError().text();
        }
        return {};
    }

    // Column `index` (the first by default) of every row of `sql`.
    QStringList column(const QString& sql, int index = 0) {
        QSqlQuery q(QSqlDatabase::database(name_));
        QStringList values;
        if (!q.exec(sql)) return {q.lastError().text()};
        while (q.next()) values << q.value(index).toString();
        return values;
    }

  private:
    QString name_;
};

inline QByteArray file_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace zep::test
