#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTime>

#include "core/data/log_table.h"
#include "core/data/settings_store.h"
#include "core/data/users_table.h"
#include "tests/support/data/temp_database.h"
#include "tests/support/rows.h"

namespace zep {
namespace {

struct program_run {
    int code = -1;
    QString err;
};

// Runs `program` under `mask`. As root it runs without the override that lets root
// write whatever the modes say, so that a read-only file is read-only to it too.
program_run run(const char* program, const QStringList& args, mode_t mask = 022) {
    QProcess process;
    process.setChildProcessModifier([mask] {
        ::umask(mask);
        ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    });
    process.start(QString::fromLatin1(program), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
}

mode_t mode_of(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

TEST(files, the_database_stays_private_and_exports_follow_the_umask) {
    for (const mode_t mask : {mode_t{0}, mode_t{027}}) {
        QTemporaryDir dir;
        const QString db = dir.filePath("zep.db");
        const QString out = dir.filePath("employees.txt");
        run(ZEP_PROGRAM, {"--db", db, "users", "export", out}, mask);
        EXPECT_EQ(mode_of(out), 0666 & ~mask);
        const mode_t ours = ::umask(mask);
        {
            // The journal files exist while the database is open.
            const auto opened = data::database_file::open(db, test::unique_connection_name());
            EXPECT_TRUE(opened) << opened.error().toStdString();
            for (const char* part : {"", "-wal", "-shm"})
                EXPECT_EQ(mode_of(db + part), 0600u) << part << " under umask " << mask;
        }
        ::umask(ours);
    }
}

TEST(files, a_place_that_cannot_be_used_is_one_line_on_stderr_and_the_database_is_untouched) {
    test::temp_database temp;
    ASSERT_TRUE(data::load_or_create(temp.db()));
    ASSERT_TRUE(data::users_table(temp.db()).insert_all({{"1001", "Smith", "Ann", {}}}));
    std::vector<data::log_row> rows;
    for (int s = 0; s < 3000; ++s) {  // enough pages that half the file loses some
        const QTime time = QTime::fromMSecsSinceStartOfDay(s * 1000);
        rows.push_back(test::log_row("2005-03-01 " + time.toString("hh:mm:ss"), "1001"));
    }
    ASSERT_TRUE(data::log_table(temp.db()).insert_all(rows));
    temp.close();
    const QString db = temp.path();
    const QString locked = temp.folder() + "/locked";
    ASSERT_TRUE(QDir().mkdir(locked) && QFile::copy(db, locked + "/zep.db"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    const QStringList dates{"--from", "03-01-2005", "--to", "03-01-2005"};
    const QStringList log_export = QStringList{"log", "export", temp.folder() + "/out.txt"} + dates;
    const struct {
        QString db;
        QStringList args;
        std::function<void()> spoil;
        QString says;
    } cases[] = {
        {db, QStringList{"log", "delete", "--yes"} + dates,
         [&] { QFile::setPermissions(db, QFile::ReadOwner); },
         "attempt to write a readonly database\n"},
        {locked + "/zep.db",
         log_export,
         {},
         "cannot be read while its folder cannot be written: the database keeps its journal "
         "files (-wal, -shm) there\n"},
        {db,
         {"users", "export", locked + "/employees.txt"},
         {},
         "Export failed: " + locked + "/employees.txt: Permission denied\n"},
        {db, log_export, [&] { test::cut_short(db); },
         "Export failed: database disk image is malformed\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says.toStdString());
        if (c.spoil) c.spoil();
        const QByteArray before = test::file_bytes(c.db);
        const program_run ran = run(ZEP_PROGRAM, QStringList{"--db", c.db} + c.args);
        EXPECT_EQ(ran.code, 1);
        EXPECT_TRUE(ran.err.endsWith(c.says) && ran.err.count('\n') == 1) << ran.err.toStdString();
        EXPECT_EQ(test::file_bytes(c.db), before);
        QFile::setPermissions(c.db, QFile::ReadOwner | QFile::WriteOwner);
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(limits, huge_or_endless_input_ends_with_a_message) {
    QTemporaryDir dir;
    // Sparse files: a scenario of 100 MB, a download file of one endless record of NULs (the
    // download is refused before anything is sent; scripts/memory-peaks tries 1 GB).
    const QString scenario = dir.filePath("huge.json");
    const QString endless = dir.filePath("endless.txt");
    for (const auto& [path, size] : {std::pair{scenario, 100 << 20}, {endless, 32 << 20}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    }
    const program_run sim = run(ZEP_SIM_PROGRAM, {scenario});
    EXPECT_EQ(sim.code, 2);
    EXPECT_EQ(sim.err, "zep-sim: " + scenario +
                           ": a scenario file may hold at most 16 MB; this one holds 104857600 "
                           "bytes\n");

    // Refused before any link is made (a babbling reader is the fault matrix's case).
    const QString reader = QStringLiteral("127.0.0.1:%1").arg(test::closed_tcp_port());
    const program_run download = run(ZEP_PROGRAM, {"--db", dir.filePath("zep.db"), "access",
                                                   "download", endless, "--yes", "--tcp", reader});
    EXPECT_EQ(download.code, 1);
    EXPECT_EQ(download.err,
              "Data file line 1 holds a character that cannot be sent to a reader - cannot "
              "download\n(reader: TCP " +
                  reader + ", plain)\n");
}

}  // namespace
}  // namespace zep
