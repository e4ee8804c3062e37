#pragma once

#include <QDeadlineTimer>

namespace zep::link {

// The one-shot response timer of a screen that talks to readers. Arming it starts a
// deadline; a read or wait that reaches the deadline fails with the error flag set.
struct response_timer {
    QDeadlineTimer deadline{QDeadlineTimer::Forever};
    bool armed = false;
};

// Stops the timer, clears its time-out, sets the interval and starts it again.
inline void start_response_timer(response_timer& timer, int interval_ms) {
    timer.deadline.setRemainingTime(interval_ms);
    timer.armed = true;
}

inline void stop_response_timer(response_timer& timer) {
    timer.deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    timer.armed = false;
}

}  // namespace zep::link
