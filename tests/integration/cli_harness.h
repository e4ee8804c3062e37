#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>

#include "app/cli/cli.h"

namespace zep::test {

// What one `zep` command line printed and returned.
struct cli_run {
    int status = -1;
    QString out;
    QString err;
};

// Runs `zep --db DB ARGS...` in this process; `password` answers the login prompt (none:
// no terminal to ask at, and no ZEP_PASSWORD).
inline cli_run run_zep(const QString& db, const QStringList& args,
                       std::function<std::optional<QString>()> password = {}) {
    cli_run result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    cli::cli_io io{out, err, std::move(password)};
    result.status = cli::run_cli(QStringList{QStringLiteral("--db"), db} + args, io);
    out.flush();
    err.flush();
    return result;
}

}  // namespace zep::test
