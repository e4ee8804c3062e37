#include "app/cli/cli.h"
#include "core/program/startup.h"
#include "core/records/employee_export.h"

namespace zep::cli {

namespace {

int run_users_export(cli_context& context) {
    if (context.args.positional.size() != 1) {
        context.io.err << "zep users export: give one FILE\n";
        return exit_usage;
    }
    return run_utility(
        context.io,
        [&](operator_port& person) {
            return records::export_employees(*context.state.db, person) ==
                   records::dbutil_outcome::done;
        },
        context.args.positional.first());
}

}  // namespace

cli_command users_export_command() {
    return {QStringLiteral("users export"),
            QStringLiteral("FILE"),
            QStringLiteral("export the employee list (every user, in ID order) to FILE"),
            {},
            run_users_export};
}

}  // namespace zep::cli
