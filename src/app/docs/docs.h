#pragma once

#include <QString>

// The documents made from the command table at build time.
namespace zep::docs {

// The manual page zep(1), in roff.
QString zep_manual();
// The manual page zep-sim(1), from the simulator's own help.
QString zep_sim_manual();
// The bash completion of zep.
QString bash_completion();

}  // namespace zep::docs
