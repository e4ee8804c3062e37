#include "gui/shell/file_dialog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QSqlQuery>

#include "tests/gui/gui_test_support.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/folder_watch.h"

namespace zep::test {
namespace {

QString sqlite3(const QString& db, const QString& sql) {
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {db, sql});
    if (!shell.waitForFinished(10000)) return QStringLiteral("sqlite3 did not finish");
    return QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
}

TEST(file_dialog, listing_the_database_folder_keeps_sqlite_locks) {
    temp_database temp;
    QSqlQuery write(temp.db().connection());
    ASSERT_TRUE(write.exec("INSERT INTO users (userid, lastname) VALUES ('1', 'a')"));
    ASSERT_TRUE(QFile::exists(temp.path() + "-wal"));

    folder_watch watch(temp.folder(), IN_OPEN);
    QFileDialog dialog;
    gui::make_file_dialog_safe(dialog);
    dialog.setDirectory(temp.folder());
    dialog.show();
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    ASSERT_TRUE(wait_until([&] {
        const QModelIndex wal = model->index(temp.path() + "-wal");
        return wal.isValid() && !model->type(wal).isEmpty() && !model->fileIcon(wal).isNull();
    }));
    // Give the dialog's gatherer the time it takes to reach every file; any open fails.
    wait_until([&] { return !watch.seen().isEmpty(); }, 500);
    dialog.close();
    EXPECT_EQ(watch.seen(), QStringList());

    // Another program opens, reads and closes the database: our locks keep the WAL.
    EXPECT_EQ(sqlite3(temp.path(), "SELECT count(*) FROM users"), "1");
    EXPECT_TRUE(QFile::exists(temp.path() + "-wal"));
    ASSERT_TRUE(write.exec("INSERT INTO users (userid, lastname) VALUES ('2', 'b')"));
    EXPECT_EQ(sqlite3(temp.path(), "SELECT count(*) FROM users"), "2");
}

}  // namespace
}  // namespace zep::test
