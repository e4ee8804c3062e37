// zep_bench_records_gen DB [LOG_ROWS] [USERS]: writes a fresh benchmark database.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "bench/records/records_generator.h"
#include "core/data/database_file.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fputs("usage: zep_bench_records_gen DB [LOG_ROWS] [USERS]\n", stderr);
        return 2;
    }
    const QString path = args[1];
    const qint64 log_rows = args.size() > 2 ? args[2].toLongLong() : 1000000;
    const qint64 users = args.size() > 3 ? args[3].toLongLong() : 100000;
    QFile::remove(path);
    auto opened = zep::data::database_file::open(path, QStringLiteral("gen"));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    if (const zep::status made = zep::bench::generate_records(*opened.value(), log_rows, users);
        !made) {
        std::fprintf(stderr, "%s\n", qPrintable(made.error()));
        return 1;
    }
    std::printf("%s: %lld log rows, %lld users\n", qPrintable(path), log_rows, users);
    return 0;
}
