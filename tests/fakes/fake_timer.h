#pragma once
// A timer that only records its period.
#include "platform/timer.h"

namespace kronvik::fakes {

class FakeTimer : public Timer {
public:
    explicit FakeTimer(uint32_t interval = 0) : interval_(interval) {}

    void SetInterval(uint32_t milliseconds) override {
        interval_ = milliseconds;
        ++set_calls;
    }
    uint32_t Interval() const override { return interval_; }

    int set_calls = 0;

private:
    uint32_t interval_;
};

}  // namespace kronvik::fakes
