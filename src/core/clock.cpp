#include "core/clock.h"

namespace zep {

QDateTime system_clock::now() const {
    return QDateTime::currentDateTime();
}

const clock_source& default_clock() {
    static const system_clock clock;
    return clock;
}

}  // namespace zep
