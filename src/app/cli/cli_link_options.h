#pragma once

#include <QString>
#include <optional>

#include "app/cli/cli_args.h"
#include "core/link/link_endpoint.h"

namespace zep::program {
struct session;
}

namespace zep::cli {

// --tcp HOST:PORT, --serial Com1..Com5|DEVICE, --baud 9600|19200, --protocol ADDR,
// --plain, --timeout MS: they override the stored single-reader link for one call.
const option_set& link_options_accepted();
// Whether any of them was given.
bool has_link_options(const parsed_args& args);

struct link_choice {
    link::link_endpoint endpoint;
    std::optional<int> timeout_ms;  // --timeout, when given
};

// The stored single-reader link with the options applied; nullopt with `error` set when an
// option is malformed (a usage error).
std::optional<link_choice> choose_link(const program::session& state, const parsed_args& args,
                                       QString* error);

}  // namespace zep::cli
