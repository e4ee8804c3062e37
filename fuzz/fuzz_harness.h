#pragma once

// What every fuzz target shares: invariants that fail like a crash, the entry point that
// hands the input over as bytes, and the few text tests several targets make.

#include <QByteArray>
#include <QMessageLogContext>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant aborts like a crash, so libFuzzer keeps the input that broke it.
#define ZEP_FUZZ_CHECK(condition) \
    ((condition) ? void() : zep::fuzz::broken(#condition, __FILE__, __LINE__))

// The target's body: `input` holds the fuzzer's bytes. Qt warns about much of what a fuzzer
// feeds it (reads from a closed line, bad JSON); only a fatal message is a finding.
#define ZEP_FUZZ_TARGET(input)                                                              \
    static void zep_fuzz_one(const QByteArray& input);                                      \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {     \
        static const bool quiet = (qInstallMessageHandler(zep::fuzz::only_fatal), true);    \
        (void)quiet;                                                                        \
        zep_fuzz_one(                                                                       \
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))); \
        return 0;                                                                           \
    }                                                                                       \
    static void zep_fuzz_one(const QByteArray& input)

namespace zep::fuzz {

[[noreturn]] inline void broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

inline void only_fatal(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) broken(qPrintable(text), "Qt", 0);
}

// The byte at `at` as a number 0..255.
inline int byte_at(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes[at]);
}

// Not empty, and nothing but the ASCII digits (QByteArray or QString).
template <typename Text>
bool all_digits(const Text& text) {
    for (const auto c : text) {
        if (c < u'0' || c > u'9') return false;
    }
    return !text.isEmpty();
}

}  // namespace zep::fuzz
