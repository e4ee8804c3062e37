#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant aborts like a crash, so libFuzzer keeps the input that broke it.
#define ZEP_FUZZ_CHECK(condition) \
    ((condition) ? void() : zep::fuzz::broken(#condition, __FILE__, __LINE__))

namespace zep::fuzz {

[[noreturn]] inline void broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

}  // namespace zep::fuzz
