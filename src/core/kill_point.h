#pragma once

namespace zep {

// Points where a test may have the process killed, to prove that what was stored
// survives a crash at that very step.
enum class kill_point_kind {
    exchange,  // a command frame about to go to a reader
    write      // a database write about to run (a statement or a commit)
};

// Counts one point of `kind`. When the environment variable ZEP_TEST_KILL_AT reads
// "exchange:N" or "write:N" and this is the N-th point of that kind (from 1) in this
// process, the process sends itself SIGKILL here. Without the variable this is one
// relaxed atomic increment. For tests only; an operator never sets it.
void pass_kill_point(kill_point_kind kind);

// How many points of `kind` this process has passed, so that a test can learn how many
// there are to kill at.
long kill_points_passed(kill_point_kind kind);

}  // namespace zep
