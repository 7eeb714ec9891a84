#pragma once
// Timer port: a UI-thread timer whose period 0 means stopped; setting a
// non-zero period restarts it from that moment.
#include <cstdint>

namespace kronvik {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(uint32_t milliseconds) = 0;
    virtual uint32_t Interval() const = 0;
};

}  // namespace kronvik
