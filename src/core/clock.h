#pragma once

#include <QDateTime>

namespace zep {

// Wall-clock time, injectable so that tests can run on a chosen day.
class clock_source {
  public:
    virtual ~clock_source() = default;
    virtual QDateTime now() const = 0;
};

class system_clock final : public clock_source {
  public:
    QDateTime now() const override;
};

// The process-wide system clock.
const clock_source& default_clock();

}  // namespace zep
