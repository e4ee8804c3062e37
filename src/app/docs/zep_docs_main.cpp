// zep-docs DIR: writes zep.1, zep-sim.1 and the bash completion of zep into DIR. Run by
// the build; never installed.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/docs/docs.h"

namespace {

bool write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.toUtf8()) != text.toUtf8().size() || !file.flush()) {
        std::fprintf(stderr, "zep-docs: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: zep-docs DIR\n", stderr);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const bool written =
        write(dir.filePath(QStringLiteral("zep.1")), zep::docs::zep_manual()) &&
        write(dir.filePath(QStringLiteral("zep-sim.1")), zep::docs::zep_sim_manual()) &&
        write(dir.filePath(QStringLiteral("zep.bash-completion")), zep::docs::bash_completion());
    return written ? 0 : 1;
}
