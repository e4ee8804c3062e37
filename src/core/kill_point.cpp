#include "core/kill_point.h"

#include <unistd.h>

#include <QByteArray>
#include <atomic>
#include <csignal>
#include <cstdlib>

namespace zep {

namespace {

struct kill_plan {
    int kind = -1;  // kill_point_kind, -1 when no kill is asked for
    long at = 0;
};

kill_plan read_plan() {
    kill_plan plan;
    const char* value = std::getenv("ZEP_TEST_KILL_AT");
    if (value == nullptr) return plan;
    const QByteArray text(value);
    const qsizetype colon = text.indexOf(':');
    if (colon < 0) return plan;
    const QByteArray kind = text.left(colon);
    bool ok = false;
    const long at = text.mid(colon + 1).toLong(&ok);
    if (!ok || at < 1) return plan;
    if (kind == "exchange") plan.kind = static_cast<int>(kill_point_kind::exchange);
    if (kind == "write") plan.kind = static_cast<int>(kill_point_kind::write);
    plan.at = at;
    return plan;
}

std::atomic<long> passed[2];

}  // namespace

void pass_kill_point(kill_point_kind kind) {
    static const kill_plan plan = read_plan();
    const long n = passed[static_cast<int>(kind)].fetch_add(1, std::memory_order_relaxed) + 1;
    if (plan.kind == static_cast<int>(kind) && n == plan.at) ::kill(::getpid(), SIGKILL);
}

long kill_points_passed(kill_point_kind kind) {
    return passed[static_cast<int>(kind)].load(std::memory_order_relaxed);
}

}  // namespace zep
