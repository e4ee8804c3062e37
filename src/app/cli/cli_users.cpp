#include "app/cli/cli.h"
#include "app/cli/cli_terminal.h"
#include "core/program/startup.h"
#include "core/records/employee_export.h"
#include "core/records/users_csv.h"
#include "core/records/users_series.h"

namespace zep::cli {

int run_users_export(cli_context& context) {
    const QString file = context.args.positional.first();
    if (context.args.has(QStringLiteral("csv"))) {
        const auto written = records::export_users_csv(*context.state.db, file);
        if (!written) {
            context.io.err << written.error() << "\n";
            return exit_failed;
        }
        context.io.out << *written << " users written to " << file << "\n";
        return exit_ok;
    }
    return run_utility(
        context.io,
        [&](operator_port& person) {
            return records::export_employees(*context.state.db, person) ==
                   records::dbutil_outcome::done;
        },
        file);
}

int run_users_import(cli_context& context) {
    const QString file = context.args.positional.first();
    const auto plan = records::plan_users_import(*context.state.db, file,
                                                 context.args.has(QStringLiteral("replace")));
    if (!plan) {
        context.io.err << plan.error() << "\n";
        return exit_failed;
    }
    // One line for each faulty line; nothing is written while any is left.
    if (!plan->ok()) {
        for (const QString& fault : plan->faults) context.io.err << file << ": " << fault << "\n";
        return exit_failed;
    }
    const QString summary = records::import_summary(*plan);
    if (context.args.has(QStringLiteral("dry-run"))) {
        context.io.out << summary << " (nothing written)\n";
        return exit_ok;
    }
    if (!agreed(context, summary + QStringLiteral(": write them into the database?")))
        return exit_failed;
    if (status written = records::apply_users_import(*context.state.db, *plan); !written) {
        context.io.err << written.error() << "\n";
        return exit_failed;
    }
    context.io.out << summary << "\n";
    return exit_ok;
}

int run_users_add_series(cli_context& context) {
    records::series_request request;
    request.start = context.args.positional.value(0);
    request.end = context.args.positional.value(1);
    request.all_active = context.args.has(QStringLiteral("all-active"));
    request.schedule = context.args.value(QStringLiteral("schedule"));
    if (context.args.has(QStringLiteral("schedule")) && !request.all_active)
        return usage_error(context, QStringLiteral("--schedule goes with --all-active"));
    const auto plan = records::plan_series(*context.state.db, request);
    if (!plan) {
        context.io.err << plan.error() << "\n";
        return exit_failed;
    }
    if (!agreed(context, plan->question())) return exit_failed;
    const auto added = records::add_series(*context.state.db, *plan);
    if (!added) {
        context.io.err << added.error() << "\n";
        return exit_failed;
    }
    context.io.out << *added << "\n";
    return exit_ok;
}

}  // namespace zep::cli
