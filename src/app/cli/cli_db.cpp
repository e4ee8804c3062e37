#include <QFileInfo>

#include "app/cli/cli.h"
#include "core/data/database_copy.h"
#include "core/data/database_file.h"
#include "core/program/session.h"

namespace zep::cli {

namespace {

void print_counts(QTextStream& to, const data::table_counts& counts) {
    for (const auto& [table, rows] : counts) to << table << " " << rows << "\n";
}

}  // namespace

int run_db_check(cli_context& context) {
    data::database_file& db = *context.state.db;
    const auto counts = data::count_tables(db);
    if (!counts) {
        context.io.err << counts.error() << "\n";
        return exit_failed;
    }
    // Opening it checked the schema: a database that lacks a part is never opened.
    context.io.out << db.location().display() << " (" << db.engine_version()
                   << "): every table, field and index is there\n";
    print_counts(context.io.out, *counts);
    return exit_ok;
}

int run_db_copy(cli_context& context) {
    const QString from = context.args.value(QStringLiteral("from"));
    const QString to = context.args.value(QStringLiteral("to"));
    if (from == to)
        return usage_error(context, QStringLiteral("--from and --to name one database"));
    // A source that is not there would be made empty; it is named by mistake.
    if (const auto where = data::parse_database_location(from);
        where && !where->server() && !QFileInfo::exists(from)) {
        context.io.err << "Database " << from << ": there is no such file\n";
        return exit_failed;
    }
    auto source = data::database_file::open(from, QStringLiteral("zep_copy_from"));
    if (!source) {
        context.io.err << source.error() << "\n";
        return exit_failed;
    }
    auto target = data::database_file::open(to, QStringLiteral("zep_copy_to"));
    if (!target) {
        context.io.err << target.error() << "\n";
        return exit_failed;
    }
    const auto copied = data::copy_database(**source, **target);
    if (!copied) {
        context.io.err << copied.error() << "\n";
        return exit_failed;
    }
    context.io.out << "Copied " << (*source)->location().display() << " to "
                   << (*target)->location().display() << ":\n";
    print_counts(context.io.out, *copied);
    return exit_ok;
}

}  // namespace zep::cli
