#pragma once

#include <QMessageLogContext>
#include <QString>
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

// Qt warns about much of what a fuzzer feeds it (reads from a closed line, bad JSON); only
// a fatal message is a finding.
inline void keep_only_fatal_messages() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) broken(qPrintable(text), "Qt", 0);
    });
}

}  // namespace zep::fuzz
