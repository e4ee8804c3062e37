#pragma once

#include "core/clock.h"

namespace zep::test {

// A clock that always says the same time, settable by the test.
class fixed_clock final : public clock_source {
  public:
    explicit fixed_clock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(QDateTime at) { at_ = std::move(at); }

  private:
    QDateTime at_;
};

}  // namespace zep::test
