#include "app/cli/cli.h"
#include "core/program/startup.h"
#include "core/records/employee_export.h"

namespace zep::cli {

int run_users_export(cli_context& context) {
    return run_utility(
        context.io,
        [&](operator_port& person) {
            return records::export_employees(*context.state.db, person) ==
                   records::dbutil_outcome::done;
        },
        context.args.positional.first());
}

}  // namespace zep::cli
